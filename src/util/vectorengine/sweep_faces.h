#pragma once
// Work on the faces of a swept mesh, whose inside faces are monotone in s.
#include "util/vectorengine/sweep_mesh.h"

// Cuts every inside face into triangles.
void tess_triangulate_interior(TessMesh& mesh);
// Merges neighbouring inside faces into convex faces of at most maxVertices.
void tess_merge_convex_faces(TessMesh& mesh, int maxVertices);
// Deletes every edge that does not part an inside face from an outside one,
// so each inside face is a boundary contour.
void tess_keep_boundary(TessMesh& mesh);
