// The About box (template 103): picture, author lines, OK, and three links.
#pragma once

#include "ui/win32/win32_headers.h"

namespace marlix::ui::win32 {

class HyperLink;

INT_PTR CALLBACK AboutBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The link of the open About box at index 0 (e-mail), 1 (home page) or
// 2 (banner); null while the box is closed.
HyperLink* AboutLink(int index);

}  // namespace marlix::ui::win32
