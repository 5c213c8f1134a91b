#pragma once
// The text-mode canvas's glyph atlas as PNG bytes: 640x120 RGBA, 80x10 cells
// of 8x12 pixels, code page 850 glyph c in column c % 80 of band c / 80 from
// the top, white on black. Made by tools/glyph_atlas.
extern const unsigned char ascii_glyph_atlas_png[];
extern const int ascii_glyph_atlas_png_size;
