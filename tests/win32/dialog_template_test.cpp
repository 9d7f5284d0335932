// The dialog templates compiled into the program equal the layout that the
// toolkit-free dialog model holds (and the Qt program draws): caption, font,
// size, and every control's id, kind, text, position, tab stop and whether
// it starts hidden.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/common/dialog_model.h"
#include "ui/win32/hyper_link.h"
#include "ui/win32/resource_ids.h"
#include "ui/win32/win32_headers.h"

namespace marlix::ui::win32 {
namespace {

struct CompiledControl {
  int id;
  ControlKind kind;
  std::string text;  // UTF-8
  DialogRect rect;
  bool tabStop;
  DWORD style;
};

struct CompiledDialog {
  std::string caption;
  std::string fontFace;
  int fontPointSize = 0;
  int width = 0;
  int height = 0;
  DWORD style = 0;
  std::vector<CompiledControl> controls;
};

std::string Utf8(const std::u16string& text) {
  if (text.empty()) return "";
  const auto* wide = reinterpret_cast<const wchar_t*>(text.c_str());
  int size = ::WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(text.size()), nullptr, 0,
                                   nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(text.size()), out.data(), size, nullptr,
                        nullptr);
  return out;
}

// Reads the extended dialog template format word by word.
class TemplateReader {
 public:
  TemplateReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool ok() const { return ok_; }

