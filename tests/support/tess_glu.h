#pragma once
// GLU's tessellator as a black-box oracle and benchmark peer: the parity
// fill of a shape as triangles, or as boundary contours.
#include <vector>

#include "support/tess_families.h"

namespace tessfam {

using Polygons = std::vector<std::vector<Point>>;

// GLU's tessellator object, kept for repeated runs (the benchmark times
// run() alone).
class GluTessellator {
public:
    explicit GluTessellator(bool boundaryOnly);
    ~GluTessellator();
    GluTessellator(const GluTessellator&) = delete;
    GluTessellator& operator=(const GluTessellator&) = delete;

    // Triangles, or boundary contours with boundaryOnly.
    const Polygons& run(const Shape& shape);

    struct State;

private:
    State* state;
};

Polygons glu_triangles(const Shape& shape);

}
