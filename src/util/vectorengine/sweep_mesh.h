#pragma once
// The half-edge mesh the sweep works on. Every edge is a pair of half-edges
// (each other's Sym); around a vertex the half-edges leaving it form a ring
// through Onext (counter-clockwise), around a face the half-edges with that
// face on their left form a ring through Lnext (counter-clockwise).
#include <cstdint>

#include "util/vectorengine/sweep_loops.h"
#include "util/vectorengine/sweep_memory.h"

struct TessHalfEdge;
struct TessRegion;

struct TessVertex {
    TessVertex* next = nullptr;
    TessVertex* prev = nullptr;
    TessHalfEdge* anEdge = nullptr; // some half-edge leaving this vertex
    float coords[3] = {0, 0, 0};
    double s = 0, t = 0; // projected position (double: crossings of near-parallel edges stay ordered)
    int queueHandle = 0;
    int index = -1;           // running input index, -1 when made by the sweep
    int outIndex = -1;        // position in the result vertices
};

struct TessFace {
    TessFace* next = nullptr;
    TessFace* prev = nullptr;
    TessHalfEdge* anEdge = nullptr; // some half-edge with this face on its left
    int outIndex = -1;
    bool inside = false;
};

struct TessEdgePair;

struct TessHalfEdge {
    TessHalfEdge* Sym = nullptr;
    TessHalfEdge* Onext = nullptr;
    TessHalfEdge* Lnext = nullptr;
    TessVertex* Org = nullptr;
    // The face on the left, as a label or through the loop's tree
    // (sweep_loops.h): these are the edge's two links in it.
    std::uintptr_t loopUp = 0;
    TessHalfEdge* loopDown = nullptr;
    TessRegion* region = nullptr; // the active region this edge bounds from above
    int winding = 0;              // winding change crossing from the right face to the left

    TessEdgePair* pair() const;
    TessVertex* Dst() const { return Sym->Org; }
    TessHalfEdge* Oprev() const { return Sym->Lnext; }
    TessHalfEdge* Lprev() const { return Onext->Sym; }
    TessHalfEdge* Rprev() const { return Sym->Onext; }
    TessHalfEdge* Dnext() const { return Sym->Onext->Sym; }
};

// The fill's memory (and so where a path runs out of it) follows from the
// sizes of these records: an edge is seven pointers and its winding.
static_assert(sizeof(TessHalfEdge) == 8 * sizeof(void*), "a half-edge is seven pointers and an int");

struct TessEdgePair {
    TessHalfEdge e;
    TessHalfEdge sym;
    TessEdgePair* next = nullptr;
    TessEdgePair* prev = nullptr;
};

// The pair's first half is at its start.
inline TessEdgePair* TessHalfEdge::pair() const
{
    const TessHalfEdge* first = this < Sym ? this : Sym;
    return reinterpret_cast<TessEdgePair*>(const_cast<TessHalfEdge*>(first));
}

class TessMesh {
public:
    TessMesh(const TessAllocator& allocator, int edgeBucket, int vertexBucket, int faceBucket,
             int loopLabelLimit = TessLoops().labelLimit);
    TessMesh(const TessMesh&) = delete;
    TessMesh& operator=(const TessMesh&) = delete;

    // A lone edge with two new vertices and one new face on both sides.
    TessHalfEdge* makeEdge();
    // Joins or splits the origin rings of a and b, and so the face rings
    // through them, creating or destroying vertices and faces as needed.
    void splice(TessHalfEdge* a, TessHalfEdge* b);
    // Removes the edge, joining the faces on its sides or splitting a vertex.
    void deleteEdge(TessHalfEdge* e);
    // A new edge from eOrg's destination to a new vertex, in eOrg's left face.
    TessHalfEdge* addEdgeVertex(TessHalfEdge* eOrg);
    // Splits eOrg in two at a new vertex; returns the second half, eOrg->Lnext.
    TessHalfEdge* splitEdge(TessHalfEdge* eOrg);
    // A new edge from eOrg's destination to eDst's origin; when eOrg and eDst
    // share a face it is split, the new face lying left of the new edge.
    TessHalfEdge* connect(TessHalfEdge* eOrg, TessHalfEdge* eDst);

    // The faces left and right of e.
    TessFace* Lface(const TessHalfEdge* e)
    {
        if (tess_loop_is_label(e->loopUp))
            return tess_loop_label(e->loopUp);
        return tess_loop_tree_face(loops, const_cast<TessHalfEdge*>(e));
    }
    TessFace* Rface(const TessHalfEdge* e) { return Lface(e->Sym); }
    // The work the loops' trees have done so far.
    long loop_tree_steps() const { return loops.treeSteps; }

    TessVertex vHead;
    TessFace fHead;
    TessEdgePair eHead;

    int edge_bucket_size() const { return edges.bucket_size(); }
    int vertex_bucket_size() const { return vertices.bucket_size(); }
    int face_bucket_size() const { return faces.bucket_size(); }

private:
    TessHalfEdge* newEdge(TessEdgePair* before);
    void attachVertex(TessHalfEdge* eOrig, TessVertex* before);
    void attachFace(TessHalfEdge* eOrig, TessFace* before);
    // Swaps the origin rings of a and b, keeping the loop trees in step.
    void spliceRings(TessHalfEdge* a, TessHalfEdge* b);
    void killVertex(TessVertex* v, TessVertex* newOrg);
    void killFace(TessFace* f, TessFace* newLface);
    void killEdge(TessHalfEdge* e);

    TessBucket edges;
    TessBucket vertices;
    TessBucket faces;
    TessLoops loops;
};

// Swaps the origin rings of a and b (the primitive all mesh changes use).
void tess_splice_rings(TessHalfEdge* a, TessHalfEdge* b);
