#include "util/vectorengine/sweep_sweep.h"

#include <algorithm>

#include "util/vectorengine/sweep_geometry.h"

bool tess_winding_inside(int rule, int n)
{
    switch (rule) {
    case TESS_WINDING_ODD:
        return (n & 1) != 0;
    case TESS_WINDING_NONZERO:
        return n != 0;
    case TESS_WINDING_POSITIVE:
        return n > 0;
    case TESS_WINDING_NEGATIVE:
        return n < 0;
    case TESS_WINDING_ABS_GEQ_TWO:
        return n >= 2 || n <= -2;
    }
    return false;
}

namespace {

void add_winding(TessHalfEdge* dst, const TessHalfEdge* src)
{
    dst->winding += src->winding;
    dst->Sym->winding += src->Sym->winding;
}

}

TessSweep::TessSweep(const TessAllocator& allocator_, TessMesh& mesh_, int windingRule_, int regionBucketSize,
                     int dictBucketSize, int extraVertices_)
    : allocator(allocator_), mesh(mesh_), windingRule(windingRule_), extraVertices(extraVertices_),
      regions(allocator_, sizeof(TessRegion), regionBucketSize),
      dictNodes(allocator_, sizeof(TessDictNode), dictBucketSize)
{
    dictHead.next = dictHead.prev = &dictHead;
}

TessSweep::~TessSweep()
{
    tess_delete(allocator, queue);
}

// ---- dictionary of active regions, bottom to top ----

// r1 <= r2 when r1's upper edge lies below (or on) r2's at the current event.
bool TessSweep::edgeLeq(const TessRegion* r1, const TessRegion* r2) const
{
    const TessHalfEdge* e1 = r1->eUp;
    const TessHalfEdge* e2 = r2->eUp;
    if (e1->Dst() == event) {
        if (e2->Dst() == event) {
            // Both edges start at the event: compare them by their right ends.
            if (tess_vert_leq(e1->Org, e2->Org))
                return tess_edge_sign(e2->Dst(), e1->Org, e2->Org) <= 0;
            return tess_edge_sign(e1->Dst(), e2->Org, e1->Org) >= 0;
        }
        return tess_edge_sign(e2->Dst(), event, e2->Org) <= 0;
    }
    if (e2->Dst() == event)
        return tess_edge_sign(e1->Dst(), event, e1->Org) >= 0;
    const double t1 = tess_edge_eval(e1->Dst(), event, e1->Org);
    const double t2 = tess_edge_eval(e2->Dst(), event, e2->Org);
    return t1 >= t2;
}

TessDictNode* TessSweep::dictInsertBefore(TessDictNode* node, TessRegion* key)
{
    do {
        node = node->prev;
    } while (node->key && !edgeLeq(node->key, key));
    TessDictNode* n = dictNodes.make<TessDictNode>();
    n->key = key;
    n->next = node->next;
    node->next->prev = n;
    n->prev = node;
    node->next = n;
    return n;
}

TessDictNode* TessSweep::dictSearch(TessRegion* key)
{
    TessDictNode* node = &dictHead;
    do {
        node = node->next;
    } while (node->key && !edgeLeq(key, node->key));
    return node;
}

void TessSweep::dictDelete(TessDictNode* node)
{
    node->next->prev = node->prev;
    node->prev->next = node->next;
    dictNodes.free(node);
}

// ---- regions ----

TessRegion* TessSweep::addRegionBelow(TessRegion* above, TessHalfEdge* eNewUp)
{
    TessRegion* r = regions.make<TessRegion>();
    r->eUp = eNewUp;
    r->node = dictInsertBefore(above->node, r);
    eNewUp->region = r;
    return r;
}

void TessSweep::deleteRegion(TessRegion* r)
{
    r->eUp->region = nullptr;
    dictDelete(r->node);
    regions.free(r);
}

void TessSweep::fixUpperEdge(TessRegion* r, TessHalfEdge* newEdge)
{
    mesh.deleteEdge(r->eUp);
    r->fixUpperEdge = false;
    r->eUp = newEdge;
    newEdge->region = r;
}

void TessSweep::finishRegion(TessRegion* r)
{
    TessHalfEdge* e = r->eUp;
    TessFace* f = mesh.Lface(e);
    f->inside = r->inside;
    f->anEdge = e; // the face's first edge is its rightmost upper one
    deleteRegion(r);
}

void TessSweep::computeWinding(TessRegion* r)
{
    r->windingNumber = regionAbove(r)->windingNumber + r->eUp->winding;
    r->inside = tess_winding_inside(windingRule, r->windingNumber);
}

