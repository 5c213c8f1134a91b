#include "util/vectorengine/sweep_loops.h"

#include <cstdint>

#include "util/vectorengine/sweep_mesh.h"

namespace {

// Bits of a node's "up" word (nodes and faces are at least 8-aligned).
const std::uintptr_t kRoot = 1;    // up holds the loop's face
const std::uintptr_t kToParent = 2; // up holds the parent (else the right sibling)
const std::uintptr_t kLeft = 4;    // the node is a left child
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

void rotate(Node* x)
{
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

void splay(Node* x)
{
    while (!is_root(x)) {
        Node* p = parent(x);
        if (is_root(p)) {
            rotate(x);
            return;
        }
        if (is_left(x) == is_left(p))
            rotate(p);
        else
            rotate(x);
        rotate(x);
    }
}

Node* last(Node* n)
{
    while (Node* r = right(n))
        n = r;
    return n;
}

// Appends the loop sequence rooted at b to the one rooted at a; returns the
// new root, which keeps a's face.
Node* concat(Node* a, Node* b)
{
    Node* m = last(a);
    splay(m);
    set_children(m, left(m), b);
    return m;
}

// Rotates x's loop sequence to start at x; returns the root (x).
Node* start_at(Node* x)
{
    splay(x);
    Node* l = left(x);
    if (!l)
        return x;
    set_children(x, nullptr, right(x));
    set_root(l, nullptr);
    return concat(x, l);
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

}

void tess_loop_make_pair(TessHalfEdge* e, TessHalfEdge* sym)
{
    make_single(e);
    make_single(sym);
    set_children(e, nullptr, sym);
    set_root(e, nullptr);
}

TessFace* tess_loop_face(TessHalfEdge* e)
{
    // A node near the root answers without changing the tree; a deep one is
    // splayed, which keeps later lookups short.
    const Node* n = e;
    for (int depth = 0; depth < kShallow; depth++) {
        if (is_root(n))
            return root_face(n);
        n = parent(n);
    }
    splay(e);
    return root_face(e);
}

void tess_loop_set_face(TessHalfEdge* e, TessFace* f)
{
    splay(e);
    set_root(e, f);
}

void tess_loop_splice(TessHalfEdge* a, TessHalfEdge* b)
{
    if (a == b)
        return;
    // x1 and x2 are the edges whose Lnext the ring swap exchanges: before
    // it x1 -> a and x2 -> b, after it x1 -> b and x2 -> a.
    Node* x2 = loop_prev(b);
    splay(a);
    splay(b);
    const bool sameLoop = !is_root(a);
    if (sameLoop) {
        // a ... x2 b ... x1 becomes the loops a ... x2 and b ... x1.
        TessFace* face = tess_loop_face(a);
        start_at(a);
        splay(x2);
        Node* rest = right(x2);
        set_children(x2, left(x2), nullptr);
        set_root(rest, face);
        return;
    }
    // a ... x1 and b ... x2 become the loop a ... x1 b ... x2.
    TessFace* fa = root_face(a);
    TessFace* fb = root_face(b);
    Node* ra = start_at(a);
    Node* rb = start_at(b);
    Node* joined = concat(ra, rb);
    set_root(joined, fa ? fa : fb);
}

void tess_loop_insert_after(TessHalfEdge* x, TessHalfEdge* n)
{
    splay(x);
    Node* l = left(x);
    Node* r = right(x);
    make_single(n);
    set_children(n, nullptr, r);
    set_children(x, l, n);
}

void tess_loop_insert_before(TessHalfEdge* x, TessHalfEdge* n)
{
    splay(x);
    Node* l = left(x);
    Node* r = right(x);
    make_single(n);
    set_children(n, l, nullptr);
    set_children(x, n, r);
}
