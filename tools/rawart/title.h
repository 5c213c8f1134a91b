#pragma once
#include <string>

#include "picture.h"

// The 300 x 120 title lettering (glass_harbour_signal_4_300x120.raw), drawn
// from a TrueType font with chrome colours, a black outline and a dark blue
// shadow, on the transparent colour 13: the whole title, one word a line, in
// the top-left 80 x 50 (one screenful of the canvas), and the title on one
// line across the full width below it (rows 50 to 119), to scroll past.
Picture draw_title(const std::string& fontPath);

constexpr std::uint8_t kTitleTransparent = 13;
