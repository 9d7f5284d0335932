#include "ui/common/link_behaviour.h"

namespace marlix::ui {

bool PointInside(const TextBox& box, int x, int y) {
  return x >= box.left && x <= box.right && y >= box.top && y <= box.bottom;
}

TextBox PlaceText(const TextBox& client, int textWidth, int textHeight, int alignment) {
  TextBox text{client.left, client.top, client.left + textWidth, client.top + textHeight};
  const int freeWidth = client.right - text.right;
  const int freeHeight = client.bottom - text.bottom;

  int dx = 0;
  int dy = 0;
  if (alignment >= 0 && alignment <= 8) {
    const int column = alignment % 3;
    const int row = alignment / 3;
    if (freeWidth > 0) dx = column == 1 ? freeWidth / 2 : column == 2 ? freeWidth : 0;
    if (freeHeight > 0) dy = row == 1 ? freeHeight / 2 : row == 2 ? freeHeight : 0;
  }
  text.left += dx;
  text.right += dx;
  text.top += dy;
  text.bottom += dy;
  return text;
}

LinkEffects LinkBehaviour::MouseMoved(int x, int y) {
  LinkEffects effects;
  if (!cursorSet_) {
    cursorSet_ = true;
    effects.cursor = LinkCursor::Arrow;
    hoverShown_ = false;
  }
  hot_ = PointInside(textBox_, x, y);
  if (hot_ && !hoverShown_) {
    effects.cursor = LinkCursor::Hand;
    hoverShown_ = true;
    effects.repaint = true;
  } else if (!hot_ && hoverShown_) {
    effects.cursor = LinkCursor::Arrow;
    hoverShown_ = false;
    effects.repaint = true;
  }
  if (!tracking_) {
    tracking_ = true;
    effects.trackLeave = true;
  }
  return effects;
}

LinkEffects LinkBehaviour::MouseLeft() {
  LinkEffects effects;
  tracking_ = false;
  cursorSet_ = false;
  hot_ = false;
  if (hoverShown_) {
    effects.cursor = LinkCursor::Arrow;
    hoverShown_ = false;
    effects.repaint = true;
  }
  return effects;
}

void LinkBehaviour::ButtonPressed(int x, int y) {
  hot_ = PointInside(textBox_, x, y);
  pressed_ = hot_;
}

LinkEffects LinkBehaviour::ButtonReleased(int x, int y) {
  const bool click = hot_ && pressed_ && PointInside(textBox_, x, y);
  pressed_ = false;
  return click ? Clicked() : LinkEffects();
}

LinkEffects LinkBehaviour::KeyActivated() { return Clicked(); }

LinkEffects LinkBehaviour::Clicked() {
  LinkEffects effects;
  effects.open = clickAction == ClickAction::Open || clickAction == ClickAction::OpenThenNotify;
  effects.notify = clickAction == ClickAction::Notify || clickAction == ClickAction::OpenThenNotify;
  if (visitMode == VisitMode::MarkOnClick) {
    visited_ = true;
    effects.repaint = true;
  }
  return effects;
}

bool LinkBehaviour::Underlined() const {
  return underlineMode == UnderlineMode::Always ||
         (underlineMode == UnderlineMode::WhileHot && hot_);
}

ColourRef LinkBehaviour::CurrentColour() const {
  if (hot_) return hoverColour;
  if (visitMode != VisitMode::NeverShown && visited_) return visitedColour;
  return textColour;
}

}  // namespace marlix::ui
