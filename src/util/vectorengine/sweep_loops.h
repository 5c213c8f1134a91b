#pragma once
// Which face a half-edge bounds, kept per face loop rather than per edge:
// the half-edges of each Lnext loop are the nodes of one splay tree, in loop
// order from some edge, and the loop's face is held at the tree's root. So
// joining two loops or parting one costs a few splays, however long the
// loops are, where relabelling every edge would cost their length.
//
// A node needs only the two link words of the half-edge: "down" is its
// first child (left, else right), "up" its right sibling when it is a left
// child that has one, else its parent, or at the root its face; the low
// bits of "up" say which (see sweep_loops.cpp).
struct TessHalfEdge;
struct TessFace;

// A new edge's two halves as one loop (e, then sym) with no face.
void tess_loop_make_pair(TessHalfEdge* e, TessHalfEdge* sym);

TessFace* tess_loop_face(TessHalfEdge* e);
// Sets the face of e's whole loop.
void tess_loop_set_face(TessHalfEdge* e, TessFace* f);

// Called just before the Onext rings of a and b are swapped (see
// tess_splice_rings): parts the loop through both in two, or joins their
// two loops into one. Both parts keep the loop's face; a joined loop takes
// the face of the two that is not null (a's when both are set).
void tess_loop_splice(TessHalfEdge* a, TessHalfEdge* b);

// Puts a lone half-edge n (in no loop) into x's loop just after x, or just
// before it.
void tess_loop_insert_after(TessHalfEdge* x, TessHalfEdge* n);
void tess_loop_insert_before(TessHalfEdge* x, TessHalfEdge* n);
