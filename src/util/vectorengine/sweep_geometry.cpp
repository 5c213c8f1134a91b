#include "util/vectorengine/sweep_geometry.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Generic forms over a coordinate pair: "a" is the sweep direction, "b" the
// other one. The s/t and t/s forms are both made from these.
struct Coords {
    double TessVertex::*a;
    double TessVertex::*b;
};

const Coords kST = {&TessVertex::s, &TessVertex::t};
const Coords kTS = {&TessVertex::t, &TessVertex::s};

double eval(const Coords& c, const TessVertex* u, const TessVertex* v, const TessVertex* w)
{
    const double gapL = v->*c.a - u->*c.a;
    const double gapR = w->*c.a - v->*c.a;
    if (gapL + gapR > 0) {
        if (gapL < gapR)
            return (v->*c.b - u->*c.b) + (u->*c.b - w->*c.b) * (gapL / (gapL + gapR));
        return (v->*c.b - w->*c.b) + (w->*c.b - u->*c.b) * (gapR / (gapL + gapR));
    }
    return 0;
}

double sign(const Coords& c, const TessVertex* u, const TessVertex* v, const TessVertex* w)
{
    const double gapL = v->*c.a - u->*c.a;
    const double gapR = w->*c.a - v->*c.a;
    if (gapL + gapR > 0)
        return (v->*c.b - w->*c.b) * gapL + (v->*c.b - u->*c.b) * gapR;
    return 0;
}

// A point between x and y, weighted by the (clamped) distances a and b of
// the segment ends from the crossing.
double interpolate(double a, double x, double b, double y)
{
    a = a < 0 ? 0 : a;
    b = b < 0 ? 0 : b;
    if (a <= b) {
        if (b == 0)
            return x / 2 + y / 2;
        return x + (y - x) * (a / (a + b));
    }
    return y + (x - y) * (b / (a + b));
}

using Less = bool (*)(const TessVertex*, const TessVertex*);

// One coordinate (c.a) of the crossing; less orders vertices along c.a.
double crossing(const Coords& c, Less less, const TessVertex* o1, const TessVertex* d1, const TessVertex* o2,
               const TessVertex* d2)
{
    if (!less(o1, d1))
        std::swap(o1, d1);
    if (!less(o2, d2))
        std::swap(o2, d2);
    if (!less(o1, o2)) {
        std::swap(o1, o2);
        std::swap(d1, d2);
    }
    if (!less(o2, d1))
        return o2->*c.a / 2 + d1->*c.a / 2; // the spans do not overlap: take the middle of the gap
    if (less(d1, d2)) {
        // o1 <= o2 <= d1 <= d2: interpolate between o2 and d1
        double z1 = eval(c, o1, o2, d1);
        double z2 = eval(c, o2, d1, d2);
        if (z1 + z2 < 0) {
            z1 = -z1;
            z2 = -z2;
        }
        return interpolate(z1, o2->*c.a, z2, d1->*c.a);
    }
    // o1 <= o2 <= d2 <= d1: interpolate between o2 and d2
    double z1 = sign(c, o1, o2, d1);
    double z2 = -sign(c, o1, d2, d1);
    if (z1 + z2 < 0) {
        z1 = -z1;
        z2 = -z2;
    }
    return interpolate(z1, o2->*c.a, z2, d2->*c.a);
}

}

double tess_edge_eval(const TessVertex* u, const TessVertex* v, const TessVertex* w)
{
    return eval(kST, u, v, w);
}

double tess_edge_sign(const TessVertex* u, const TessVertex* v, const TessVertex* w)
{
    return sign(kST, u, v, w);
}

double tess_trans_eval(const TessVertex* u, const TessVertex* v, const TessVertex* w)
{
    return eval(kTS, u, v, w);
}

double tess_trans_sign(const TessVertex* u, const TessVertex* v, const TessVertex* w)
{
    return sign(kTS, u, v, w);
}

bool tess_vert_ccw(const TessVertex* u, const TessVertex* v, const TessVertex* w)
{
    return u->s * (v->t - w->t) + v->s * (w->t - u->t) + w->s * (u->t - v->t) >= 0;
}

double tess_vert_l1_dist(const TessVertex* u, const TessVertex* v)
{
    return std::fabs(u->s - v->s) + std::fabs(u->t - v->t);
}

void tess_edge_intersect(const TessVertex* o1, const TessVertex* d1, const TessVertex* o2, const TessVertex* d2,
                         TessVertex* v)
{
    v->s = crossing(kST, tess_vert_leq, o1, d1, o2, d2);
    v->t = crossing(kTS, tess_trans_leq, o1, d1, o2, d2);
}
