// Lets the user choose a folder in a modal folder dialog. One picker serves
// one browse command: set it up, browse, read the chosen path.
#pragma once

#include <QString>
#include <memory>

class QFileDialog;
class QWidget;

namespace marlix::ui {

struct FolderPickerSettings;

class FolderPicker {
 public:
  FolderPicker() = default;
  // Title and new-folder rule of one of the two browse commands, with the
  // given folder to pre-select.
  FolderPicker(const FolderPickerSettings& settings, const QString& preselect);

  void setTitle(const QString& title) { title_ = title; }
  // Before browse: the folder to pre-select; after a successful browse: the
  // folder chosen.
  void setPath(const QString& path) { path_ = path; }
  void setAllowNewFolder(bool allow) { allowNewFolder_ = allow; }

  const QString& title() const { return title_; }
  const QString& path() const { return path_; }
  bool allowNewFolder() const { return allowNewFolder_; }
  QString chosenPath() const { return path_; }

  // The dialog that browse() runs, set up but not shown.
  std::unique_ptr<QFileDialog> makeDialog(QWidget* owner) const;

  // Runs the dialog modally. True when a folder was chosen; path() then
  // holds it. On cancel path() stays as it was.
  bool browse(QWidget* owner);

 private:
  QString title_;
  QString path_;
  bool allowNewFolder_ = true;
};

}  // namespace marlix::ui
