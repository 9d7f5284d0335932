#include "ui/qt/about_box.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "ui/common/about_links.h"
#include "ui/common/dialog_model.h"
#include "ui/qt/hyper_link.h"
#include "ui/qt/qt_support.h"

namespace marlix::ui {

AboutBox::AboutBox(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                         Qt::MSWindowsFixedSizeDialogHint) {
  const DialogTemplate& layout = AboutBoxTemplate();
  const double dpi = ScreenDotsPerInch(owner != nullptr ? owner : this);

  setWindowTitle(FromUtf8(layout.caption));
  setWindowIcon(AppIcon());
  setWindowModality(Qt::WindowModal);
  setFont(SansFont(FromUtf8(layout.fontFace), layout.fontPointSize));
  setFixedSize(HorizontalUnitsToPixels(layout.width, dpi),
               VerticalUnitsToPixels(layout.height, dpi));

  for (const ControlTemplate& entry : layout.controls) {
    const QRect place = ToQRect(ToPixels(entry.rect, dpi));
    switch (entry.kind) {
      case ControlKind::Picture: {
        // The picture keeps its own size, whatever the template's box.
        auto* picture = new QLabel(this);
        picture->setObjectName(QStringLiteral("picture"));
        const QPixmap pixmap(AboutPicturePath());
        picture->setPixmap(pixmap);
        picture->setGeometry(
            QRect(place.topLeft(), pixmap.isNull() ? place.size() : pixmap.size()));
        break;
      }
      case ControlKind::PushButton: {
        auto* ok = new QPushButton(FromUtf8(entry.text), this);
        ok->setObjectName(QStringLiteral("ok"));
        ok->setAutoDefault(false);
        ok->setDefault(false);
        ok->setGeometry(place);
        connect(ok, &QPushButton::clicked, this, [this] { done(0); });
        break;
      }
      default: {
        auto* label = new QLabel(FromUtf8(entry.text), this);
        label->setObjectName(entry.role == ControlRole::AuthorLine ? QStringLiteral("author")
                                                                   : QStringLiteral("location"));
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setGeometry(place);
        break;
      }
    }
  }

  for (const AboutLinkSettings& settings : AboutLinks()) {
    auto* link = new HyperLink(this, 0);
    link->setGeometry(ToQRect(settings.position));
    link->setCaption(FromUtf8(settings.caption));
    link->setTarget(FromUtf8(settings.target));
    link->setAlignment(settings.alignment);
    if (settings.ownLook) {
      link->setBackBrush(QBrush());
      link->setBackColour(settings.backColour);
      link->setTextColour(settings.textColour);
      link->setHoverColour(settings.hoverColour);
      link->normalFont().setBold(settings.bold);
      link->normalFont().setPointSize(settings.pointSize);
      link->normalFont().setFaceName(FromUtf8(settings.faceName));
    }
    links_.push_back(link);
  }
}

void AboutBox::keyPressEvent(QKeyEvent* event) {
  if (IsIgnoredDialogKey(event)) {
    event->accept();  // Only OK and the close box end the box.
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace marlix::ui
