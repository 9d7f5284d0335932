#include "ui/qt/hyper_link.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

#include "ui/qt/qt_support.h"

namespace marlix::ui {
namespace {

QUrl UrlOf(const QString& target) {
  QUrl url(target, QUrl::TolerantMode);
  if (url.scheme().isEmpty()) url = QUrl::fromUserInput(target);
  return url;
}

HyperLink::UrlOpener& Opener() {
  static HyperLink::UrlOpener opener;
  return opener;
}

}  // namespace

HyperLink::HyperLink(QWidget* parent, int childId)
    : QWidget(parent), childId_(childId), backBrush_(palette().brush(QPalette::Button)) {
  underlineFont_.setUnderline(true);
  normalFont_.setNotify(this, 0);
  setMouseTracking(true);
  setCursor(Qt::ArrowCursor);
}

HyperLink::~HyperLink() { normalFont_.setNotify(nullptr, 0); }

void HyperLink::setCaption(const QString& caption) {
  caption_ = caption;
  update();
}

void HyperLink::setTarget(const QString& target) { target_ = target; }

void HyperLink::setAlignment(int alignment) {
  alignment_ = alignment;
  update();
}

void HyperLink::setTextColour(ColourRef colour) {
  behaviour_.textColour = colour;
  update();
}

void HyperLink::setHoverColour(ColourRef colour) {
  behaviour_.hoverColour = colour;
  update();
}

void HyperLink::setVisitedColour(ColourRef colour) {
  behaviour_.visitedColour = colour;
  update();
}

void HyperLink::setBackColour(ColourRef colour) {
  backColour_ = colour;
  update();
}

void HyperLink::setBackBrush(const QBrush& brush) {
  backBrush_ = brush;
  update();
}

void HyperLink::setUnderlineMode(UnderlineMode mode) {
  behaviour_.underlineMode = mode;
  update();
}

void HyperLink::setClickAction(ClickAction action) { behaviour_.clickAction = action; }

void HyperLink::setVisitMode(VisitMode mode) {
  behaviour_.visitMode = mode;
  update();
}

const QFont& HyperLink::currentFont() const {
  return behaviour_.Underlined() ? underlineFont_.font() : normalFont_.font();
}

QColor HyperLink::currentColour() const { return ToQColor(behaviour_.CurrentColour()); }

QRect HyperLink::textRect() const {
  const TextBox& box = behaviour_.textBox();
  return QRect(QPoint(box.left, box.top), QPoint(box.right - 1, box.bottom - 1));
}

void HyperLink::setUrlOpener(UrlOpener opener) { Opener() = std::move(opener); }

bool HyperLink::event(QEvent* event) {
  if (event->type() == FontRebuiltEvent::kType) {
    // The normal font changed: the underlined font becomes a copy of it
    // with the underline, rebuilt once.
    const auto* notice = static_cast<FontRebuiltEvent*>(event);
    underlineFont_.setHold(true);
    underlineFont_.copyFrom(*notice->source());
    underlineFont_.setUnderline(true);
    underlineFont_.setHold(false);
    update();
    return true;
  }
  return QWidget::event(event);
}

void HyperLink::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect client = rect();
  if (backBrush_.style() != Qt::NoBrush) {
    painter.fillRect(client, backBrush_);
  } else if (backColour_) {
    painter.fillRect(client, ToQColor(*backColour_));
  }

  const QFont& font = currentFont();
  const QFontMetrics metrics(font);
  const TextBox clientBox{client.left(), client.top(), client.left() + client.width(),
                          client.top() + client.height()};
  const TextBox text =
      PlaceText(clientBox, metrics.horizontalAdvance(caption_), metrics.height(), alignment_);
  behaviour_.SetTextBox(text);

  painter.setFont(font);
  painter.setPen(currentColour());
  const QRect drawArea(QPoint(text.left, text.top), client.bottomRight());
  painter.drawText(drawArea, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, caption_);
  if (hasFocus()) {
    // The dotted frame round the text that shows where the keyboard is.
    QPen dotted(currentColour(), 1, Qt::DotLine);
    painter.setPen(dotted);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(textRect().adjusted(-1, 0, 0, 0).intersected(client.adjusted(0, 0, -1, -1)));
  }
}

void HyperLink::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  apply(behaviour_.MouseMoved(at.x(), at.y()));
}

void HyperLink::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint at = event->position().toPoint();
  behaviour_.ButtonPressed(at.x(), at.y());
}

void HyperLink::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint at = event->position().toPoint();
  apply(behaviour_.ButtonReleased(at.x(), at.y()));
}

void HyperLink::leaveEvent(QEvent*) { apply(behaviour_.MouseLeft()); }

void HyperLink::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
    event->accept();
    apply(behaviour_.KeyActivated());
    return;
  }
  QWidget::keyPressEvent(event);
}

void HyperLink::apply(const LinkEffects& effects) {
  if (effects.cursor == LinkCursor::Hand) setCursor(Qt::PointingHandCursor);
  if (effects.cursor == LinkCursor::Arrow) setCursor(Qt::ArrowCursor);
  if (effects.repaint) update();
  // Qt reports leaving on its own: effects.trackLeave needs nothing here.
  if (effects.open) open();
  if (effects.notify) emit notified(childId_);
}

void HyperLink::open() const {
  if (target_.isEmpty()) return;
  if (Opener()) {
    Opener()(target_);
  } else {
    QDesktopServices::openUrl(UrlOf(target_));
  }
}

}  // namespace marlix::ui
