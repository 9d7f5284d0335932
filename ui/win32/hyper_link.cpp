#include "ui/win32/hyper_link.h"

#include <shellapi.h>

#include "ui/win32/resource_ids.h"

namespace marlix::ui::win32 {
namespace {

// The help viewer in the Windows folder holds the system's hand cursor.
HCURSOR LoadHandCursor(HCURSOR arrow) {
  char path[MAX_PATH + 16] = {};
  const UINT length = ::GetWindowsDirectoryA(path, MAX_PATH);
  if (length > 0 && length < MAX_PATH) {
    lstrcatA(path, "\\winhlp32.exe");
    // The library stays loaded: the cursor lives in it.
    if (HMODULE viewer = ::LoadLibraryA(path)) {
      if (HCURSOR hand = ::LoadCursorA(viewer, MAKEINTRESOURCEA(kHelpViewerHandCursor))) {
        return hand;
      }
    }
  }
  return reinterpret_cast<HCURSOR>(::CopyIcon(reinterpret_cast<HICON>(arrow)));
}

int SignedLow(LPARAM value) { return static_cast<short>(LOWORD(value)); }
int SignedHigh(LPARAM value) { return static_cast<short>(HIWORD(value)); }

}  // namespace

bool RegisterHyperLinkClass(HINSTANCE instance, HBRUSH background) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;  // 0x23
  windowClass.lpfnWndProc = HyperLink::WindowProc;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = background;
  windowClass.lpszClassName = kHyperLinkClass;
  return ::RegisterClassExA(&windowClass) != 0;
}

HyperLink::HyperLink() {
  underlineFont_.setUnderline(true);
  arrowCursor_ = ::LoadCursorA(nullptr, IDC_ARROW);
  handCursor_ = LoadHandCursor(arrowCursor_);
}

HyperLink::~HyperLink() {
  Release();
  ::DestroyCursor(arrowCursor_);
  ::DestroyCursor(handCursor_);
}

bool HyperLink::registerClass(HINSTANCE instance) {
  return RegisterHyperLinkClass(instance, backBrush_);
}

void HyperLink::Release() {
  if (window_ != nullptr) {
    ::SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);
    window_ = nullptr;
  }
  normalFont_.setNotify(nullptr, 0);
}

void HyperLink::attach(HWND window) {
  Release();
  if (window == nullptr) return;
  window_ = window;
  ::SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  char text[256] = {};
  ::GetWindowTextA(window_, text, sizeof text);
  caption_ = text;
  normalFont_.setNotify(window_, 0);
  Invalidate();
}

HWND HyperLink::create(int x, int y, int width, int height, HWND parent, int childId,
                       HINSTANCE instance) {
  Release();
  auto make = [&] {
    return ::CreateWindowExA(0, kHyperLinkClass, nullptr, WS_CHILD | WS_VISIBLE, x, y, width,
                             height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(childId)),
                             instance, this);
  };
  window_ = make();
  if (window_ == nullptr) {
    registerClass(instance);
    window_ = make();
  }
  if (window_ != nullptr) normalFont_.setNotify(window_, 0);
  return window_;
}

void HyperLink::Invalidate() {
  if (window_ != nullptr) ::InvalidateRect(window_, nullptr, TRUE);
}

void HyperLink::setCaption(const TextString& text) {
  caption_ = text;
  Invalidate();
}
void HyperLink::setAlignment(int alignment) {
  alignment_ = alignment;
  Invalidate();
}
void HyperLink::setTextColour(COLORREF colour) {
  behaviour_.textColour = colour;
  Invalidate();
}
void HyperLink::setBackColour(COLORREF colour) {
  backColour_ = colour;
  Invalidate();
}
void HyperLink::setBackBrush(HBRUSH brush) {
  backBrush_ = brush;
  Invalidate();
}
void HyperLink::setHoverColour(COLORREF colour) {
  behaviour_.hoverColour = colour;
  Invalidate();
}
void HyperLink::setUnderlineMode(UnderlineMode mode) {
  behaviour_.underlineMode = mode;
  Invalidate();
}
void HyperLink::setClickAction(ClickAction action) { behaviour_.clickAction = action; }
void HyperLink::setVisitMode(VisitMode mode) {
  behaviour_.visitMode = mode;
  Invalidate();
}

void HyperLink::SetCursorTo(LinkCursor cursor) {
  if (cursor == LinkCursor::Arrow) ::SetCursor(arrowCursor_);
  if (cursor == LinkCursor::Hand) ::SetCursor(handCursor_);
}

void HyperLink::Carry(const LinkEffects& effects) {
  SetCursorTo(effects.cursor);
  if (effects.trackLeave) {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof track;
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = window_;
    track.dwHoverTime = 0;
    ::TrackMouseEvent(&track);
  }
  if (effects.open && !target_.IsEmpty()) {
    ::ShellExecuteA(nullptr, "open", target_.CStr(), nullptr, nullptr, SW_SHOWMINIMIZED);
  }
  if (effects.notify) {
    const int id = LOWORD(::GetWindowLongPtrA(window_, GWLP_ID));
    ::SendMessageA(::GetParent(window_), WM_COMMAND, MAKEWPARAM(id, 0),
                   reinterpret_cast<LPARAM>(window_));
  }
  if (effects.repaint) Invalidate();
}