// The region above the highest edge that ends where r's upper edge ends;
// a temporary edge found there is replaced by a real one first.
TessRegion* TessSweep::topLeftRegion(TessRegion* r)
{
    TessVertex* org = r->eUp->Org;
    do {
        r = regionAbove(r);
    } while (r->eUp->Org == org);
    if (r->fixUpperEdge) {
        TessHalfEdge* e = mesh.connect(regionBelow(r)->eUp->Sym, r->eUp->Lnext);
        fixUpperEdge(r, e);
        r = regionAbove(r);
    }
    return r;
}

TessRegion* TessSweep::topRightRegion(TessRegion* r)
{
    TessVertex* dst = r->eUp->Dst();
    do {
        r = regionAbove(r);
    } while (r->eUp->Dst() == dst);
    return r;
}

void TessSweep::addSentinel(double smin, double smax, double t)
{
    TessHalfEdge* e = mesh.makeEdge();
    e->Org->s = smax;
    e->Org->t = t;
    e->Dst()->s = smin;
    e->Dst()->t = t;
    event = e->Dst();
    TessRegion* r = regions.make<TessRegion>();
    r->eUp = e;
    r->sentinel = true;
    r->node = dictInsertBefore(&dictHead, r);
    e->region = r;
}

// ---- degenerate input ----

void TessSweep::mergeVertices(TessHalfEdge* e1, TessHalfEdge* e2)
{
    mesh.splice(e1, e2);
}

// Removes zero-length edges and contours of one or two edges.
void TessSweep::removeDegenerateEdges()
{
    TessEdgePair* head = &mesh.eHead;
    for (TessEdgePair* p = head->next; p != head;) {
        TessEdgePair* nextPair = p->next;
        TessHalfEdge* e = &p->e;
        TessHalfEdge* eLnext = e->Lnext;
        if (tess_vert_eq(e->Org, e->Dst()) && e->Lnext->Lnext != e) {
            // A zero-length edge in a contour of three or more edges.
            mergeVertices(eLnext, e);
            mesh.deleteEdge(e);
            e = eLnext;
            eLnext = e->Lnext;
        }
        if (eLnext->Lnext == e) {
            // A contour of one or two edges encloses nothing.
            if (eLnext != e) {
                if (eLnext->pair() == nextPair)
                    nextPair = nextPair->next;
                mesh.deleteEdge(eLnext);
            }
            if (e->pair() == nextPair)
                nextPair = nextPair->next;
            mesh.deleteEdge(e);
        }
        p = nextPair;
    }
}

// Removes faces of two edges that the sweep may leave behind.
void TessSweep::removeDegenerateFaces()
{
    for (TessFace* f = mesh.fHead.next; f != &mesh.fHead;) {
        TessFace* next = f->next;
        TessHalfEdge* e = f->anEdge;
        if (e->Lnext->Lnext == e) {
            add_winding(e->Onext, e);
            mesh.deleteEdge(e);
        }
        f = next;
    }
}

// ---- the sweep ----

void TessSweep::queueInsert(TessVertex* v)
{
    v->queueHandle = queue->insert(v);
    if (v->queueHandle == TessEventQueue::kInvalidHandle)
        throw TessFailure();
}

void TessSweep::run(const TessBounds& b)
{
    removeDegenerateEdges();

    int vertexCount = 0;
    for (TessVertex* v = mesh.vHead.next; v != &mesh.vHead; v = v->next)
        vertexCount++;
    queue = tess_new<TessEventQueue>(allocator, allocator, vertexCount + std::max(8, extraVertices));
    for (TessVertex* v = mesh.vHead.next; v != &mesh.vHead; v = v->next)
        v->queueHandle = queue->add_sorted(v);
    queue->sort();

    // Two horizontal sentinels keep every active edge between two others.
    const double w = b.smax - b.smin;
    const double h = b.tmax - b.tmin;
    addSentinel(b.smin - w, b.smax + w, b.tmin - h);
    addSentinel(b.smin - w, b.smax + w, b.tmax + h);

    while (TessVertex* v = queue->extract_min()) {
        // Vertices at the same position become one before the event runs.
        for (;;) {
            TessVertex* next = queue->minimum();
            if (!next || !tess_vert_eq(next, v))
                break;
            next = queue->extract_min();
            mergeVertices(v->anEdge, next->anEdge);
        }
        sweepEvent(v);
    }

    // Only the sentinels (and at most one temporary edge) are left.
    while (dictHead.next != &dictHead)
        deleteRegion(dictHead.next->key);
    tess_delete(allocator, queue);
    queue = nullptr;

    removeDegenerateFaces();
}

