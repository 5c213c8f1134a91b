#pragma once
// Ready-made shapes (sphere, box, plane: position, normal, texture coordinate
// and tangent on locations 0 to 3) and 2D quads (position on 0, texture
// coordinate on 2). The caller binds the shader program first.
namespace EasyDraw {

void draw_sphere(float radius, int divisions, bool inside);
void draw_box(float width, float height, float depth, bool inside);
void draw_plane(float width, float depth, bool flip);
void draw_quad(float x, float y, float w, float h);
void draw_quad_uv(float x, float y, float w, float h, float u0, float u1, float v0, float v1);
void draw_fullscreen_quad();

}
