#include "util/vectorengine/sweep_loops.h"

#include <cstdint>

#include "util/vectorengine/sweep_mesh.h"

namespace {

// Bits of a node's "up" word (nodes and faces are at least 8-aligned). A
// label holds both kRoot and kToParent, which no tree node does (see
// tess_loop_is_label).
const std::uintptr_t kRoot = 1;    // up holds the loop's face
const std::uintptr_t kToParent = 2; // up holds the parent (else the right sibling)
const std::uintptr_t kLeft = 4;    // the node is a left child
const std::uintptr_t kLabel = kRoot | kToParent;
const std::uintptr_t kBits = 7;
// Depth up to which a face lookup only climbs.
const int kShallow = 8;

using Node = TessHalfEdge;

Node* pointer(std::uintptr_t word)
{
    return reinterpret_cast<Node*>(word & ~kBits);
}

std::uintptr_t word(const void* p)
{
    return reinterpret_cast<std::uintptr_t>(p);
}

bool is_root(const Node* n)
{
    return (n->loopUp & kRoot) != 0;
}

bool is_left(const Node* n)
{
    return (n->loopUp & kLeft) != 0;
}

TessFace* root_face(const Node* n)
{
    return reinterpret_cast<TessFace*>(n->loopUp & ~kBits);
}

void set_root(Node* n, TessFace* f)
{
    n->loopUp = word(f) | kRoot;
}

Node* parent(const Node* n)
{
    if (n->loopUp & kToParent)
        return pointer(n->loopUp);
    return pointer(pointer(n->loopUp)->loopUp); // through the right sibling
}

Node* left(const Node* n)
{
    Node* c = n->loopDown;
    return c && is_left(c) ? c : nullptr;
}

Node* right(const Node* n)
{
    Node* c = n->loopDown;
    if (!c || !is_left(c))
        return c;
    return (c->loopUp & kToParent) ? nullptr : pointer(c->loopUp);
}

// Makes l and r the children of n (either may be null); their own children
// stay.
void set_children(Node* n, Node* l, Node* r)
{
    n->loopDown = l ? l : r;
    if (l)
        l->loopUp = (r ? word(r) : word(n) | kToParent) | kLeft;
    if (r)
        r->loopUp = word(n) | kToParent;
}

void rotate(TessLoops& loops, Node* x)
{
    loops.treeSteps++;
    Node* p = parent(x);
    const bool pRoot = is_root(p);
    TessFace* face = pRoot ? root_face(p) : nullptr;
    Node* g = pRoot ? nullptr : parent(p);
    const bool pLeft = !pRoot && is_left(p);
    Node* gl = g ? left(g) : nullptr;
    Node* gr = g ? right(g) : nullptr;
    Node* pl = left(p);
    Node* pr = right(p);
    Node* xl = left(x);
    Node* xr = right(x);
    if (x == pl) {
        set_children(p, xr, pr);
        set_children(x, xl, p);
    } else {
        set_children(p, pl, xl);
        set_children(x, p, xr);
    }
    if (pRoot)
        set_root(x, face);
    else if (pLeft)
        set_children(g, x, gr);
    else
        set_children(g, gl, x);
}

void splay(TessLoops& loops, Node* x)
{
    while (!is_root(x)) {
        Node* p = parent(x);
        if (is_root(p)) {
            rotate(loops, x);
            return;
        }
        if (is_left(x) == is_left(p))
            rotate(loops, p);
        else
            rotate(loops, x);
        rotate(loops, x);
    }
}

Node* last(TessLoops& loops, Node* n)
{
    while (Node* r = right(n)) {
        loops.treeSteps++;
        n = r;
    }
    return n;
}

// Appends the loop sequence rooted at b to the one rooted at a; returns the
// new root, which keeps a's face.
Node* concat(TessLoops& loops, Node* a, Node* b)
{
    Node* m = last(loops, a);
    splay(loops, m);
    set_children(m, left(m), b);
    return m;
}

// Rotates x's loop sequence to start at x; returns the root (x).
Node* start_at(TessLoops& loops, Node* x)
{
    splay(loops, x);
    Node* l = left(x);
    if (!l)
        return x;
    set_children(x, nullptr, right(x));
    set_root(l, nullptr);
    return concat(loops, x, l);
}

// The node just before x in its loop.
Node* loop_prev(const Node* x)
{
    return x->Onext->Sym;
}

void make_single(Node* n)
{
    n->loopDown = nullptr;
}

bool is_label(const Node* n)
{
    return tess_loop_is_label(n->loopUp);
}

void set_label(Node* n, TessFace* f)
{
    n->loopUp = word(f) | kLabel;
}

// Relabels the loop from e on; false (with only part of it relabelled) when
// it is longer than the label limit.
bool relabel(const TessLoops& loops, Node* e, TessFace* f)
{
    Node* n = e;
    for (int count = 0; count < loops.labelLimit; count++) {
        set_label(n, f);
        n = n->Lnext;
        if (n == e)
            return true;
    }
    return false;
}

// The tree over the next count nodes of a loop from *next on, balanced;
// *next moves past them.
Node* build(TessLoops& loops, Node** next, long count)
{
    if (count == 0)
        return nullptr;
    Node* l = build(loops, next, count / 2);
    Node* root = *next;
    *next = root->Lnext;
    Node* r = build(loops, next, count - count / 2 - 1);
    set_children(root, l, r);
    loops.treeSteps++;
    return root;
}

// Turns e's labelled loop into a tree with face f.
void make_tree(TessLoops& loops, Node* e, TessFace* f)
{
    long count = 0;
    const Node* n = e;
    do {
        count++;
        n = n->Lnext;
    } while (n != e);
    Node* next = e;
    set_root(build(loops, &next, count), f);
}

}

