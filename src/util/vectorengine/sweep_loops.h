#pragma once
// Which face a half-edge bounds. A short loop (the common case) keeps its
// face on every edge, as a label: a lookup reads it and giving the loop
// another face relabels it edge by edge. A loop found longer than the
// label limit while it is relabelled becomes a splay tree over its
// half-edges, in loop order from some edge, with the loop's face held at the
// root; so joining two long loops or parting one costs a few splays, however
// long the loops are, where relabelling would cost their length. A loop that
// took part in a tree keeps a tree: a label loop joined to a tree loop is
// turned into tree nodes (each edge once).
//
// A node needs only the two link words of the half-edge: "down" is its
// first child (left, else right), "up" its right sibling when it is a left
// child that has one, else its parent, or at the root its face; the low
// bits of "up" say which, or that it holds the face as a label (see
// sweep_loops.cpp).
#include <cstdint>

struct TessHalfEdge;
struct TessFace;

// An "up" word with both of its two lowest bits set, which no tree link
// has, holds the face as a label (faces are 8-aligned).
inline bool tess_loop_is_label(std::uintptr_t up)
{
    return (up & 3) == 3;
}

inline TessFace* tess_loop_label(std::uintptr_t up)
{
    return reinterpret_cast<TessFace*>(up & ~std::uintptr_t(7));
}

// The loops' own state in a mesh.
struct TessLoops {
    // Loops relabelled edge by edge up to this length; beyond it, trees.
    int labelLimit = 1024;
    // Tree steps (rotations, climbs) and tree nodes made so far: the work
    // the trees do, for tests that bound it.
    long treeSteps = 0;
};

// A new edge's two halves as one loop (e, then sym) with no face.
void tess_loop_make_pair(TessHalfEdge* e, TessHalfEdge* sym);

// The face of e's loop when that loop is a tree (a label is read as it
// stands: tess_loop_label).
TessFace* tess_loop_tree_face(TessLoops& loops, TessHalfEdge* e);
// Sets the face of e's whole loop.
void tess_loop_set_face(TessLoops& loops, TessHalfEdge* e, TessFace* f);

// Called just before the Onext rings of a and b are swapped (see
// tess_splice_rings): parts the loop through both in two, or joins their
// two loops into one. Both parts keep the loop's face; a joined loop takes
// the face of the two that is not null (a's when both are set).
void tess_loop_splice(TessLoops& loops, TessHalfEdge* a, TessHalfEdge* b);

// Puts a lone half-edge n (in no loop) into x's loop just after x, or just
// before it.
void tess_loop_insert_after(TessLoops& loops, TessHalfEdge* x, TessHalfEdge* n);
void tess_loop_insert_before(TessLoops& loops, TessHalfEdge* x, TessHalfEdge* n);
