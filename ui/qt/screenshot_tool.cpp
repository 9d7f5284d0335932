// Renders the main dialog and the About box into PNG files for the
// documentation: marlix2html-screenshots OUTPUT_FOLDER. Meant for the
// offscreen platform (QT_QPA_PLATFORM=offscreen), where no window appears.
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTextStream>

#include "ui/qt/about_box.h"
#include "ui/qt/main_dialog.h"

namespace {

// The window's content under a plain title bar, since offscreen windows
// have no frame of their own.
QImage Framed(QWidget* window) {
  window->show();
  QCoreApplication::processEvents();
  const QImage content = window->grab().toImage();
  const int title = 26;
  const int border = 1;
  QImage framed(content.width() + 2 * border, content.height() + title + border,
                QImage::Format_RGB32);
  framed.fill(QColor(0x3a, 0x4a, 0x5c));
  QPainter painter(&framed);
  painter.drawImage(border, title, content);
  QFont font = window->font();
  font.setBold(true);
  font.setPointSize(9);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(QRect(10, 0, framed.width() - 20, title), Qt::AlignVCenter | Qt::AlignLeft,
                   window->windowTitle());
  painter.drawText(QRect(10, 0, framed.width() - 20, title), Qt::AlignVCenter | Qt::AlignRight,
                   QStringLiteral("\u2715"));
  return framed;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments();
  if (args.size() != 2) {
    QTextStream(stderr) << "usage: marlix2html-screenshots OUTPUT_FOLDER\n";
    return 2;
  }
  const QDir out(args.at(1));
  if (!QDir().mkpath(out.path())) {
    QTextStream(stderr) << "cannot create " << out.path() << "\n";
    return 1;
  }

  // A neutral home folder, so that no real user's path shows in the picture.
  marlix::ui::MainDialog dialog(QStringLiteral("/home/user"));
  marlix::ui::AboutBox about(&dialog);
  const struct {
    QWidget* window;
    const char* file;
  } shots[] = {{&dialog, "main-dialog.png"}, {&about, "about-box.png"}};
  for (const auto& shot : shots) {
    const QString path = out.filePath(QString::fromLatin1(shot.file));
    if (!Framed(shot.window).save(path)) {
      QTextStream(stderr) << "cannot write " << path << "\n";
      return 1;
    }
    QTextStream(stdout) << path << "\n";
  }
  return 0;
}
