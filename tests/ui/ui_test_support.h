// Helpers shared by the desktop tests: synthetic mouse events, a watcher for
// modal windows, and pixel counts on grabbed images.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <functional>

namespace marlix::ui::testing {

inline void SendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button,
                      Qt::MouseButtons buttons) {
  QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), button, buttons,
                    Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

inline void MoveMouse(QWidget* widget, QPoint at, Qt::MouseButtons held = Qt::NoButton) {
  SendMouse(widget, QEvent::MouseMove, at, Qt::NoButton, held);
}

inline void PressLeft(QWidget* widget, QPoint at) {
  MoveMouse(widget, at);
  SendMouse(widget, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
}

// The widget keeps the mouse between press and release, as a real grab does.
inline void ReleaseLeft(QWidget* widget, QPoint at) {
  MoveMouse(widget, at, Qt::LeftButton);
  SendMouse(widget, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}

inline void ClickLeft(QWidget* widget, QPoint at) {
  PressLeft(widget, at);
  ReleaseLeft(widget, at);
}

inline void LeaveWidget(QWidget* widget) {
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(widget, &leave);
}

// Calls handle once with the first modal window that opens within the time
// limit. The handler must close the window, or the test waits for it.
inline void WhenModalOpens(std::function<void(QWidget*)> handle, int timeoutMs = 5000) {
  auto* timer = new QTimer(qApp);
  auto* clock = new QElapsedTimer;
  clock->start();
  QObject::connect(timer, &QTimer::timeout, [timer, clock, handle = std::move(handle), timeoutMs] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr && clock->elapsed() < timeoutMs) return;
    timer->stop();
    timer->deleteLater();
    delete clock;
    if (modal != nullptr) handle(modal);
  });
  timer->start(10);
}

// While it lives, closes every modal window that opens and counts them, so
// that a window opened by mistake fails the test instead of blocking it.
class ModalGuard {
 public:
  ModalGuard() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (QWidget* modal = QApplication::activeModalWidget()) {
        ++closed_;
        modal->close();
      }
    });
    timer_.start(10);
  }
  int closed() const { return closed_; }

 private:
  QTimer timer_;
  int closed_ = 0;
};

// Number of pixels for which accept(colour) holds, inside area.
inline int CountPixels(const QImage& image, const QRect& area,
                       const std::function<bool(QColor)>& accept) {
  int count = 0;
  const QRect clipped = area.intersected(image.rect());
  for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
    for (int x = clipped.left(); x <= clipped.right(); ++x) {
      if (accept(image.pixelColor(x, y))) ++count;
    }
  }
  return count;
}

inline bool IsReddish(QColor c) { return c.red() > 160 && c.green() < 90 && c.blue() < 90; }
inline bool IsBluish(QColor c) { return c.blue() > 160 && c.red() < 90 && c.green() < 90; }
inline bool IsGreenish(QColor c) { return c.green() > 160 && c.red() < 90 && c.blue() < 90; }
inline bool IsPurplish(QColor c) {
  return c.red() > 90 && c.blue() > 90 && c.green() < 60 && std::abs(c.red() - c.blue()) < 40;
}
inline bool IsBlack(QColor c) { return c.red() < 20 && c.green() < 20 && c.blue() < 20; }

// Whether some row of area has at least share of its pixels accepted: an
// underline shows as such a row.
inline bool HasSolidRow(const QImage& image, const QRect& area,
                        const std::function<bool(QColor)>& accept, double share = 0.8) {
  const QRect clipped = area.intersected(image.rect());
  for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
    const int hits = CountPixels(image, QRect(clipped.left(), y, clipped.width(), 1), accept);
    if (hits >= share * clipped.width()) return true;
  }
  return false;
}

}  // namespace marlix::ui::testing