void tess_loop_make_pair(TessHalfEdge* e, TessHalfEdge* sym)
{
    set_label(e, nullptr);
    set_label(sym, nullptr);
}

TessFace* tess_loop_tree_face(TessLoops& loops, TessHalfEdge* e)
{
    // A node near the root answers without changing the tree; a deep one is
    // splayed, which keeps later lookups short.
    const Node* n = e;
    for (int depth = 0; depth < kShallow; depth++) {
        if (is_root(n))
            return root_face(n);
        loops.treeSteps++;
        n = parent(n);
    }
    splay(loops, e);
    return root_face(e);
}

void tess_loop_set_face(TessLoops& loops, TessHalfEdge* e, TessFace* f)
{
    if (is_label(e)) {
        if (!relabel(loops, e, f))
            make_tree(loops, e, f);
        return;
    }
    splay(loops, e);
    set_root(e, f);
}

void tess_loop_splice(TessLoops& loops, TessHalfEdge* a, TessHalfEdge* b)
{
    if (a == b)
        return;
    if (is_label(a) && is_label(b)) {
        // Two labelled loops with one face need nothing, parted or joined;
        // with two faces they are two loops, and one is relabelled.
        TessFace* fa = root_face(a);
        TessFace* fb = root_face(b);
        if (fa == fb)
            return;
        Node* other = fa ? b : a;
        TessFace* face = fa ? fa : fb;
        if (relabel(loops, other, face))
            return;
        make_tree(loops, a, face);
        make_tree(loops, b, face);
    } else if (is_label(a)) {
        // A labelled loop and a tree loop are two loops: the joined one is a
        // tree.
        make_tree(loops, a, root_face(a));
    } else if (is_label(b)) {
        make_tree(loops, b, root_face(b));
    }
    // x1 and x2 are the edges whose Lnext the ring swap exchanges: before
    // it x1 -> a and x2 -> b, after it x1 -> b and x2 -> a.
    Node* x2 = loop_prev(b);
    splay(loops, a);
    splay(loops, b);
    const bool sameLoop = !is_root(a);
    if (sameLoop) {
        // a ... x2 b ... x1 becomes the loops a ... x2 and b ... x1.
        TessFace* face = tess_loop_tree_face(loops, a);
        start_at(loops, a);
        splay(loops, x2);
        Node* rest = right(x2);
        set_children(x2, left(x2), nullptr);
        set_root(rest, face);
        return;
    }
    // a ... x1 and b ... x2 become the loop a ... x1 b ... x2.
    TessFace* fa = root_face(a);
    TessFace* fb = root_face(b);
    Node* ra = start_at(loops, a);
    Node* rb = start_at(loops, b);
    Node* joined = concat(loops, ra, rb);
    set_root(joined, fa ? fa : fb);
}

void tess_loop_insert_after(TessLoops& loops, TessHalfEdge* x, TessHalfEdge* n)
{
    if (is_label(x)) {
        n->loopUp = x->loopUp;
        return;
    }
    splay(loops, x);
    Node* l = left(x);
    Node* r = right(x);
    make_single(n);
    set_children(n, nullptr, r);
    set_children(x, l, n);
}

void tess_loop_insert_before(TessLoops& loops, TessHalfEdge* x, TessHalfEdge* n)
{
    if (is_label(x)) {
        n->loopUp = x->loopUp;
        return;
    }
    splay(loops, x);
    Node* l = left(x);
    Node* r = right(x);
    make_single(n);
    set_children(n, l, nullptr);
    set_children(x, n, r);
}
