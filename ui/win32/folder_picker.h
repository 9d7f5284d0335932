// The shell's folder-browsing dialog, wrapped for one browse command.
#pragma once

#include "support/text_string.h"
#include "ui/common/dialog_model.h"
#include "ui/win32/win32_headers.h"

namespace marlix::ui::win32 {

class FolderPicker {
 public:
  // Starts OLE on this thread unless it runs already.
  FolderPicker();
  ~FolderPicker();
  FolderPicker(const FolderPicker&) = delete;
  FolderPicker& operator=(const FolderPicker&) = delete;

  void setTitle(const TextString& text) { title_ = text; }
  void setPath(const TextString& text) { path_ = text; }
  void setAllowNewFolder(bool flag) { allowNewFolder_ = flag; }

  // 1 when a folder was chosen and its file-system path obtained, else 0.
  int browse(HWND owner);
  TextString chosenPath() const { return path_; }

  // The flags handed to the shell for the current settings.
  unsigned Flags() const;

 private:
  bool ownsOle_ = true;
  bool newDialogStyle_ = true;
  bool showEditBox_ = true;
  bool allowNewFolder_ = true;
  int rootFolderId_ = 0;  // 0: the desktop
  int reserved_ = 0;      // kept 0, read by nothing
  TextString path_;
  TextString title_;
};

// A Browse button: pre-selects the Marlix folder and, when a folder is
// chosen, replaces the field named by settings with its path.
void BrowseForFolder(const FolderPickerSettings& settings, HWND dialog);

}  // namespace marlix::ui::win32
