// The program entry: common controls, the application icon, the link's
// window class, then the main dialog until the user closes it.
#include "ui/win32/app_state.h"

#include <commctrl.h>

#include "ui/win32/hyper_link.h"
#include "ui/win32/main_dialog.h"
#include "ui/win32/resource_ids.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  using namespace marlix::ui::win32;
  App().instance = instance;
  ::InitCommonControls();
  App().icon = ::LoadIconA(instance, MAKEINTRESOURCEA(kAppIcon));
  // The main dialog's template holds a link: its class must exist first.
  RegisterHyperLinkClass(instance, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  ::DialogBoxParamA(instance, MAKEINTRESOURCEA(kMainDialogTemplate), nullptr, MainDialogProc, 0);
  if (App().icon != nullptr) ::DestroyIcon(App().icon);
  return 0;
}
