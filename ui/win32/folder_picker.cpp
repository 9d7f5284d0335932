#include "ui/win32/folder_picker.h"

#include "ui/win32/win32_headers.h"

#include <ole2.h>
#include <shlobj.h>

#include "ui/win32/main_dialog.h"

namespace marlix::ui::win32 {
namespace {

// Pre-selects the folder passed as data once the dialog is up.
int CALLBACK SelectOnStart(HWND window, UINT notification, LPARAM, LPARAM data) {
  if (notification == BFFM_INITIALIZED) ::SendMessageA(window, BFFM_SETSELECTIONA, 1, data);
  return 0;
}

}  // namespace

FolderPicker::FolderPicker() {
  // S_FALSE: OLE runs on this thread already, and someone else stops it.
  if (::OleInitialize(nullptr) == S_FALSE) ownsOle_ = false;
}

FolderPicker::~FolderPicker() {
  if (ownsOle_) ::OleUninitialize();
}

unsigned FolderPicker::Flags() const {
  unsigned flags = BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS;
  if (showEditBox_) flags |= BIF_EDITBOX;
  if (newDialogStyle_) flags |= BIF_NEWDIALOGSTYLE;
  if (!allowNewFolder_) flags |= BIF_NONEWFOLDERBUTTON;
  return flags;
}

int FolderPicker::browse(HWND owner) {
  BROWSEINFOA info{};
  info.hwndOwner = owner;
  info.pszDisplayName = nullptr;
  info.lpszTitle = title_.IsEmpty() ? nullptr : title_.CStr();
  info.ulFlags = Flags();
  if (!path_.IsEmpty()) {
    info.lpfn = SelectOnStart;
    info.lParam = reinterpret_cast<LPARAM>(path_.CStr());
  }
  PIDLIST_ABSOLUTE root = nullptr;
  if (rootFolderId_ != 0 &&
      ::SHGetFolderLocation(owner, rootFolderId_, nullptr, 0, &root) == S_OK) {
    info.pidlRoot = root;
  }

  int result = 0;
  if (PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderA(&info)) {
    char buffer[MAX_PATH] = {};
    if (::SHGetPathFromIDListA(chosen, buffer)) {
      path_ = buffer;
      result = 1;
    }
    ::CoTaskMemFree(chosen);
  }
  if (root != nullptr) ::CoTaskMemFree(root);
  return result;
}

void BrowseForFolder(const FolderPickerSettings& settings, HWND dialog) {
  FolderPicker picker;
  picker.setTitle(settings.title);
  picker.setPath(MarlixFolder());
  picker.setAllowNewFolder(settings.allowNewFolder);
  if (picker.browse(dialog) == 1) {
    ::SetDlgItemTextA(dialog, settings.fieldId, picker.chosenPath().CStr());
  }
}

}  // namespace marlix::ui::win32
