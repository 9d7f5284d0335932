// A self-drawn link: one line of text that turns to its hover colour and
// underlines while the mouse is over the text, shows the hand cursor there,
// and on a click opens its target through the desktop and/or tells its owner.
#pragma once

#include <QBrush>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

#include "ui/common/link_behaviour.h"
#include "ui/qt/link_font.h"

namespace marlix::ui {

class HyperLink : public QWidget {
  Q_OBJECT

 public:
  // Opens a link target. The program hands targets to the desktop's URL
  // handler; tests put a recorder in its place.
  using UrlOpener = std::function<void(const QString& target)>;

  explicit HyperLink(QWidget* parent = nullptr, int childId = 0);
  ~HyperLink() override;

  void setCaption(const QString& caption);
  // Does not repaint: the target is not shown.
  void setTarget(const QString& target);
  void setAlignment(int alignment);  // 0..8, see PlaceText
  void setTextColour(ColourRef colour);
  void setHoverColour(ColourRef colour);
  void setVisitedColour(ColourRef colour);
  // Used only while the back brush is none.
  void setBackColour(ColourRef colour);
  // Qt::NoBrush means none: the back colour is painted instead.
  void setBackBrush(const QBrush& brush);
  void setUnderlineMode(UnderlineMode mode);
  void setClickAction(ClickAction action);
  void setVisitMode(VisitMode mode);

  // Callers change the link's font through this one; the underlined font
  // follows it by itself.
  FontSpec& normalFont() { return normalFont_; }
  const FontSpec& normalFont() const { return normalFont_; }
  const FontSpec& underlineFont() const { return underlineFont_; }

  int childId() const { return childId_; }
  const QString& caption() const { return caption_; }
  const QString& target() const { return target_; }
  int alignment() const { return alignment_; }
  const QBrush& backBrush() const { return backBrush_; }
  std::optional<ColourRef> backColour() const { return backColour_; }
  const LinkBehaviour& behaviour() const { return behaviour_; }

  // What the next paint uses, and the hit area that the last paint left.
  const QFont& currentFont() const;
  QColor currentColour() const;
  QRect textRect() const;

  // Replaces the opener of every link; an empty function restores the
  // desktop's URL handler.
  static void setUrlOpener(UrlOpener opener);

 signals:
  // A click with clickAction Notify or OpenThenNotify.
  void notified(int childId);

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  // Space or Enter while the link has the focus (a link that takes it).
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void apply(const LinkEffects& effects);
  void open() const;

  int childId_;
  FontSpec normalFont_;
  FontSpec underlineFont_;
  LinkBehaviour behaviour_;
  QString caption_;
  QString target_;
  int alignment_ = 0;
  QBrush backBrush_;
  std::optional<ColourRef> backColour_;
};

}  // namespace marlix::ui
