// Small bridges between the shared dialog data and Qt.
#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QMessageBox>
#include <QRect>
#include <QString>

#include "engine/conversion_driver.h"
#include "support/text_string.h"
#include "ui/common/dialog_units.h"
#include "ui/common/link_behaviour.h"

class QKeyEvent;
class QWidget;

namespace marlix::ui {

QRect ToQRect(const PixelRect& rect);
QColor ToQColor(ColourRef colour);

// A font of the given face, or the nearest installed sans-serif face when the
// system lacks it (the Windows faces are rarely installed elsewhere).
QFont SansFont(const QString& faceName, int pointSize);
// The faces tried after the asked-for one, in order.
QStringList SansFallbackFaces();

// Logical dots per inch of the screen that shows the widget.
double ScreenDotsPerInch(const QWidget* widget);

// Texts of the shared tables are UTF-8; paths are in the file system's encoding.
QString FromUtf8(const char* text);
QString PathFromBytes(const TextString& path);
TextString PathToBytes(const QString& path);

QMessageBox::Icon IconFor(MessageKind kind);

// Enter and Escape, which the dialogs of this program ignore: they have no
// default and no cancel button.
bool IsIgnoredDialogKey(const QKeyEvent* event);

// The application icon; null when the program carries no resources.
QIcon AppIcon();
// Resource path of the About picture.
QString AboutPicturePath();

}  // namespace marlix::ui