void TessSweep::sweepEvent(TessVertex* v)
{
    event = v;
    // Is the event the right end of an edge already in the dictionary?
    TessHalfEdge* e = v->anEdge;
    while (!e->region) {
        e = e->Onext;
        if (e == v->anEdge) {
            // Every edge at the event goes right.
            connectLeftVertex(v);
            return;
        }
    }
    // First finish the regions whose upper and lower edges both end here,
    TessRegion* up = topLeftRegion(e->region);
    TessRegion* r = regionBelow(up);
    TessHalfEdge* eTopLeft = r->eUp;
    TessHalfEdge* eBottomLeft = finishLeftRegions(r, nullptr);
    // then add the edges that leave the event to the right.
    if (eBottomLeft->Onext == eTopLeft)
        connectRightVertex(up, eBottomLeft);
    else
        addRightEdges(up, eBottomLeft->Onext, eTopLeft, eTopLeft, true);
}

// Finishes the regions from first down to (not including) last, relinking
// their upper edges around the event in dictionary order. Returns the lowest
// left-going edge at the event.
TessHalfEdge* TessSweep::finishLeftRegions(TessRegion* first, TessRegion* last)
{
    TessRegion* prev = first;
    TessHalfEdge* ePrev = first->eUp;
    while (prev != last) {
        prev->fixUpperEdge = false;
        TessRegion* r = regionBelow(prev);
        TessHalfEdge* e = r->eUp;
        if (e->Org != ePrev->Org) {
            if (!r->fixUpperEdge) {
                // The last edge that ends at the event: finish its region
                // (the mesh may still hold more edges at this vertex).
                finishRegion(prev);
                break;
            }
            // A temporary edge below: replace it with a real one.
            e = mesh.connect(ePrev->Lprev(), e->Sym);
            fixUpperEdge(r, e);
        }
        if (ePrev->Onext != e) {
            mesh.splice(e->Oprev(), e);
            mesh.splice(ePrev, e);
        }
        finishRegion(prev);
        ePrev = r->eUp;
        prev = r;
    }
    return ePrev;
}

// Adds the right-going edges eFirst .. eLast (exclusive, through Onext) below
// region up, sets their regions' winding numbers, and relinks the mesh to the
// dictionary order.
void TessSweep::addRightEdges(TessRegion* up, TessHalfEdge* eFirst, TessHalfEdge* eLast, TessHalfEdge* eTopLeft,
                              bool cleanUp)
{
    TessHalfEdge* e = eFirst;
    do {
        addRegionBelow(up, e->Sym);
        e = e->Onext;
    } while (e != eLast);

    if (!eTopLeft)
        eTopLeft = regionBelow(up)->eUp->Rprev();
    TessRegion* prev = up;
    TessHalfEdge* ePrev = eTopLeft;
    bool firstTime = true;
    for (;;) {
        TessRegion* r = regionBelow(prev);
        e = r->eUp->Sym;
        if (e->Org != ePrev->Org)
            break;
        if (e->Onext != ePrev) {
            mesh.splice(e->Oprev(), e);
            mesh.splice(ePrev->Oprev(), e);
        }
        r->windingNumber = prev->windingNumber - e->winding;
        r->inside = tess_winding_inside(windingRule, r->windingNumber);
        // Two new edges of the same slope are merged before any crossing test.
        prev->dirty = true;
        if (!firstTime && checkForRightSplice(prev)) {
            add_winding(e, ePrev);
            deleteRegion(prev);
            mesh.deleteEdge(ePrev);
        }
        firstTime = false;
        prev = r;
        ePrev = e;
    }
    prev->dirty = true;
    if (cleanUp)
        walkDirtyRegions(prev);
}

