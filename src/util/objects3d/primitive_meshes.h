#pragma once
// The primitive meshes (non-indexed triangle lists) and the matrix that places
// a unit-length primitive between two points. Each maker returns a new Mesh
// that the caller keeps.
#include "util/math/mat4.h"
#include "util/math/vec3.h"
#include "util/objects3d/mesh.h"

// The icosphere's subdivision count is capped here: each step quadruples the
// triangles (20 x 4^7 = 327680 triangles, about 31 MB of vertex data).
constexpr int kMaxIcosphereSubdivisions = 7;

// Cube of edge `size` centred at the origin; its triangles run clockwise seen
// from outside. Inverted negates the normals only.
Mesh* make_cube_mesh(float size, bool inverted);
// Two triangles in the plane y = 0, normal +y, tangent +x, texture
// coordinates 0..tex_scale.
Mesh* make_plane_mesh(float width, float depth, float tex_scale);
// Side wall of a cylinder around the z axis from z = 0 to z = height; null
// for 0 segments.
Mesh* make_cylinder_mesh(float radius, float height, unsigned segments, bool inverted);
// Subdivided icosahedron of that radius; null for subdivisions of 0 or less,
// and more than kMaxIcosphereSubdivisions count as the cap.
Mesh* make_icosahedron_mesh(float radius, int subdivisions, bool inverted);
// The recursive step of the icosphere: a, b, c are unit vectors.
void subdivide_icosahedron_face(Mesh* mesh, const vec3& a, const vec3& b, const vec3& c, int depth, float radius,
                                bool inverted);

// Writes into `out` the matrix that maps the segment (0, 0, 0)-(0, 0, 1) onto
// from-to, leaving the x and y scale at 1.
void matrix_between_points(const vec3& from, const vec3& to, mat4& out);
