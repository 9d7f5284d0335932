// A font description that rebuilds its font whenever a property changes and
// can tell a widget about each rebuild.
#pragma once

#include <QEvent>
#include <QFont>
#include <QPointer>
#include <QString>

#include "ui/common/link_behaviour.h"

namespace marlix::ui {

class FontSpec;

// Posted to the notify target of a FontSpec after each rebuild. The FontSpec it
// points at belongs to the target (or outlives it): Qt drops events still
// queued for a widget when the widget goes away.
class FontRebuiltEvent : public QEvent {
 public:
  static constexpr QEvent::Type kType = static_cast<QEvent::Type>(QEvent::User + 1);

  FontRebuiltEvent(int id, const FontSpec* source) : QEvent(kType), id_(id), source_(source) {}

  int id() const { return id_; }
  const FontSpec* source() const { return source_; }

 private:
  int id_;
  const FontSpec* source_;
};

class FontSpec {
 public:
  FontSpec();
  FontSpec(const FontSpec&) = delete;
  FontSpec& operator=(const FontSpec&) = delete;

  void setPointSize(int points);
  void setBold(bool bold);
  void setUnderline(bool underline);
  void setFaceName(const QString& faceName);
  // While held, the setters only store their values; releasing the hold
  // rebuilds once.
  void setHold(bool hold);
  // Takes size, weight, underline and face of other, then rebuilds.
  void copyFrom(const FontSpec& other);
  // Each rebuild posts a FontRebuiltEvent with id to target; null stops it.
  void setNotify(QObject* target, int id);

  int pointSize() const { return pointSize_; }
  bool bold() const { return bold_; }
  bool underline() const { return underline_; }
  const QString& faceName() const { return faceName_; }
  bool held() const { return hold_; }
  // The font as last rebuilt.
  const QFont& font() const { return font_; }

 private:
  void rebuild();

  int pointSize_ = kLinkPointSize;
  bool bold_ = false;
  bool underline_ = false;
  QString faceName_ = QString::fromLatin1(kLinkFaceName);
  bool hold_ = false;
  QFont font_;
  QPointer<QObject> notifyTarget_;
  int notifyId_ = 0;
};

}  // namespace marlix::ui
