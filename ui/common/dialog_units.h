// Dialog geometry in dialog units and its conversion to pixels. The layouts of
// the main dialog and the About box are kept in dialog units so that every
// front end places the controls the same way and scales them with the screen.
#pragma once

namespace marlix::ui {

// A rectangle in dialog units: x, y, width, height.
struct DialogRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// A rectangle in pixels: x, y, width, height.
struct PixelRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  bool operator==(const PixelRect&) const = default;
};

// Pixels per dialog unit at 96 dots per inch, for the 8 point dialog font.
inline constexpr double kPixelsPerHorizontalUnit = 1.5;
inline constexpr double kPixelsPerVerticalUnit = 1.625;
inline constexpr double kReferenceDotsPerInch = 96.0;

// Horizontal and vertical dialog units to pixels on a screen of the given
// logical dots per inch; halves round away from zero.
int HorizontalUnitsToPixels(int units, double dotsPerInch);
int VerticalUnitsToPixels(int units, double dotsPerInch);

// Each edge is converted on its own, so two controls that touch in dialog
// units still touch in pixels.
PixelRect ToPixels(const DialogRect& rect, double dotsPerInch);

}  // namespace marlix::ui
