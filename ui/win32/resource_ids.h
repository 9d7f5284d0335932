// Resource numbers of the program's dialog templates, icon, bitmap and the
// help viewer's hand cursor.
#pragma once

namespace marlix::ui::win32 {

inline constexpr int kMainDialogTemplate = 101;
inline constexpr int kAboutBoxTemplate = 103;
inline constexpr int kAboutBitmap = 104;
inline constexpr int kAppIcon = 105;
inline constexpr int kHelpViewerHandCursor = 106;

}  // namespace marlix::ui::win32