  std::uint16_t Word() {
    if (at_ + 2 > size_) {
      ok_ = false;
      return 0;
    }
    std::uint16_t value = static_cast<std::uint16_t>(data_[at_] | data_[at_ + 1] << 8);
    at_ += 2;
    return value;
  }
  std::uint32_t Dword() {
    std::uint32_t low = Word();
    return low | static_cast<std::uint32_t>(Word()) << 16;
  }
  std::u16string String() {
    std::u16string text;
    while (ok_) {
      std::uint16_t c = Word();
      if (c == 0) break;
      text += static_cast<char16_t>(c);
    }
    return text;
  }
  // A name or an ordinal: the ordinal as "#n", the name as it is.
  std::u16string NameOrOrdinal() {
    std::uint16_t first = Word();
    if (first == 0) return u"";
    if (first == 0xFFFF) {
      std::u16string ordinal(u"#");
      for (char digit : std::to_string(Word())) ordinal += static_cast<char16_t>(digit);
      return ordinal;
    }
    at_ -= 2;
    return String();
  }
  void AlignToDword() { at_ = (at_ + 3) & ~static_cast<std::size_t>(3); }
  void Skip(std::size_t bytes) { at_ += bytes; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
  bool ok_ = true;
};

ControlKind KindOf(const std::u16string& windowClass, DWORD style) {
  if (windowClass == u"#128" || windowClass == u"Button") {
    return (style & BS_TYPEMASK) == BS_GROUPBOX ? ControlKind::GroupBox : ControlKind::PushButton;
  }
  if (windowClass == u"#129" || windowClass == u"Edit") return ControlKind::EditField;
  if (windowClass == u"#133" || windowClass == u"ComboBox") return ControlKind::DropDown;
  if (windowClass == u"CHC_001") return ControlKind::Link;
  if ((style & SS_TYPEMASK) == SS_BITMAP) return ControlKind::Picture;
  return ControlKind::Label;
}

bool LoadCompiled(int resource, CompiledDialog& dialog) {
  HRSRC found = ::FindResourceA(nullptr, MAKEINTRESOURCEA(resource), MAKEINTRESOURCEA(5));
  if (found == nullptr) return false;
  const auto* data = static_cast<const std::uint8_t*>(::LockResource(::LoadResource(nullptr, found)));
  TemplateReader in(data, ::SizeofResource(nullptr, found));
  if (in.Word() != 1 || in.Word() != 0xFFFF) return false;  // version 1, extended
  in.Dword();                                                // help id
  in.Dword();                                                // extended style
  dialog.style = in.Dword();
  const int count = in.Word();
  in.Word();
  in.Word();
  dialog.width = static_cast<short>(in.Word());
  dialog.height = static_cast<short>(in.Word());
  in.NameOrOrdinal();  // menu
  in.NameOrOrdinal();  // class
  dialog.caption = Utf8(in.String());
  if (dialog.style & DS_SETFONT) {
    dialog.fontPointSize = in.Word();
    in.Word();  // weight
    in.Word();  // italic, character set
    dialog.fontFace = Utf8(in.String());
  }
  for (int i = 0; i < count && in.ok(); ++i) {
    in.AlignToDword();
    in.Dword();  // help id
    in.Dword();  // extended style
    const DWORD style = in.Dword();
    DialogRect rect;
    rect.x = static_cast<short>(in.Word());
    rect.y = static_cast<short>(in.Word());
    rect.width = static_cast<short>(in.Word());
    rect.height = static_cast<short>(in.Word());
    const std::uint32_t id = in.Dword();
    const std::u16string windowClass = in.NameOrOrdinal();
    const std::u16string title = in.NameOrOrdinal();
    in.Skip(in.Word());  // creation data
    const ControlKind kind = KindOf(windowClass, style);
    // A picture names its bitmap by number; the model gives it no text.
    const std::string text = kind == ControlKind::Picture ? "" : Utf8(title);
    const int controlId = id == 0xFFFF || id == 0xFFFFFFFF ? kNoControlId : static_cast<int>(id);
    dialog.controls.push_back({controlId, kind, text, rect, (style & WS_TABSTOP) != 0, style});
  }
  return in.ok();
}

void ExpectSameDialog(int resource, const DialogTemplate& model) {
  CompiledDialog compiled;
  ASSERT_TRUE(LoadCompiled(resource, compiled)) << "template " << resource;
  EXPECT_EQ(compiled.caption, model.caption);
  EXPECT_EQ(compiled.fontFace, model.fontFace);
  EXPECT_EQ(compiled.fontPointSize, model.fontPointSize);
  EXPECT_EQ(compiled.width, model.width);
  EXPECT_EQ(compiled.height, model.height);
  EXPECT_EQ((compiled.style & DS_CENTER) != 0, model.centred);
  EXPECT_TRUE(compiled.style & WS_CAPTION);
  EXPECT_TRUE(compiled.style & WS_SYSMENU);
  EXPECT_TRUE(compiled.style & DS_MODALFRAME);  // a fixed border
  EXPECT_FALSE(compiled.style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(compiled.style & WS_THICKFRAME);

  ASSERT_EQ(compiled.controls.size(), model.controls.size());
  for (std::size_t i = 0; i < model.controls.size(); ++i) {
    const ControlTemplate& want = model.controls[i];
    const CompiledControl& got = compiled.controls[i];
    SCOPED_TRACE("control " + std::to_string(i) + " \"" + want.text + "\"");
    EXPECT_EQ(got.id, want.id);
    EXPECT_EQ(got.kind, want.kind);
    EXPECT_EQ(got.text, want.text);
    EXPECT_EQ(got.rect.x, want.rect.x);
    EXPECT_EQ(got.rect.y, want.rect.y);
    EXPECT_EQ(got.rect.width, want.rect.width);
    EXPECT_EQ(got.rect.height, want.rect.height);
    EXPECT_EQ(got.tabStop, want.tabStop);
    EXPECT_EQ((got.style & WS_VISIBLE) == 0, want.hidden);
    if (got.kind == ControlKind::DropDown) {
      // A list to choose from, with nothing to type.
      EXPECT_EQ(got.style & 3u, static_cast<DWORD>(CBS_DROPDOWNLIST));
    }
    if (got.kind == ControlKind::EditField) {
      EXPECT_TRUE(got.style & WS_BORDER);
      EXPECT_TRUE(got.style & ES_AUTOHSCROLL);
    }
    // No default push button: Enter must not press anything.
    if (got.kind == ControlKind::PushButton) {
      EXPECT_NE(got.style & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON));
    }
  }
}

TEST(DialogTemplates, MainDialogEqualsTheModel) {
  ExpectSameDialog(kMainDialogTemplate, MainDialogTemplate());
  CompiledDialog compiled;
  ASSERT_TRUE(LoadCompiled(kMainDialogTemplate, compiled));
  EXPECT_TRUE(compiled.style & WS_MINIMIZEBOX);
}

TEST(DialogTemplates, AboutBoxEqualsTheModel) {
  ExpectSameDialog(kAboutBoxTemplate, AboutBoxTemplate());
  // The picture is bitmap 104, present in the program.
  EXPECT_NE(::FindResourceA(nullptr, MAKEINTRESOURCEA(kAboutBitmap), MAKEINTRESOURCEA(2)), nullptr);
}

// A dialog procedure that handles nothing. A named function, since only it
// can carry the calling convention that 32-bit Windows calls it with.
INT_PTR CALLBACK IgnoringDialogProc(HWND, UINT, WPARAM, LPARAM) { return 0; }

TEST(DialogTemplates, BrowseCaptionsReachTheAnsiCallsAsOneEllipsisByte) {
  // Through the ANSI entry points the caption is code page 1252 text: the
  // ellipsis is the single byte 0x85, never the three bytes of UTF-8. The
  // template's link needs its class.
  RegisterHyperLinkClass(::GetModuleHandleA(nullptr), reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  HWND dialog = ::CreateDialogParamA(nullptr, MAKEINTRESOURCEA(kMainDialogTemplate), nullptr,
                                     IgnoringDialogProc, 0);
  ASSERT_NE(dialog, nullptr);
  char text[32] = {};
  ::GetDlgItemTextA(dialog, kIdBrowseSource, text, sizeof text);
  EXPECT_STREQ(text, "Browse\x85");
  EXPECT_EQ(std::string(text).find("\xE2\x80\xA6"), std::string::npos);
  ::DestroyWindow(dialog);
}

}  // namespace
}  // namespace marlix::ui::win32
