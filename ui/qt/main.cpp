// The desktop program: one main dialog; closing it ends the program.
#include <QApplication>
#include <QDir>

#include "ui/common/desktop_options.h"
#include "ui/qt/main_dialog.h"
#include "ui/qt/qt_support.h"

int main(int argc, char* argv[]) {
  int status = 0;
  if (marlix::ui::AnswerInfoOption(argc, argv, stdout, status)) return status;

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("marlix2html"));
  QApplication::setDesktopFileName(QStringLiteral("marlix2html"));
  QApplication::setWindowIcon(marlix::ui::AppIcon());

  marlix::ui::MainDialog dialog(QDir::homePath());
  dialog.show();
  QApplication::exec();
  // Nothing else of the command line is read, and nothing is reported at the
  // process level.
  return 0;
}
