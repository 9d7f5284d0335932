#include "ui/win32/about_box.h"

#include "ui/common/about_links.h"
#include "ui/common/dialog_model.h"
#include "ui/win32/app_state.h"
#include "ui/win32/hyper_link.h"

namespace marlix::ui::win32 {
namespace {

constexpr int kLinkCount = 3;
// Process-wide, so that the close handler reaches them.
HyperLink* links[kLinkCount] = {};

void CreateLinks(HWND dialog) {
  const auto settings = AboutLinks();
  for (int i = 0; i < kLinkCount; ++i) links[i] = new HyperLink;
  // Registered once, through the banner, while its brush is the default.
  links[kLinkCount - 1]->registerClass(App().instance);
  for (int i = 0; i < kLinkCount; ++i) {
    const AboutLinkSettings& entry = settings[static_cast<std::size_t>(i)];
    HyperLink& link = *links[i];
    link.create(entry.position.x, entry.position.y, entry.position.width, entry.position.height,
                dialog, 0, App().instance);
    link.setCaption(entry.caption);
    link.setTarget(entry.target);
    link.setAlignment(entry.alignment);
    if (!entry.ownLook) continue;
    link.setBackBrush(nullptr);
    link.setBackColour(entry.backColour);
    link.setTextColour(entry.textColour);
    link.setHoverColour(entry.hoverColour);
    link.normalFont().setBold(entry.bold);
    link.normalFont().setPointSize(entry.pointSize);
    link.normalFont().setFaceName(entry.faceName);
  }
}

void DestroyLinks() {
  for (HyperLink*& link : links) {
    delete link;
    link = nullptr;
  }
}

}  // namespace

HyperLink* AboutLink(int index) {
  return index >= 0 && index < kLinkCount ? links[index] : nullptr;
}

INT_PTR CALLBACK AboutBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      CreateLinks(dialog);
      ::SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(App().icon));
      return 1;
    case WM_COMMAND:
      // OK only: Enter and Escape (IDOK, IDCANCEL) leave the box open.
      if (wParam == static_cast<WPARAM>(kIdAboutOk)) ::EndDialog(dialog, 0);
      return 0;
    case WM_CLOSE:
      ::EndDialog(dialog, 0);
      return 0;
    case WM_DESTROY:
      DestroyLinks();
      return 0;
    default:
      return 0;
  }
}

}  // namespace marlix::ui::win32
