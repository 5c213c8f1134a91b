#include "support/tess_glu.h"

#include <GL/glu.h>

#include <array>
#include <deque>

namespace tessfam {

struct GluTessellator::State {
    GLUtesselator* glu = nullptr;
    bool boundaryOnly = false;
    Polygons out;
    std::vector<Point> current;
    std::deque<std::vector<double>> coords; // stable addresses for GLU
    std::deque<std::array<double, 3>> combined;
};

namespace {

using State = GluTessellator::State;
using Callback = void (*)();

void on_begin(GLenum, void* s)
{
    static_cast<State*>(s)->current.clear();
}

void on_vertex(void* v, void* s)
{
    auto* st = static_cast<State*>(s);
    const double* d = static_cast<const double*>(v);
    st->current.push_back({static_cast<float>(d[0]), static_cast<float>(d[1])});
    if (!st->boundaryOnly && st->current.size() == 3) {
        st->out.push_back(st->current);
        st->current.clear();
    }
}

void on_end(void* s)
{
    auto* st = static_cast<State*>(s);
    if (st->boundaryOnly)
        st->out.push_back(st->current);
}

void on_edge_flag(GLboolean, void*) {}

void on_combine(double c[3], void*[4], float[4], void** out, void* s)
{
    auto* st = static_cast<State*>(s);
    st->combined.push_back({c[0], c[1], c[2]});
    *out = st->combined.back().data();
}

}

GluTessellator::GluTessellator(bool boundaryOnly) : state(new State)
{
    state->boundaryOnly = boundaryOnly;
    state->glu = gluNewTess();
    gluTessProperty(state->glu, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_ODD);
    gluTessProperty(state->glu, GLU_TESS_BOUNDARY_ONLY, boundaryOnly ? GL_TRUE : GL_FALSE);
    gluTessNormal(state->glu, 0, 0, 1);
    gluTessCallback(state->glu, GLU_TESS_BEGIN_DATA, reinterpret_cast<Callback>(on_begin));
    gluTessCallback(state->glu, GLU_TESS_VERTEX_DATA, reinterpret_cast<Callback>(on_vertex));
    gluTessCallback(state->glu, GLU_TESS_END_DATA, reinterpret_cast<Callback>(on_end));
    gluTessCallback(state->glu, GLU_TESS_COMBINE_DATA, reinterpret_cast<Callback>(on_combine));
    if (!boundaryOnly) // an edge-flag callback makes GLU give plain triangles
        gluTessCallback(state->glu, GLU_TESS_EDGE_FLAG_DATA, reinterpret_cast<Callback>(on_edge_flag));
}

GluTessellator::~GluTessellator()
{
    gluDeleteTess(state->glu);
    delete state;
}

const Polygons& GluTessellator::run(const Shape& shape)
{
    state->out.clear();
    state->combined.clear();
    state->coords.clear();
    for (const Contour& c : shape) {
        state->coords.emplace_back();
        for (const Point& p : c)
            state->coords.back().insert(state->coords.back().end(), {p.x, p.y, 0.0});
    }
    gluTessBeginPolygon(state->glu, state);
    for (std::vector<double>& c : state->coords) {
        gluTessBeginContour(state->glu);
        for (std::size_t i = 0; i < c.size(); i += 3)
            gluTessVertex(state->glu, &c[i], &c[i]);
        gluTessEndContour(state->glu);
    }
    gluTessEndPolygon(state->glu);
    return state->out;
}

Polygons glu_triangles(const Shape& shape)
{
    GluTessellator glu(false);
    return glu.run(shape);
}

}
