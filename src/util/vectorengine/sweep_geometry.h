#pragma once
// Predicates on projected vertices (s, t). The sweep runs along s; events are
// ordered by s, then t. "Above" means larger t.
#include "util/vectorengine/sweep_mesh.h"

inline bool tess_vert_eq(const TessVertex* u, const TessVertex* v)
{
    return u->s == v->s && u->t == v->t;
}

inline bool tess_vert_leq(const TessVertex* u, const TessVertex* v)
{
    return u->s < v->s || (u->s == v->s && u->t <= v->t);
}

// The same ordering with s and t exchanged.
inline bool tess_trans_leq(const TessVertex* u, const TessVertex* v)
{
    return u->t < v->t || (u->t == v->t && u->s <= v->s);
}

inline bool tess_edge_goes_left(const TessHalfEdge* e)
{
    return tess_vert_leq(e->Dst(), e->Org);
}

inline bool tess_edge_goes_right(const TessHalfEdge* e)
{
    return tess_vert_leq(e->Org, e->Dst());
}

// For u <= v <= w in event order: the signed t distance of v from the segment
// u-w at v's s (positive when v lies above it).
double tess_edge_eval(const TessVertex* u, const TessVertex* v, const TessVertex* w);
// Same sign as tess_edge_eval, cheaper.
double tess_edge_sign(const TessVertex* u, const TessVertex* v, const TessVertex* w);
// The two above with s and t exchanged (for u <= v <= w by tess_trans_leq).
double tess_trans_eval(const TessVertex* u, const TessVertex* v, const TessVertex* w);
double tess_trans_sign(const TessVertex* u, const TessVertex* v, const TessVertex* w);

// True when u, v, w turn counter-clockwise or lie on a line.
bool tess_vert_ccw(const TessVertex* u, const TessVertex* v, const TessVertex* w);

// Manhattan distance in (s, t).
double tess_vert_l1_dist(const TessVertex* u, const TessVertex* v);

// The crossing of segments o1-d1 and o2-d2 (known to cross, at least
// marginally), written into v's s and t. The result stays inside the box
// both segments span.
void tess_edge_intersect(const TessVertex* o1, const TessVertex* d1, const TessVertex* o2, const TessVertex* d2,
                         TessVertex* v);