void HyperLink::Paint() {
  PAINTSTRUCT paint;
  HDC target = ::BeginPaint(window_, &paint);
  RECT client;
  ::GetClientRect(window_, &client);

  // Off screen first, so that the text never flickers; straight to the
  // window when no bitmap can be had.
  HDC memory = ::CreateCompatibleDC(target);
  const int width = ::GetDeviceCaps(target, HORZRES);
  const int height = ::GetDeviceCaps(target, VERTRES);
  HBITMAP bitmap = memory ? ::CreateCompatibleBitmap(target, width, height) : nullptr;
  HGDIOBJ oldBitmap = nullptr;
  HDC dc = target;
  if (bitmap != nullptr) {
    oldBitmap = ::SelectObject(memory, bitmap);
    dc = memory;
  }

  if (backBrush_ != nullptr) {
    ::FillRect(dc, &client, backBrush_);
  } else {
    HBRUSH solid = ::CreateSolidBrush(backColour_);
    ::FillRect(dc, &client, solid);
    ::DeleteObject(solid);
  }
  const int oldMode = ::SetBkMode(dc, TRANSPARENT);
  HFONT font = behaviour_.Underlined() ? underlineFont_.fontHandle() : normalFont_.fontHandle();
  HGDIOBJ oldFont = ::SelectObject(dc, font);
  ::SetTextColor(dc, behaviour_.CurrentColour());

  RECT measured = client;
  ::DrawTextA(dc, caption_.CStr(), -1, &measured, DT_CALCRECT | DT_SINGLELINE);
  const TextBox placed =
      PlaceText(TextBox{client.left, client.top, client.right, client.bottom},
                measured.right - measured.left, measured.bottom - measured.top, alignment_);
  behaviour_.SetTextBox(placed);
  RECT drawn = client;
  drawn.left = placed.left;
  drawn.top = placed.top;
  ::DrawTextA(dc, caption_.CStr(), -1, &drawn, DT_SINGLELINE);
  if (::GetFocus() == window_) {
    // The dotted frame round the text that shows where the keyboard is.
    RECT frame{placed.left, placed.top, placed.right, placed.bottom};
    ::IntersectRect(&frame, &frame, &client);
    ::DrawFocusRect(dc, &frame);
  }

  if (bitmap != nullptr) ::BitBlt(target, 0, 0, width, height, memory, 0, 0, SRCCOPY);
  ::SetBkMode(dc, oldMode);
  ::SelectObject(dc, oldFont);
  ::EndPaint(window_, &paint);
  if (bitmap != nullptr) {
    ::SelectObject(memory, oldBitmap);
    ::DeleteObject(bitmap);
  }
  if (memory != nullptr) ::DeleteDC(memory);
}

LRESULT CALLBACK HyperLink::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    // Known before CreateWindowExA returns, for the messages sent meanwhile.
    if (auto* link = static_cast<HyperLink*>(create->lpCreateParams)) link->window_ = window;
  }
  auto* link = reinterpret_cast<HyperLink*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (link == nullptr) return ::DefWindowProcA(window, message, wParam, lParam);

  const int x = SignedLow(lParam);
  const int y = SignedHigh(lParam);
  switch (message) {
    case WM_PAINT:
      link->Paint();
      break;
    case WM_ERASEBKGND:
      return 1;  // the paint fills the background itself
    case WM_MOUSEMOVE:
      link->Carry(link->behaviour_.MouseMoved(x, y));
      break;
    case WM_LBUTTONDOWN:
      link->behaviour_.ButtonPressed(x, y);
      break;
    case WM_LBUTTONUP:
      link->Carry(link->behaviour_.ButtonReleased(x, y));
      break;
    case WM_MOUSELEAVE:
      link->Carry(link->behaviour_.MouseLeft());
      break;
    case WM_GETDLGCODE: {
      // Enter comes to a focused link instead of going to the dialog.
      const auto* key = reinterpret_cast<const MSG*>(lParam);
      if (key != nullptr && key->message == WM_KEYDOWN && key->wParam == VK_RETURN) {
        return DLGC_WANTMESSAGE;
      }
      break;
    }
    case WM_KEYDOWN:
      if (wParam == VK_SPACE || wParam == VK_RETURN) {
        link->Carry(link->behaviour_.KeyActivated());
        return 0;
      }
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      link->Invalidate();
      break;
    case kFontChanged: {
      // The normal font changed: the underlined one follows it.
      const auto* changed = reinterpret_cast<const FontSpec*>(lParam);
      link->underlineFont_.setHold(true);
      link->underlineFont_.copyFrom(*changed);
      link->underlineFont_.setUnderline(true);
      link->underlineFont_.setHold(false);
      link->Invalidate();
      break;
    }
    default:
      break;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace marlix::ui::win32
