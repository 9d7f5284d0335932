#include "ui/qt/qt_support.h"

#include <QFile>
#include <QKeyEvent>
#include <QScreen>
#include <QWidget>

namespace marlix::ui {

QRect ToQRect(const PixelRect& rect) { return QRect(rect.x, rect.y, rect.width, rect.height); }

QColor ToQColor(ColourRef colour) { return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour)); }

QStringList SansFallbackFaces() {
  return {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")};
}

QFont SansFont(const QString& faceName, int pointSize) {
  QFont font;
  QStringList families{faceName};
  families << SansFallbackFaces();
  font.setFamilies(families);
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(pointSize > 0 ? pointSize : 1);
  return font;
}

double ScreenDotsPerInch(const QWidget* widget) {
  const QScreen* screen = widget != nullptr ? widget->screen() : nullptr;
  return screen != nullptr ? screen->logicalDotsPerInch() : kReferenceDotsPerInch;
}

QString FromUtf8(const char* text) { return QString::fromUtf8(text); }

QString PathFromBytes(const TextString& path) { return QFile::decodeName(path.CStr()); }

TextString PathToBytes(const QString& path) {
  const QByteArray bytes = QFile::encodeName(path);
  return TextString(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QMessageBox::Icon IconFor(MessageKind kind) {
  switch (kind) {
    case MessageKind::Warning:
      return QMessageBox::Warning;
    case MessageKind::Error:
      return QMessageBox::Critical;
    default:
      return QMessageBox::NoIcon;
  }
}

QIcon AppIcon() {
  const QString path = QStringLiteral(":/marlix2html/marlix2html.png");
  return QFile::exists(path) ? QIcon(path) : QIcon();
}

QString AboutPicturePath() { return QStringLiteral(":/marlix2html/about.bmp"); }

bool IsIgnoredDialogKey(const QKeyEvent* event) {
  const int key = event->key();
  return key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace marlix::ui
