#include "ui/win32/link_font.h"

#include <cstring>

#include "ui/common/link_behaviour.h"

namespace marlix::ui::win32 {

FontSpec::FontSpec() : pointSize_(kLinkPointSize), faceName_(kLinkFaceName) {
  logFont_.lfWeight = FW_NORMAL;
  logFont_.lfCharSet = ANSI_CHARSET;
  logFont_.lfOutPrecision = OUT_DEFAULT_PRECIS;
  logFont_.lfClipPrecision = CLIP_CHARACTER_PRECIS;
  logFont_.lfQuality = DEFAULT_QUALITY;
  logFont_.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
  Rebuild();
}

FontSpec::~FontSpec() {
  if (font_ != nullptr) ::DeleteObject(font_);
}

void FontSpec::setPointSize(int points) {
  pointSize_ = points;
  Rebuild();
}

void FontSpec::setBold(bool flag) {
  bold_ = flag;
  logFont_.lfWeight = flag ? FW_BOLD : FW_NORMAL;
  Rebuild();
}

void FontSpec::setUnderline(bool flag) {
  logFont_.lfUnderline = flag ? 1 : 0;
  Rebuild();
}

void FontSpec::setFaceName(const TextString& face) {
  faceName_ = face;
  Rebuild();
}

void FontSpec::setHold(bool flag) {
  hold_ = flag;
  if (!hold_) Rebuild();
}

void FontSpec::copyFrom(const FontSpec& other) {
  const LONG height = logFont_.lfHeight;
  char face[LF_FACESIZE];
  std::memcpy(face, logFont_.lfFaceName, sizeof face);
  logFont_ = other.logFont_;
  logFont_.lfHeight = height;
  std::memcpy(logFont_.lfFaceName, face, sizeof face);
  pointSize_ = other.pointSize_;
  bold_ = other.bold_;
  faceName_ = other.faceName_;
  Rebuild();
}

void FontSpec::setNotify(HWND window, WPARAM id) {
  notifyWindow_ = window;
  notifyId_ = id;
}

void FontSpec::Rebuild() {
  if (hold_) return;
  if (HDC display = ::CreateDCA("DISPLAY", nullptr, nullptr, nullptr)) {
    logFont_.lfHeight = -::MulDiv(pointSize_, ::GetDeviceCaps(display, LOGPIXELSY), 72);
    ::DeleteDC(display);
  }
  // At most 31 characters and the terminator fit the face field.
  std::memset(logFont_.lfFaceName, 0, sizeof logFont_.lfFaceName);
  std::strncpy(logFont_.lfFaceName, faceName_.CStr(), kMaxFaceNameLength);
  if (font_ != nullptr) ::DeleteObject(font_);
  font_ = ::CreateFontIndirectA(&logFont_);
  if (notifyWindow_ != nullptr) {
    ::PostMessageA(notifyWindow_, kFontChanged, notifyId_, reinterpret_cast<LPARAM>(this));
  }
}

}  // namespace marlix::ui::win32
