// The three links of the About box: where they sit, what they show and open,
// and how the banner differs from a plain link.
#pragma once

#include <span>

#include "ui/common/dialog_units.h"
#include "ui/common/link_behaviour.h"

namespace marlix::ui {

enum class AboutLinkKind { Email, HomePage, Banner };

struct AboutLinkSettings {
  AboutLinkKind kind;
  const char* caption;
  const char* target;
  PixelRect position;  // pixels in the About box's client area, not dialog units
  int alignment;

  // The banner's own look; the other links keep the control's defaults.
  bool ownLook = false;
  ColourRef backColour = 0;  // painted instead of the button face
  ColourRef textColour = kLinkTextColour;
  ColourRef hoverColour = kLinkHoverColour;
  bool bold = false;
  int pointSize = kLinkPointSize;
  const char* faceName = kLinkFaceName;
};

// In creation order: e-mail, home page, banner.
std::span<const AboutLinkSettings> AboutLinks();

}  // namespace marlix::ui
