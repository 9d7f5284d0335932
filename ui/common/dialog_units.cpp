#include "ui/common/dialog_units.h"

#include <cmath>

namespace marlix::ui {
namespace {

int Scale(int units, double pixelsPerUnit, double dotsPerInch) {
  const double dpi = dotsPerInch > 0.0 ? dotsPerInch : kReferenceDotsPerInch;
  return static_cast<int>(std::lround(units * pixelsPerUnit * dpi / kReferenceDotsPerInch));
}

}  // namespace

int HorizontalUnitsToPixels(int units, double dotsPerInch) {
  return Scale(units, kPixelsPerHorizontalUnit, dotsPerInch);
}

int VerticalUnitsToPixels(int units, double dotsPerInch) {
  return Scale(units, kPixelsPerVerticalUnit, dotsPerInch);
}

PixelRect ToPixels(const DialogRect& rect, double dotsPerInch) {
  const int left = HorizontalUnitsToPixels(rect.x, dotsPerInch);
  const int top = VerticalUnitsToPixels(rect.y, dotsPerInch);
  const int right = HorizontalUnitsToPixels(rect.x + rect.width, dotsPerInch);
  const int bottom = VerticalUnitsToPixels(rect.y + rect.height, dotsPerInch);
  return PixelRect{left, top, right - left, bottom - top};
}

}  // namespace marlix::ui
