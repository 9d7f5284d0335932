// The hyperlink control without its window: defaults, colours, the placement
// of the text in the control, the hit test and the reactions to the mouse.
// A front end keeps one LinkBehaviour per control, feeds it the mouse events
// and carries out the effects it returns (cursor, repaint, open, notify).
#pragma once

#include <cstdint>

namespace marlix::ui {

// A colour as 0x00BBGGRR: 0xFF0000 is blue, 0x0000FF red.
using ColourRef = std::uint32_t;

constexpr ColourRef MakeColourRef(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return static_cast<ColourRef>(red) | (static_cast<ColourRef>(green) << 8) |
         (static_cast<ColourRef>(blue) << 16);
}
constexpr std::uint8_t RedOf(ColourRef c) { return static_cast<std::uint8_t>(c & 0xFF); }
constexpr std::uint8_t GreenOf(ColourRef c) { return static_cast<std::uint8_t>((c >> 8) & 0xFF); }
constexpr std::uint8_t BlueOf(ColourRef c) { return static_cast<std::uint8_t>((c >> 16) & 0xFF); }

inline constexpr ColourRef kLinkTextColour = 0xFF0000;     // blue
inline constexpr ColourRef kLinkHoverColour = 0x0000FF;    // red
inline constexpr ColourRef kLinkVisitedColour = 0x800080;  // purple

// Font of a new link.
inline constexpr int kLinkPointSize = 9;
inline constexpr char kLinkFaceName[] = "Arial";
// Longest face name that reaches the font; longer names are cut.
inline constexpr unsigned kMaxFaceNameLength = 31;

enum class UnderlineMode : int { Always = 0, WhileHot = 1, Never = 2 };
enum class ClickAction : int { Open = 0, Notify = 1, OpenThenNotify = 2 };
enum class VisitMode : int { MarkOnClick = 0, NoMark = 1, NeverShown = 2 };

// A rectangle by its edges; right and bottom lie just past the text.
struct TextBox {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  bool operator==(const TextBox&) const = default;
};

// Whether (x, y) lies in the box, all four edges included.
bool PointInside(const TextBox& box, int x, int y);

// Where a text of the given size goes in the client box. Alignment 0..8 reads
// like a keypad from the top left: 0 top left, 1 top centre, 2 top right,
// 3..5 the middle row, 6..8 the bottom row. Free space is shared only when
// there is some; a text larger than the client box stays at its top left.
// Other alignment values act as 0.
TextBox PlaceText(const TextBox& client, int textWidth, int textHeight, int alignment);

enum class LinkCursor { Unchanged, Arrow, Hand };

// What the front end has to do after a mouse event.
struct LinkEffects {
  LinkCursor cursor = LinkCursor::Unchanged;  // cursor to show now
  bool repaint = false;
  bool trackLeave = false;  // ask to be told when the mouse leaves the control
  bool open = false;        // hand the target to the desktop (first)
  bool notify = false;      // tell the parent (after opening)
};

class LinkBehaviour {
 public:
  UnderlineMode underlineMode = UnderlineMode::WhileHot;
  ClickAction clickAction = ClickAction::Open;
  VisitMode visitMode = VisitMode::NoMark;
  ColourRef textColour = kLinkTextColour;
  ColourRef hoverColour = kLinkHoverColour;
  ColourRef visitedColour = kLinkVisitedColour;

  // The rectangle that the text took at the last paint: the hit area.
  void SetTextBox(const TextBox& box) { textBox_ = box; }
  const TextBox& textBox() const { return textBox_; }

  LinkEffects MouseMoved(int x, int y);
  LinkEffects MouseLeft();
  void ButtonPressed(int x, int y);
  // A click counts only when the button went down and comes up over the text.
  LinkEffects ButtonReleased(int x, int y);
  // Space or Enter while the link has the keyboard focus: a click.
  LinkEffects KeyActivated();

  // How the text is drawn now.
  bool Underlined() const;
  ColourRef CurrentColour() const;

  bool hot() const { return hot_; }
  bool pressed() const { return pressed_; }
  bool visited() const { return visited_; }
  bool tracking() const { return tracking_; }

 private:
  LinkEffects Clicked();

  TextBox textBox_;
  bool visited_ = false;
  bool cursorSet_ = false;
  bool tracking_ = false;
  bool hoverShown_ = false;
  bool hot_ = false;
  bool pressed_ = false;
};

}  // namespace marlix::ui
