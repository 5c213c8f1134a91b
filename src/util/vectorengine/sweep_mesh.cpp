#include "util/vectorengine/sweep_mesh.h"

namespace {

// True when the loop through a has fewer edges than the loop through b.
// Both are walked in step, so this costs the length of the shorter one.
bool shorter_loop(const TessHalfEdge* a, const TessHalfEdge* b)
{
    const TessHalfEdge* ea = a;
    const TessHalfEdge* eb = b;
    for (;;) {
        ea = ea->Lnext;
        eb = eb->Lnext;
        if (eb == b)
            return false;
        if (ea == a)
            return true;
    }
}

void set_loop_face(TessHalfEdge* eStart, TessFace* f)
{
    TessHalfEdge* e = eStart;
    do {
        e->Lface = f;
        e = e->Lnext;
    } while (e != eStart);
}

void unlink_face(TessFace* f)
{
    f->prev->next = f->next;
    f->next->prev = f->prev;
}

void link_face_before(TessFace* f, TessFace* before)
{
    f->next = before;
    f->prev = before->prev;
    before->prev->next = f;
    before->prev = f;
}

}

void tess_splice_rings(TessHalfEdge* a, TessHalfEdge* b)
{
    TessHalfEdge* aOnext = a->Onext;
    TessHalfEdge* bOnext = b->Onext;
    aOnext->Sym->Lnext = b;
    bOnext->Sym->Lnext = a;
    a->Onext = bOnext;
    b->Onext = aOnext;
}

TessMesh::TessMesh(const TessAllocator& allocator, int edgeBucket, int vertexBucket, int faceBucket)
    : edges(allocator, sizeof(TessEdgePair), edgeBucket), vertices(allocator, sizeof(TessVertex), vertexBucket),
      faces(allocator, sizeof(TessFace), faceBucket)
{
    vHead.next = vHead.prev = &vHead;
    fHead.next = fHead.prev = &fHead;
    eHead.next = eHead.prev = &eHead;
    eHead.e.Sym = &eHead.sym;
    eHead.sym.Sym = &eHead.e;
    eHead.e.pair = eHead.sym.pair = &eHead;
}

TessHalfEdge* TessMesh::newEdge(TessEdgePair* before)
{
    TessEdgePair* pair = edges.make<TessEdgePair>();
    TessHalfEdge* e = &pair->e;
    TessHalfEdge* sym = &pair->sym;
    e->pair = sym->pair = pair;
    e->Sym = sym;
    sym->Sym = e;
    e->Onext = e;
    e->Lnext = sym;
    sym->Onext = sym;
    sym->Lnext = e;
    pair->next = before;
    pair->prev = before->prev;
    before->prev->next = pair;
    before->prev = pair;
    return e;
}

void TessMesh::attachVertex(TessHalfEdge* eOrig, TessVertex* before)
{
    TessVertex* v = vertices.make<TessVertex>();
    v->next = before;
    v->prev = before->prev;
    before->prev->next = v;
    before->prev = v;
    v->anEdge = eOrig;
    TessHalfEdge* e = eOrig;
    do {
        e->Org = v;
        e = e->Onext;
    } while (e != eOrig);
}

void TessMesh::attachFace(TessHalfEdge* eOrig, TessFace* before)
{
    TessFace* f = faces.make<TessFace>();
    f->next = before;
    f->prev = before->prev;
    before->prev->next = f;
    before->prev = f;
    f->anEdge = eOrig;
    // A face split off another keeps its side of the winding rule.
    f->inside = before->inside;
    TessHalfEdge* e = eOrig;
    do {
        e->Lface = f;
        e = e->Lnext;
    } while (e != eOrig);
}

void TessMesh::killVertex(TessVertex* v, TessVertex* newOrg)
{
    TessHalfEdge* eStart = v->anEdge;
    TessHalfEdge* e = eStart;
    do {
        e->Org = newOrg;
        e = e->Onext;
    } while (e != eStart);
    v->prev->next = v->next;
    v->next->prev = v->prev;
    vertices.free(v);
}

void TessMesh::killFace(TessFace* f, TessFace* newLface)
{
    TessHalfEdge* eStart = f->anEdge;
    TessHalfEdge* e = eStart;
    do {
        e->Lface = newLface;
        e = e->Lnext;
    } while (e != eStart);
    f->prev->next = f->next;
    f->next->prev = f->prev;
    faces.free(f);
}

void TessMesh::joinFaces(TessHalfEdge* a, TessHalfEdge* b)
{
    TessFace* kept = a->Lface;
    TessFace* gone = b->Lface;
    if (!shorter_loop(a, b)) {
        killFace(gone, kept);
        return;
    }
    // a's loop is the shorter: it takes b's record, which moves into the
    // kept face's place in the list with all its fields.
    set_loop_face(a, gone);
    gone->anEdge = kept->anEdge;
    gone->outIndex = kept->outIndex;
    gone->inside = kept->inside;
    unlink_face(gone);
    link_face_before(gone, kept);
    unlink_face(kept);
    faces.free(kept);
}