// Checks each dirty pair of neighbouring edges, bottom up, for wrong order at
// their ends and for crossings, until no region is dirty.
void TessSweep::walkDirtyRegions(TessRegion* up)
{
    TessRegion* lo = regionBelow(up);
    for (;;) {
        while (lo->dirty) {
            up = lo;
            lo = regionBelow(lo);
        }
        if (!up->dirty) {
            lo = up;
            up = regionAbove(up);
            if (!up || !up->dirty)
                return;
        }
        up->dirty = false;
        TessHalfEdge* eUp = up->eUp;
        TessHalfEdge* eLo = lo->eUp;

        if (eUp->Dst() != eLo->Dst() && checkForLeftSplice(up)) {
            // A temporary edge is no longer needed once the vertex has
            // another right-going edge.
            if (lo->fixUpperEdge) {
                deleteRegion(lo);
                mesh.deleteEdge(eLo);
                lo = regionBelow(up);
                eLo = lo->eUp;
            } else if (up->fixUpperEdge) {
                deleteRegion(up);
                mesh.deleteEdge(eUp);
                up = regionAbove(lo);
                eUp = up->eUp;
            }
        }
        if (eUp->Org != eLo->Org) {
            if (eUp->Dst() != eLo->Dst() && !up->fixUpperEdge && !lo->fixUpperEdge &&
                (eUp->Dst() == event || eLo->Dst() == event)) {
                // The crossing test may fall back on the event as the
                // crossing, so the event must lie between the two edges.
                if (checkForIntersect(up))
                    return; // walked already by a nested call
            } else {
                checkForRightSplice(up);
            }
        }
        if (eUp->Org == eLo->Org && eUp->Dst() == eLo->Dst()) {
            // Two edges with the same ends: one loop of two edges, remove it.
            add_winding(eLo, eUp);
            deleteRegion(up);
            mesh.deleteEdge(eUp);
            up = regionAbove(lo);
        }
    }
}

// Right ends of up's and the lower region's edges out of order: splice the
// one into the other edge (or merge them when they coincide).
bool TessSweep::checkForRightSplice(TessRegion* up)
{
    TessRegion* lo = regionBelow(up);
    TessHalfEdge* eUp = up->eUp;
    TessHalfEdge* eLo = lo->eUp;
    if (tess_vert_leq(eUp->Org, eLo->Org)) {
        if (tess_edge_sign(eLo->Dst(), eUp->Org, eLo->Org) > 0)
            return false;
        if (!tess_vert_eq(eUp->Org, eLo->Org)) {
            // eUp's right end lies on or below eLo: split eLo there.
            mesh.splitEdge(eLo->Sym);
            mesh.splice(eUp, eLo->Oprev());
            up->dirty = lo->dirty = true;
        } else if (eUp->Org != eLo->Org) {
            queue->remove(eUp->Org->queueHandle);
            mergeVertices(eLo->Oprev(), eUp);
        }
    } else {
        if (tess_edge_sign(eUp->Dst(), eLo->Org, eUp->Org) < 0)
            return false;
        // eLo's right end lies on or above eUp: split eUp there.
        regionAbove(up)->dirty = up->dirty = true;
        mesh.splitEdge(eUp->Sym);
        mesh.splice(eLo->Oprev(), eUp);
    }
    return true;
}

// The same for the left ends (both already swept).
bool TessSweep::checkForLeftSplice(TessRegion* up)
{
    TessRegion* lo = regionBelow(up);
    TessHalfEdge* eUp = up->eUp;
    TessHalfEdge* eLo = lo->eUp;
    if (tess_vert_eq(eUp->Dst(), eLo->Dst()))
        throw TessFailure();
    if (tess_vert_leq(eUp->Dst(), eLo->Dst())) {
        if (tess_edge_sign(eUp->Dst(), eLo->Dst(), eUp->Org) < 0)
            return false;
        // eLo's left end lies on or above eUp: split eUp there.
        regionAbove(up)->dirty = up->dirty = true;
        TessHalfEdge* e = mesh.splitEdge(eUp);
        mesh.splice(eLo->Sym, e);
        mesh.Lface(e)->inside = up->inside;
    } else {
        if (tess_edge_sign(eLo->Dst(), eUp->Dst(), eLo->Org) > 0)
            return false;
        // eUp's left end lies on or below eLo: split eLo there.
        up->dirty = lo->dirty = true;
        TessHalfEdge* e = mesh.splitEdge(eLo);
        mesh.splice(eUp->Lnext, eLo->Sym);
        mesh.Rface(e)->inside = up->inside;
    }
    return true;
}

// Position and input data of a vertex made at a crossing: x, y, z mix the
// four edge ends by their distances, and it has no input index.
void TessSweep::intersectionData(TessVertex* isect, TessVertex* orgUp, TessVertex* dstUp, TessVertex* orgLo,
                                 TessVertex* dstLo)
{
    isect->coords[0] = isect->coords[1] = isect->coords[2] = 0;
    isect->index = -1;
    auto mix = [isect](TessVertex* org, TessVertex* dst) {
        const double t1 = tess_vert_l1_dist(org, isect);
        const double t2 = tess_vert_l1_dist(dst, isect);
        double w0 = 0.25, w1 = 0.25;
        if (t1 + t2 > 0) {
            w0 = 0.5f * t2 / (t1 + t2);
            w1 = 0.5f * t1 / (t1 + t2);
        }
        for (int i = 0; i < 3; i++)
            isect->coords[i] += static_cast<float>(w0 * org->coords[i] + w1 * dst->coords[i]);
    };
    mix(orgUp, dstUp);
    mix(orgLo, dstLo);
}

