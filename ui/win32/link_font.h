// A font description that rebuilds its font handle whenever a property
// changes, and can tell a window that it did (message 0x8001).
#pragma once

#include "support/text_string.h"
#include "ui/win32/win32_headers.h"

namespace marlix::ui::win32 {

// Posted to the notify window after a rebuild: wParam the notify id, lParam
// the FontSpec.
inline constexpr UINT kFontChanged = WM_APP + 1;

class FontSpec {
 public:
  FontSpec();
  ~FontSpec();
  FontSpec(const FontSpec&) = delete;
  FontSpec& operator=(const FontSpec&) = delete;

  void setPointSize(int points);
  void setBold(bool flag);
  void setUnderline(bool flag);
  void setFaceName(const TextString& face);
  // While held, changes are stored but the font is not rebuilt; releasing
  // the hold rebuilds.
  void setHold(bool flag);
  // Every property but the height and the face of other's description, plus
  // its size, weight and face name; then rebuilds.
  void copyFrom(const FontSpec& other);
  void setNotify(HWND window, WPARAM id);

  HFONT fontHandle() const { return font_; }
  const LOGFONTA& logFont() const { return logFont_; }

 private:
  void Rebuild();

  int pointSize_ = 9;
  bool bold_ = false;
  LOGFONTA logFont_{};
  TextString faceName_;
  HFONT font_ = nullptr;
  HWND notifyWindow_ = nullptr;
  WPARAM notifyId_ = 0;
  bool hold_ = false;
};

}  // namespace marlix::ui::win32
