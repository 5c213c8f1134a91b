#pragma once
#include <string>

#include "picture.h"

// The 300 x 120 title lettering (glass_harbour_signal_4_300x120.raw): the
// three words of the production's title, one per line, drawn from a TrueType
// font with chrome colours, a black outline and a dark blue shadow, on the
// transparent colour 13.
Picture draw_title(const std::string& fontPath);

constexpr std::uint8_t kTitleTransparent = 13;
