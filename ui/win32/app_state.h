// What the Win32 program remembers for its whole run: set at start-up or when
// the main dialog opens, read by the dialogs and the hyperlink windows.
#pragma once

#include "ui/win32/win32_headers.h"

namespace marlix::ui::win32 {

struct AppState {
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;         // icon group 105; null when it could not be loaded
  HWND mainDialog = nullptr;    // owner of message boxes and the folder dialogs
};

AppState& App();

}  // namespace marlix::ui::win32
