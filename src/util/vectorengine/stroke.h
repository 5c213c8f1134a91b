#pragma once
// Stroke triangles of constant width along a flattened point list: a quad per
// segment and a bevel triangle at every joint.
#include <string>
#include <vector>

#include "util/math/vec3.h"

// The direction a -> b turned by -90 degrees, scaled to length h.
vec3 segment_normal(const vec3& a, const vec3& b, float h);
// Signed angle of the turn a -> b -> c (only its sign is used); 0 when a or c
// coincides with b.
float turn_angle(const vec3& a, const vec3& b, const vec3& c);

// What a point list whose length (in doubles) is not a multiple of 3 stops
// the program with.
std::string stroke_input_error(std::size_t length);

// points: three doubles per point; contourStarts: where each contour begins,
// in doubles. closingJoint adds a joint from each contour's last segment to its
// first (the path ended with a close). vertices is replaced by three floats
// per triangle vertex; strokeStarts gets, per contour, the float offset where
// its triangles begin. Segments of zero length are skipped and their
// neighbours joined across them; no vertex written is ever non-finite. A
// malformed point list stops the program (Path::buildStroke checks it first,
// so a path's stroke names the path's source).
void build_stroke(const std::vector<double>& points, const std::vector<unsigned>& contourStarts, bool closingJoint,
                  float width, std::vector<float>& vertices, std::vector<unsigned>& strokeStarts);
