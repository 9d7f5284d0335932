#include "ui/qt/link_font.h"

#include <QCoreApplication>

#include "ui/qt/qt_support.h"

namespace marlix::ui {

FontSpec::FontSpec() { rebuild(); }

void FontSpec::setPointSize(int points) {
  pointSize_ = points;
  rebuild();
}

void FontSpec::setBold(bool bold) {
  bold_ = bold;
  rebuild();
}

void FontSpec::setUnderline(bool underline) {
  underline_ = underline;
  rebuild();
}

void FontSpec::setFaceName(const QString& faceName) {
  faceName_ = faceName;
  rebuild();
}

void FontSpec::setHold(bool hold) {
  hold_ = hold;
  rebuild();
}

void FontSpec::copyFrom(const FontSpec& other) {
  pointSize_ = other.pointSize_;
  bold_ = other.bold_;
  underline_ = other.underline_;
  faceName_ = other.faceName_;
  rebuild();
}

void FontSpec::setNotify(QObject* target, int id) {
  notifyTarget_ = target;
  notifyId_ = id;
}

void FontSpec::rebuild() {
  if (hold_) return;
  font_ = SansFont(faceName_.left(static_cast<qsizetype>(kMaxFaceNameLength)), pointSize_);
  font_.setWeight(bold_ ? QFont::Bold : QFont::Normal);
  font_.setUnderline(underline_);
  if (notifyTarget_) {
    QCoreApplication::postEvent(notifyTarget_, new FontRebuiltEvent(notifyId_, this));
  }
}

}  // namespace marlix::ui
