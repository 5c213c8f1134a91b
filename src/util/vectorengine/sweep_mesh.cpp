#include "util/vectorengine/sweep_mesh.h"

void tess_splice_rings(TessHalfEdge* a, TessHalfEdge* b)
{
    TessHalfEdge* aOnext = a->Onext;
    TessHalfEdge* bOnext = b->Onext;
    aOnext->Sym->Lnext = b;
    bOnext->Sym->Lnext = a;
    a->Onext = bOnext;
    b->Onext = aOnext;
}

void TessMesh::spliceRings(TessHalfEdge* a, TessHalfEdge* b)
{
    tess_loop_splice(loops, a, b);
    tess_splice_rings(a, b);
}

TessMesh::TessMesh(const TessAllocator& allocator, int edgeBucket, int vertexBucket, int faceBucket,
                   int loopLabelLimit)
    : edges(allocator, sizeof(TessEdgePair), edgeBucket), vertices(allocator, sizeof(TessVertex), vertexBucket),
      faces(allocator, sizeof(TessFace), faceBucket)
{
    loops.labelLimit = loopLabelLimit;
    vHead.next = vHead.prev = &vHead;
    fHead.next = fHead.prev = &fHead;
    eHead.next = eHead.prev = &eHead;
    eHead.e.Sym = &eHead.sym;
    eHead.sym.Sym = &eHead.e;
}

TessHalfEdge* TessMesh::newEdge(TessEdgePair* before)
{
    TessEdgePair* pair = edges.make<TessEdgePair>();
    TessHalfEdge* e = &pair->e;
    TessHalfEdge* sym = &pair->sym;
    e->Sym = sym;
    sym->Sym = e;
    e->Onext = e;
    e->Lnext = sym;
    sym->Onext = sym;
    sym->Lnext = e;
    tess_loop_make_pair(e, sym);
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
    tess_loop_set_face(loops, eOrig, f);
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
    tess_loop_set_face(loops, f->anEdge, newLface);
    f->prev->next = f->next;
    f->next->prev = f->prev;
    faces.free(f);
}

void TessMesh::killEdge(TessHalfEdge* e)
{
    TessEdgePair* pair = e->pair();
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
    const bool joiningLoops = Lface(b) != Lface(a);
    if (joiningLoops)
        killFace(Lface(b), Lface(a));
    spliceRings(b, a);
    if (!joiningVertices) {
        // One origin ring became two: b's ring gets a vertex of its own.
        attachVertex(b, a->Org);
        a->Org->anEdge = a;
    }
    if (!joiningLoops) {
        // One face ring became two: b's ring gets a face of its own.
        attachFace(b, Lface(a));
        Lface(a)->anEdge = a;
    }
}

void TessMesh::deleteEdge(TessHalfEdge* e)
{
    TessHalfEdge* sym = e->Sym;
    const bool joiningLoops = Lface(e) != Rface(e);
    if (joiningLoops)
        killFace(Lface(e), Rface(e));

    if (e->Onext == e) {
        killVertex(e->Org, nullptr);
    } else {
        Rface(e)->anEdge = e->Oprev();
        e->Org->anEdge = e->Onext;
        spliceRings(e, e->Oprev());
        if (!joiningLoops)
            attachFace(e, Lface(e));
    }

    if (sym->Onext == sym) {
        killVertex(sym->Org, nullptr);
        killFace(Lface(sym), nullptr);
    } else {
        Lface(e)->anEdge = sym->Oprev();
        sym->Org->anEdge = sym->Onext;
        spliceRings(sym, sym->Oprev());
    }
    killEdge(e);
}

TessHalfEdge* TessMesh::addEdgeVertex(TessHalfEdge* eOrg)
{
    TessHalfEdge* eNew = newEdge(&eHead);
    spliceRings(eNew, eOrg->Lnext);
    eNew->Org = eOrg->Dst();
    attachVertex(eNew->Sym, eNew->Org);
    // Both halves joined eOrg's loop, which keeps its face.
    return eNew;
}

TessHalfEdge* TessMesh::splitEdge(TessHalfEdge* eOrg)
{
    // As addEdgeVertex, but the loops are set once at the end.
    TessHalfEdge* eAdded = newEdge(&eHead);
    tess_splice_rings(eAdded, eOrg->Lnext);
    eAdded->Org = eOrg->Dst();
    attachVertex(eAdded->Sym, eAdded->Org);
    TessHalfEdge* eNew = eAdded->Sym;
    // Move eOrg's destination end from the old vertex to the new one.
    tess_splice_rings(eOrg->Sym, eOrg->Sym->Oprev());
    tess_splice_rings(eOrg->Sym, eNew);
    eOrg->Sym->Org = eNew->Org;
    eNew->Dst()->anEdge = eNew->Sym;
    // eNew follows eOrg in its left loop, eNew->Sym comes just before
    // eOrg->Sym in its right one.
    tess_loop_insert_after(loops, eOrg, eNew);
    tess_loop_insert_before(loops, eOrg->Sym, eNew->Sym);
    eNew->winding = eOrg->winding;
    eNew->Sym->winding = eOrg->Sym->winding;
    return eNew;
}

TessHalfEdge* TessMesh::connect(TessHalfEdge* eOrg, TessHalfEdge* eDst)
{
    TessHalfEdge* eNew = newEdge(&eHead);
    TessHalfEdge* eNewSym = eNew->Sym;
    const bool joiningLoops = Lface(eDst) != Lface(eOrg);
    if (joiningLoops)
        killFace(Lface(eDst), Lface(eOrg));
    spliceRings(eNew, eOrg->Lnext);
    spliceRings(eNewSym, eDst);
    eNew->Org = eOrg->Dst();
    eNewSym->Org = eDst->Org;
    // Both halves joined eOrg's loop, whose face the parts keep.
    Lface(eOrg)->anEdge = eNewSym;
    if (!joiningLoops)
        attachFace(eNew, Lface(eOrg));
    return eNew;
}
