#include "ui/qt/folder_picker.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QToolButton>

#include "ui/common/dialog_model.h"
#include "ui/qt/qt_support.h"

namespace marlix::ui {
namespace {

// The nearest folder at or above path that exists, or empty when none does.
QString ExistingFolder(const QString& path) {
  if (path.isEmpty()) return {};
  QFileInfo info(path);
  while (!info.isDir()) {
    const QString parent = info.absolutePath();
    if (parent == info.absoluteFilePath()) return {};
    info = QFileInfo(parent);
  }
  return info.absoluteFilePath();
}

}  // namespace

FolderPicker::FolderPicker(const FolderPickerSettings& settings, const QString& preselect)
    : title_(FromUtf8(settings.title)),
      path_(preselect),
      allowNewFolder_(settings.allowNewFolder) {}

std::unique_ptr<QFileDialog> FolderPicker::makeDialog(QWidget* owner) const {
  auto dialog = std::make_unique<QFileDialog>(owner, title_);
  // Qt's own dialog, so that the new-folder rule holds on every desktop.
  dialog->setOption(QFileDialog::DontUseNativeDialog, true);
  dialog->setFileMode(QFileDialog::Directory);
  dialog->setOption(QFileDialog::ShowDirsOnly, true);
  dialog->setAcceptMode(QFileDialog::AcceptOpen);
  dialog->setWindowModality(Qt::WindowModal);
  if (!allowNewFolder_) {
    // A read-only dialog creates, renames and deletes nothing; the button
    // goes as well so that the user is not offered it.
    dialog->setOption(QFileDialog::ReadOnly, true);
    if (auto* button = dialog->findChild<QToolButton*>(QStringLiteral("newFolderButton"))) {
      button->setEnabled(false);
      button->hide();
    }
  }
  // A folder to pre-select that is missing leaves the dialog at the nearest
  // folder above it that exists.
  const QString start = ExistingFolder(path_);
  if (!start.isEmpty()) dialog->setDirectory(start);
  return dialog;
}

bool FolderPicker::browse(QWidget* owner) {
  const std::unique_ptr<QFileDialog> dialog = makeDialog(owner);
  if (dialog->exec() != QDialog::Accepted) return false;
  const QStringList chosen = dialog->selectedFiles();
  if (chosen.isEmpty() || chosen.first().isEmpty()) return false;
  path_ = QDir::toNativeSeparators(chosen.first());
  return true;
}

}  // namespace marlix::ui