void TessMesh::splitFace(TessHalfEdge* a, TessHalfEdge* b)
{
    TessFace* old = a->Lface;
    TessFace* f = faces.make<TessFace>();
    f->inside = old->inside;
    if (!shorter_loop(a, b)) {
        // b's loop gets the new record, placed before the old one.
        link_face_before(f, old);
        f->anEdge = b;
        set_loop_face(b, f);
        return;
    }
    // a's loop is the shorter: it takes the new record with all the old
    // one's fields, placed after it, and the old record becomes b's face.
    link_face_before(f, old->next);
    f->anEdge = old->anEdge;
    f->outIndex = old->outIndex;
    old->anEdge = b;
    old->outIndex = -1;
    set_loop_face(a, f);
}

void TessMesh::killEdge(TessHalfEdge* e)
{
    TessEdgePair* pair = e->pair;
    pair->prev->next = pair->next;
    pair->next->prev = pair->prev;
    edges.free(pair);
}

TessHalfEdge* TessMesh::makeEdge()
{
    TessHalfEdge* e = newEdge(&eHead);
    attachVertex(e, &vHead);
    attachVertex(e->Sym, &vHead);
    attachFace(e, &fHead);
    return e;
}

void TessMesh::splice(TessHalfEdge* a, TessHalfEdge* b)
{
    if (a == b)
        return;
    const bool joiningVertices = b->Org != a->Org;
    if (joiningVertices)
        killVertex(b->Org, a->Org);
    const bool joiningLoops = b->Lface != a->Lface;
    if (joiningLoops)
        joinFaces(a, b);
    tess_splice_rings(b, a);
    if (!joiningVertices) {
        // One origin ring became two: b's ring gets a vertex of its own.
        attachVertex(b, a->Org);
        a->Org->anEdge = a;
    }
    if (!joiningLoops) {
        // One face ring became two: b's ring gets a face of its own.
        splitFace(a, b);
        a->Lface->anEdge = a;
    }
}

void TessMesh::deleteEdge(TessHalfEdge* e)
{
    TessHalfEdge* sym = e->Sym;
    const bool joiningLoops = e->Lface != e->Rface();
    if (joiningLoops)
        joinFaces(sym, e);

    if (e->Onext == e) {
        killVertex(e->Org, nullptr);
    } else {
        TessHalfEdge* eOprev = e->Oprev();
        e->Rface()->anEdge = eOprev;
        e->Org->anEdge = e->Onext;
        tess_splice_rings(e, eOprev);
        if (!joiningLoops)
            splitFace(eOprev, e);
    }

    if (sym->Onext == sym) {
        killVertex(sym->Org, nullptr);
        killFace(sym->Lface, nullptr);
    } else {
        e->Lface->anEdge = sym->Oprev();
        sym->Org->anEdge = sym->Onext;
        tess_splice_rings(sym, sym->Oprev());
    }
    killEdge(e);
}

TessHalfEdge* TessMesh::addEdgeVertex(TessHalfEdge* eOrg)
{
    TessHalfEdge* eNew = newEdge(&eHead);
    tess_splice_rings(eNew, eOrg->Lnext);
    eNew->Org = eOrg->Dst();
    attachVertex(eNew->Sym, eNew->Org);
    eNew->Lface = eNew->Sym->Lface = eOrg->Lface;
    return eNew;
}

TessHalfEdge* TessMesh::splitEdge(TessHalfEdge* eOrg)
{
    TessHalfEdge* eNew = addEdgeVertex(eOrg)->Sym;
    // Move eOrg's destination end from the old vertex to the new one.
    tess_splice_rings(eOrg->Sym, eOrg->Sym->Oprev());
    tess_splice_rings(eOrg->Sym, eNew);
    eOrg->Sym->Org = eNew->Org;
    eNew->Dst()->anEdge = eNew->Sym;
    eNew->Sym->Lface = eOrg->Rface();
    eNew->winding = eOrg->winding;
    eNew->Sym->winding = eOrg->Sym->winding;
    return eNew;
}

TessHalfEdge* TessMesh::connect(TessHalfEdge* eOrg, TessHalfEdge* eDst)
{
    TessHalfEdge* eNew = newEdge(&eHead);
    TessHalfEdge* eNewSym = eNew->Sym;
    const bool joiningLoops = eDst->Lface != eOrg->Lface;
    if (joiningLoops)
        joinFaces(eOrg, eDst);
    tess_splice_rings(eNew, eOrg->Lnext);
    tess_splice_rings(eNewSym, eDst);
    eNew->Org = eOrg->Dst();
    eNewSym->Org = eDst->Org;
    eNew->Lface = eNewSym->Lface = eOrg->Lface;
    eOrg->Lface->anEdge = eNewSym;
    if (!joiningLoops)
        splitFace(eNewSym, eNew);
    return eNew;
}