// Checks up's upper edge and the one below for a crossing right of the
// event; a crossing becomes a new vertex in both edges and in the queue.
// Returns true when it walked the dirty regions itself.
bool TessSweep::checkForIntersect(TessRegion* up)
{
    TessRegion* lo = regionBelow(up);
    TessHalfEdge* eUp = up->eUp;
    TessHalfEdge* eLo = lo->eUp;
    TessVertex* orgUp = eUp->Org;
    TessVertex* orgLo = eLo->Org;
    TessVertex* dstUp = eUp->Dst();
    TessVertex* dstLo = eLo->Dst();

    if (orgUp == orgLo)
        return false; // same right end: no crossing
    if (std::min(orgUp->t, dstUp->t) > std::max(orgLo->t, dstLo->t))
        return false; // t ranges apart
    if (tess_vert_leq(orgUp, orgLo)) {
        if (tess_edge_sign(dstLo, orgUp, orgLo) > 0)
            return false;
    } else {
        if (tess_edge_sign(dstUp, orgLo, orgUp) < 0)
            return false;
    }

    // The edges cross, at least marginally.
    TessVertex isect;
    tess_edge_intersect(dstUp, orgUp, dstLo, orgLo, &isect);
    if (tess_vert_leq(&isect, event)) {
        // Rounding put the crossing left of the sweep line: use the event.
        isect.s = event->s;
        isect.t = event->t;
    }
    // A crossing right of the nearer right end is moved onto it (such
    // crossings come from rounding and would slow degenerate inputs down).
    TessVertex* orgMin = tess_vert_leq(orgUp, orgLo) ? orgUp : orgLo;
    if (tess_vert_leq(orgMin, &isect)) {
        isect.s = orgMin->s;
        isect.t = orgMin->t;
    }
    if (tess_vert_eq(&isect, orgUp) || tess_vert_eq(&isect, orgLo)) {
        // The crossing is a right end.
        checkForRightSplice(up);
        return false;
    }

    if ((!tess_vert_eq(dstUp, event) && tess_edge_sign(dstUp, event, &isect) >= 0) ||
        (!tess_vert_eq(dstLo, event) && tess_edge_sign(dstLo, event, &isect) <= 0)) {
        // Rounding would make an edge pass the event on the wrong side.
        if (dstLo == event) {
            // Splice the event into eUp and process the regions it opens.
            mesh.splitEdge(eUp->Sym);
            mesh.splice(eLo->Sym, eUp);
            up = topLeftRegion(up);
            eUp = regionBelow(up)->eUp;
            finishLeftRegions(regionBelow(up), lo);
            addRightEdges(up, eUp->Oprev(), eUp, eUp, true);
            return true;
        }
        if (dstUp == event) {
            // Splice the event into eLo and process the regions it opens.
            mesh.splitEdge(eLo->Sym);
            mesh.splice(eUp->Lnext, eLo->Oprev());
            lo = up;
            up = topRightRegion(up);
            TessHalfEdge* e = regionBelow(up)->eUp->Rprev();
            lo->eUp = eLo->Oprev();
            eLo = finishLeftRegions(lo, nullptr);
            addRightEdges(up, eLo->Onext, eUp->Rprev(), e, true);
            return true;
        }
        // Called while connecting a right vertex: split an edge that passes
        // on the wrong side at the event; the caller splices it in.
        if (tess_edge_sign(dstUp, event, &isect) >= 0) {
            regionAbove(up)->dirty = up->dirty = true;
            mesh.splitEdge(eUp->Sym);
            eUp->Org->s = event->s;
            eUp->Org->t = event->t;
        }
        if (tess_edge_sign(dstLo, event, &isect) <= 0) {
            up->dirty = lo->dirty = true;
            mesh.splitEdge(eLo->Sym);
            eLo->Org->s = event->s;
            eLo->Org->t = event->t;
        }
        return false;
    }

    // The general case: split both edges and join them at the crossing.
    mesh.splitEdge(eUp->Sym);
    mesh.splitEdge(eLo->Sym);
    mesh.splice(eLo->Oprev(), eUp);
    eUp->Org->s = isect.s;
    eUp->Org->t = isect.t;
    queueInsert(eUp->Org);
    intersectionData(eUp->Org, orgUp, dstUp, orgLo, dstLo);
    regionAbove(up)->dirty = up->dirty = lo->dirty = true;
    return false;
}

