#include "ui/common/about_links.h"

#include <array>

#include "support/program_info.h"

namespace marlix::ui {
namespace {

constexpr ColourRef kBlack = 0x000000;
constexpr ColourRef kGreen = 0x00FF00;

const std::array kLinks{
    AboutLinkSettings{AboutLinkKind::Email,
                      "dorran@dorranvell.example",
                      "mailto:dorran@dorranvell.example",
                      {100, 74, 230, 30},
                      1},
    AboutLinkSettings{AboutLinkKind::HomePage,
                      "dorranvell.example",
                      kAuthorHomePage,  // the page the credit line of Index.htm links to
                      {100, 105, 230, 30},
                      1},
    AboutLinkSettings{AboutLinkKind::Banner,
                      "Powered By Kavo",
                      "http://dorranvell.example/kavo/",
                      {110, 140, 220, 30},
                      4,
                      true,
                      kBlack,
                      kGreen,
                      kGreen,
                      true,
                      12,
                      "Tahoma"},
};

}  // namespace

std::span<const AboutLinkSettings> AboutLinks() { return kLinks; }

}  // namespace marlix::ui
