// The Win32 hyperlink control in a real window: the hit area is the painted
// text, the underlined font follows the normal one through the posted
// notice, and the folder picker's flags follow its settings.
#include <gtest/gtest.h>

#include "ui/win32/folder_picker.h"
#include "ui/win32/hyper_link.h"

namespace marlix::ui::win32 {
namespace {

void PumpMessages() {
  MSG message;
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&message);
}

class HyperLinkWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    parent_ = ::CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 400, 200, nullptr,
                                nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(parent_, nullptr);
    ASSERT_NE(link_.create(10, 10, 220, 30, parent_, 7, ::GetModuleHandleA(nullptr)), nullptr);
  }
  void TearDown() override { ::DestroyWindow(parent_); }

  HWND parent_ = nullptr;
  HyperLink link_;
};

TEST_F(HyperLinkWindowTest, OnlyThePaintedTextIsHot) {
  link_.setCaption("Powered By Kavo");
  link_.setAlignment(4);  // middle, centred
  ::UpdateWindow(link_.window());
  PumpMessages();
  const TextBox text = link_.behaviour().textBox();
  ASSERT_GT(text.right - text.left, 20);
  EXPECT_GT(text.left, 0);  // centred in the 220 pixels

  const int middleY = (text.top + text.bottom) / 2;
  ::SendMessageA(link_.window(), WM_MOUSEMOVE, 0, MAKELPARAM(2, middleY));
  EXPECT_FALSE(link_.behaviour().hot());
  ::SendMessageA(link_.window(), WM_MOUSEMOVE, 0, MAKELPARAM((text.left + text.right) / 2, middleY));
  EXPECT_TRUE(link_.behaviour().hot());
}

TEST_F(HyperLinkWindowTest, UnderlinedFontFollowsTheNormalFont) {
  link_.normalFont().setBold(true);
  link_.normalFont().setPointSize(12);
  link_.normalFont().setFaceName("Tahoma");
  PumpMessages();
  const LOGFONTA& normal = link_.normalFont().logFont();
  const LOGFONTA& underlined = link_.underlineFont().logFont();
  EXPECT_EQ(underlined.lfWeight, FW_BOLD);
  EXPECT_EQ(underlined.lfHeight, normal.lfHeight);
  EXPECT_STREQ(underlined.lfFaceName, "Tahoma");
  EXPECT_EQ(underlined.lfUnderline, 1);
  EXPECT_EQ(normal.lfUnderline, 0);
}

TEST(FolderPicker, NewFolderButtonOnlyWhenAllowed) {
  FolderPicker picker;
  // Only file-system folders, with the edit box, in the new dialog style.
  EXPECT_EQ(picker.Flags(), 0x59u);
  picker.setAllowNewFolder(false);
  EXPECT_EQ(picker.Flags(), 0x259u);
}

}  // namespace
}  // namespace marlix::ui::win32
