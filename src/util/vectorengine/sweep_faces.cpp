#include "util/vectorengine/sweep_faces.h"

#include "util/vectorengine/sweep_geometry.h"

namespace {

int face_vertex_count(const TessFace* f)
{
    int n = 0;
    const TessHalfEdge* e = f->anEdge;
    do {
        n++;
        e = e->Lnext;
    } while (e != f->anEdge);
    return n;
}

// A monotone face becomes triangles: from its rightmost vertex, the upper and
// lower chains are walked leftwards, cutting off every triangle that turns
// the right way, and what is left is a fan from the leftmost vertex.
void triangulate_monotone(TessMesh& mesh, TessFace* face)
{
    TessHalfEdge* up = face->anEdge;
    if (up->Lnext == up || up->Lnext->Lnext == up)
        throw TessFailure();
    // Every loop below moves around the face: more steps than it has edges
    // (times the cuts it can take) means its shape broke an assumption.
    const long limit = 4L * face_vertex_count(face) + 8;
    long steps = 0;
    auto step = [&steps, limit]() {
        if (++steps > limit)
            throw TessFailure();
    };

    while (tess_vert_leq(up->Dst(), up->Org)) {
        up = up->Lprev();
        step();
    }
    while (tess_vert_leq(up->Org, up->Dst())) {
        up = up->Lnext;
        step();
    }
    TessHalfEdge* lo = up->Lprev();

    while (up->Lnext != lo) {
        step();
        if (tess_vert_leq(up->Dst(), lo->Org)) {
            // up->Dst is the leftmost: triangles can be cut from lo->Org.
            while (lo->Lnext != up &&
                   (tess_edge_goes_left(lo->Lnext) || tess_edge_sign(lo->Org, lo->Dst(), lo->Lnext->Dst()) <= 0)) {
                lo = mesh.connect(lo->Lnext, lo)->Sym;
                step();
            }
            lo = lo->Lprev();
        } else {
            // lo->Org is the leftmost: triangles can be cut from up->Dst.
            while (lo->Lnext != up &&
                   (tess_edge_goes_right(up->Lprev()) || tess_edge_sign(up->Dst(), up->Org, up->Lprev()->Org) >= 0)) {
                up = mesh.connect(up, up->Lprev())->Sym;
                step();
            }
            up = up->Lnext;
        }
    }
    // lo->Org == up->Dst is the leftmost vertex: fan out from it.
    if (lo->Lnext == up)
        throw TessFailure();
    while (lo->Lnext->Lnext != up) {
        lo = mesh.connect(lo->Lnext, lo)->Sym;
        step();
    }
}

}

void tess_triangulate_interior(TessMesh& mesh)
{
    for (TessFace* f = mesh.fHead.next; f != &mesh.fHead;) {
        // Faces made by the cuts are added before f's successor's place is
        // lost: take it first.
        TessFace* next = f->next;
        if (f->inside)
            triangulate_monotone(mesh, f);
        f = next;
    }
}

void tess_merge_convex_faces(TessMesh& mesh, int maxVertices)
{
    for (TessFace* f = mesh.fHead.next; f != &mesh.fHead; f = f->next) {
        if (!f->inside)
            continue;
        TessHalfEdge* eCur = f->anEdge;
        const TessVertex* vStart = eCur->Org;
        for (;;) {
            TessHalfEdge* eNext = eCur->Lnext;
            TessHalfEdge* eSym = eCur->Sym;
            bool merged = false;
            const TessFace* other = mesh.Lface(eSym);
            if (other && other->inside) {
                const int n = face_vertex_count(f) + face_vertex_count(other) - 2;
                // Both corners where the removed edge ends must stay convex.
                if (n <= maxVertices && tess_vert_ccw(eCur->Lprev()->Org, eCur->Org, eSym->Lnext->Lnext->Org) &&
                    tess_vert_ccw(eSym->Lprev()->Org, eSym->Org, eCur->Lnext->Lnext->Org)) {
                    eNext = eSym->Lnext;
                    mesh.deleteEdge(eSym);
                    merged = true;
                }
            }
            if (!merged && (eCur->Lnext->Org == vStart || eCur->Lnext->Lnext == eCur))
                break;
            eCur = eNext;
        }
    }
}

void tess_keep_boundary(TessMesh& mesh)
{
    for (TessEdgePair* p = mesh.eHead.next; p != &mesh.eHead;) {
        TessEdgePair* next = p->next;
        TessHalfEdge* e = &p->e;
        if (mesh.Rface(e)->inside != mesh.Lface(e)->inside)
            e->winding = mesh.Lface(e)->inside ? 1 : -1;
        else
            mesh.deleteEdge(e);
        p = next;
    }
}
