#pragma once
// Fixed-function state that several scene effects set the same way.
namespace Effects {

// Texture-coordinate generation off for s, t, r and q.
void disable_texture_generation();
// For line strips in the current colour: no program, colour material on,
// 2D texturing and lighting off.
void begin_line_drawing();
// Identity projection with a 2D orthographic view of 0..1 across and
// bottom..top up, identity modelview; the matrix mode ends on modelview.
void load_unit_view(double bottom, double top);

}  // namespace Effects
