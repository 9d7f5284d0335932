// Renders every window to a PNG in the build folder, so that a broken layout
// can be seen, and checks the pictures and the layout for plain faults.
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "ui/qt/about_box.h"
#include "ui/qt/hyper_link.h"
#include "ui/qt/main_dialog.h"
#include "ui_test_support.h"

using namespace marlix::ui;
using namespace marlix::ui::testing;

namespace {

int DistinctColours(const QImage& image) {
  QSet<QRgb> colours;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y));
  }
  return static_cast<int>(colours.size());
}

// Saves the widget's picture and checks that something was drawn.
void GrabTo(QWidget* widget, const QString& name) {
  const QImage image = widget->grab().toImage();
  QCOMPARE(image.size(), widget->size() * widget->devicePixelRatioF());
  QVERIFY2(DistinctColours(image) > 8, qPrintable(name));
  const QString path = QDir(QStringLiteral(MARLIX_GRAB_DIR)).filePath(name);
  QVERIFY2(image.save(path), qPrintable(path));
}

// Every visible child lies inside the window, the texts fit their controls,
// and no two inputs cover each other.
void CheckLayout(QWidget* window) {
  const QList<QWidget*> children = window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
  QVERIFY(!children.isEmpty());
  QList<QWidget*> inputs;
  for (QWidget* child : children) {
    if (!child->isVisible()) continue;
    QVERIFY2(window->rect().contains(child->geometry()), qPrintable(child->objectName()));
    if (auto* label = qobject_cast<QLabel*>(child); label != nullptr && !label->text().isEmpty()) {
      const QRect needed = label->fontMetrics().boundingRect(
          label->rect(), Qt::TextWordWrap | int(label->alignment()), label->text());
      QVERIFY2(needed.width() <= label->width() && needed.height() <= label->height() + 2,
               qPrintable(label->text()));
    }
    if (auto* button = qobject_cast<QPushButton*>(child)) {
      QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) < button->width() - 4,
               qPrintable(button->text()));
      inputs << button;
    }
    if (qobject_cast<QLineEdit*>(child) != nullptr) inputs << child;
  }
  for (QWidget* a : inputs) {
    for (QWidget* b : inputs) {
      if (a != b) QVERIFY(!a->geometry().intersects(b->geometry()));
    }
  }
}

}  // namespace

class WindowGrabTest : public QObject {
  Q_OBJECT

 private slots:
  void grabEveryWindow() {
    QVERIFY(QDir().mkpath(QStringLiteral(MARLIX_GRAB_DIR)));
    QTemporaryDir home;
    MainDialog dialog(home.path());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    CheckLayout(&dialog);
    GrabTo(&dialog, QStringLiteral("main-dialog.png"));

    AboutBox about(&dialog);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    CheckLayout(&about);
    GrabTo(&about, QStringLiteral("about-box.png"));

    // The banner while the mouse is over its text.
    HyperLink* banner = about.links().back();
    MoveMouse(banner, banner->textRect().center());
    QVERIFY(banner->behaviour().hot());
    GrabTo(&about, QStringLiteral("about-box-banner-hot.png"));

    HyperLink* mail = about.links().front();
    MoveMouse(mail, mail->textRect().center());
    QVERIFY(mail->behaviour().hot());
    GrabTo(&about, QStringLiteral("about-box-mail-hot.png"));
  }
};

QTEST_MAIN(WindowGrabTest)
#include "window_grab_test.moc"