// The event has edges coming from the left but none going right: join it to
// the nearer right end of the edges above and below with a temporary edge
// (or splice it into one of them when they pass through it).
void TessSweep::connectRightVertex(TessRegion* up, TessHalfEdge* eBottomLeft)
{
    TessHalfEdge* eTopLeft = eBottomLeft->Onext;
    TessRegion* lo = regionBelow(up);
    TessHalfEdge* eUp = up->eUp;
    TessHalfEdge* eLo = lo->eUp;
    bool degenerate = false;

    if (eUp->Dst() != eLo->Dst())
        checkForIntersect(up);

    if (tess_vert_eq(eUp->Org, event)) {
        mesh.splice(eTopLeft->Oprev(), eUp);
        up = topLeftRegion(up);
        eTopLeft = regionBelow(up)->eUp;
        finishLeftRegions(regionBelow(up), lo);
        degenerate = true;
    }
    if (tess_vert_eq(eLo->Org, event)) {
        mesh.splice(eBottomLeft, eLo->Oprev());
        eBottomLeft = finishLeftRegions(lo, nullptr);
        degenerate = true;
    }
    if (degenerate) {
        addRightEdges(up, eBottomLeft->Onext, eTopLeft, eTopLeft, true);
        return;
    }

    TessHalfEdge* eNew = tess_vert_leq(eLo->Org, eUp->Org) ? eLo->Oprev() : eUp;
    eNew = mesh.connect(eBottomLeft->Lprev(), eNew);
    // No clean-up yet, or eNew could vanish before it is marked temporary.
    addRightEdges(up, eNew, eNew->Onext, eNew->Onext, false);
    eNew->Sym->region->fixUpperEdge = true;
    walkDirtyRegions(up);
}

// The event lies on region up's upper edge (or on its right end).
void TessSweep::connectLeftDegenerate(TessRegion* up, TessVertex* v)
{
    TessHalfEdge* e = up->eUp;
    if (tess_vert_eq(e->Org, v)) {
        // The edge's right end is still queued: merge the two and wait.
        mergeVertices(e, v->anEdge);
        return;
    }
    if (!tess_vert_eq(e->Dst(), v)) {
        // The edge passes through the event: split it there.
        mesh.splitEdge(e->Sym);
        if (up->fixUpperEdge) {
            mesh.deleteEdge(e->Onext);
            up->fixUpperEdge = false;
        }
        mesh.splice(v->anEdge, e);
        sweepEvent(v);
        return;
    }
    // The event coincides with a vertex already swept; exact merging of equal
    // positions makes this unreachable.
    throw TessFailure();
}

// The event has only right-going edges: find the region it lies in and, if
// that is inside, connect it to the left so the region stays monotone.
void TessSweep::connectLeftVertex(TessVertex* v)
{
    TessRegion key;
    key.eUp = v->anEdge->Sym;
    TessDictNode* node = dictSearch(&key);
    TessRegion* up = node->key;
    if (!up)
        throw TessFailure();
    TessRegion* lo = regionBelow(up);
    if (!lo)
        throw TessFailure();
    TessHalfEdge* eUp = up->eUp;
    TessHalfEdge* eLo = lo->eUp;

    if (tess_edge_sign(eUp->Dst(), v, eUp->Org) == 0) {
        connectLeftDegenerate(up, v);
        return;
    }

    // Connect to the rightmost swept vertex of the two chains.
    TessRegion* r = tess_vert_leq(eLo->Dst(), eUp->Dst()) ? up : lo;
    if (up->inside || r->fixUpperEdge) {
        TessHalfEdge* eNew;
        if (r == up)
            eNew = mesh.connect(v->anEdge->Sym, eUp->Lnext);
        else
            eNew = mesh.connect(eLo->Dnext(), v->anEdge)->Sym;
        if (r->fixUpperEdge)
            fixUpperEdge(r, eNew);
        else
            computeWinding(addRegionBelow(up, eNew));
        sweepEvent(v);
    } else {
        // Outside: the vertex needs no connection to the rest.
        addRightEdges(up, v->anEdge, v->anEdge, nullptr, true);
    }
}
