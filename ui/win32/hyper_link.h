// A self-drawn child window that shows one line of text as a link (window
// class "CHC_001"): hot colour, hand cursor and underline while the mouse is
// over the text; a click opens the target through the shell or tells the
// parent. The reactions to the mouse come from LinkBehaviour.
#pragma once

#include "support/text_string.h"
#include "ui/common/link_behaviour.h"
#include "ui/win32/link_font.h"
#include "ui/win32/win32_headers.h"

namespace marlix::ui::win32 {

inline constexpr char kHyperLinkClass[] = "CHC_001";

// Registers the window class with the given background brush. A dialog
// template that holds a link needs it registered before the dialog is made.
bool RegisterHyperLinkClass(HINSTANCE instance, HBRUSH background);

class HyperLink {
 public:
  HyperLink();
  ~HyperLink();
  HyperLink(const HyperLink&) = delete;
  HyperLink& operator=(const HyperLink&) = delete;

  // Pixels in the parent's client area. Registers the class when the first
  // try fails. Null when the window cannot be made.
  HWND create(int x, int y, int width, int height, HWND parent, int childId, HINSTANCE instance);
  bool registerClass(HINSTANCE instance);
  // Takes over a link window that a dialog template made (whose creation
  // parameter is not this object), with its window text as the caption.
  void attach(HWND window);

  void setCaption(const TextString& text);
  void setTarget(const TextString& text) { target_ = text; }
  const TextString& target() const { return target_; }
  void setAlignment(int alignment);
  void setTextColour(COLORREF colour);
  void setBackColour(COLORREF colour);
  // Null paints with the back colour instead.
  void setBackBrush(HBRUSH brush);
  void setHoverColour(COLORREF colour);
  void setUnderlineMode(UnderlineMode mode);
  void setClickAction(ClickAction action);
  void setVisitMode(VisitMode mode);

  FontSpec& normalFont() { return normalFont_; }
  const FontSpec& underlineFont() const { return underlineFont_; }
  HWND window() const { return window_; }
  HCURSOR handCursor() const { return handCursor_; }
  HCURSOR arrowCursor() const { return arrowCursor_; }
  const LinkBehaviour& behaviour() const { return behaviour_; }

 private:
  friend bool RegisterHyperLinkClass(HINSTANCE instance, HBRUSH background);
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Paint();
  void Carry(const LinkEffects& effects);
  void Invalidate();
  void SetCursorTo(LinkCursor cursor);
  void Release();

  FontSpec normalFont_;
  FontSpec underlineFont_;
  LinkBehaviour behaviour_;
  COLORREF backColour_ = 0;
  HBRUSH backBrush_ = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  HCURSOR arrowCursor_ = nullptr;
  HCURSOR handCursor_ = nullptr;
  HWND window_ = nullptr;
  TextString caption_;
  TextString target_;
  int alignment_ = 0;
};

}  // namespace marlix::ui::win32
