// The hyperlink's hand cursor comes from the help viewer in the Windows
// folder; without it the arrow stands in.
#include <gtest/gtest.h>

#include <string>

#include "ui/win32/hyper_link.h"

namespace marlix::ui::win32 {
namespace {

std::string HelpViewerPath() {
  char folder[MAX_PATH] = {};
  ::GetWindowsDirectoryA(folder, MAX_PATH);
  return std::string(folder) + "\\winhlp32.exe";
}

POINT HotSpot(HCURSOR cursor) {
  ICONINFO info{};
  if (!::GetIconInfo(reinterpret_cast<HICON>(cursor), &info)) return POINT{-1, -1};
  if (info.hbmMask) ::DeleteObject(info.hbmMask);
  if (info.hbmColor) ::DeleteObject(info.hbmColor);
  return POINT{static_cast<LONG>(info.xHotspot), static_cast<LONG>(info.yHotspot)};
}

// The test viewer's cursor 106 has its hot spot at (5, 9).
constexpr LONG kTestHandX = 5;
constexpr LONG kTestHandY = 9;

TEST(HandCursor, ArrowStandsInWithoutTheHelpViewer) {
  const std::string viewer = HelpViewerPath();
  ASSERT_EQ(::GetFileAttributesA(viewer.c_str()), INVALID_FILE_ATTRIBUTES)
      << viewer << " exists: this case needs a Windows folder without it";
  HyperLink link;
  const POINT arrow = HotSpot(::LoadCursorA(nullptr, IDC_ARROW));
  const POINT hand = HotSpot(link.handCursor());
  EXPECT_EQ(hand.x, arrow.x);
  EXPECT_EQ(hand.y, arrow.y);
  // A copy of its own, so that destroying it leaves the system arrow alone.
  EXPECT_NE(link.handCursor(), link.arrowCursor());
}

TEST(HandCursor, TakenFromTheHelpViewerInTheWindowsFolder) {
  const std::string viewer = HelpViewerPath();
  ASSERT_TRUE(::CopyFileA(MARLIX_TEST_HELP_VIEWER, viewer.c_str(), TRUE))
      << "cannot place " << viewer;
  {
    HyperLink link;
    const POINT hand = HotSpot(link.handCursor());
    EXPECT_EQ(hand.x, kTestHandX);
    EXPECT_EQ(hand.y, kTestHandY);
  }
  // The link keeps the viewer loaded; let it go so that it can be removed.
  if (HMODULE loaded = ::GetModuleHandleA(viewer.c_str())) ::FreeLibrary(loaded);
  EXPECT_TRUE(::DeleteFileA(viewer.c_str()));
}

}  // namespace
}  // namespace marlix::ui::win32
