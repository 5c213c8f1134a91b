// The half-edge mesh keeps each loop's face as a label on its edges or, for
// a long loop, in a tree over them (sweep_loops). After any sequence of mesh operations, every edge of an
// Lnext loop must name the same face, no two loops the same one, and the
// face list must hold exactly the faces of the loops, each with an edge of
// its own loop.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "util/vectorengine/sweep_mesh.h"

namespace {

TessAllocator heap_allocator()
{
    TessAllocator a = {};
    a.allocate = [](void*, unsigned size) { return std::malloc(size); };
    a.free = [](void*, void* p) { std::free(p); };
    return a;
}

std::vector<TessHalfEdge*> half_edges(TessMesh& mesh)
{
    std::vector<TessHalfEdge*> all;
    for (TessEdgePair* p = mesh.eHead.next; p != &mesh.eHead; p = p->next) {
        all.push_back(&p->e);
        all.push_back(&p->sym);
    }
    return all;
}

// Empty when the faces agree with the loops, else what is wrong.
std::string check_faces(TessMesh& mesh)
{
    std::set<TessHalfEdge*> seen;
    std::map<TessFace*, TessHalfEdge*> loopOf;
    for (TessHalfEdge* start : half_edges(mesh)) {
        if (seen.count(start))
            continue;
        TessFace* face = mesh.Lface(start);
        TessHalfEdge* e = start;
        do {
            seen.insert(e);
            if (mesh.Lface(e) != face)
                return "a loop names two faces";
            if (e->pair()->e.Sym != &e->pair()->sym || (e != &e->pair()->e && e != &e->pair()->sym))
                return "an edge's pair is wrong";
            e = e->Lnext;
        } while (e != start);
        if (!loopOf.emplace(face, start).second)
            return "two loops name one face";
    }
    std::size_t listed = 0;
    for (TessFace* f = mesh.fHead.next; f != &mesh.fHead; f = f->next) {
        listed++;
        if (!loopOf.count(f))
            return "a listed face has no loop";
        if (mesh.Lface(f->anEdge) != f)
            return "a face's edge lies in another loop";
    }
    if (listed != loopOf.size())
        return "a loop's face is not listed";
    return "";
}

}

// Random sequences of every mesh operation, checked after each step: with
// the usual label limit (labels only, at these sizes), with none (trees
// only) and with a small one (labels and trees side by side, loops turning
// into trees as they grow).
TEST(SweepMesh, LoopFacesFollowEveryOperation)
{
    const TessAllocator allocator = heap_allocator();
    for (const int limit : {TessLoops().labelLimit, 0, 3}) {
        for (std::uint32_t seed = 1; seed <= 20; seed++) {
            SCOPED_TRACE("label limit " + std::to_string(limit));
            std::mt19937 rng(seed);
            TessMesh mesh(allocator, 16, 16, 16, limit);
            auto pick = [&]() {
                const std::vector<TessHalfEdge*> all = half_edges(mesh);
                return all[rng() % all.size()];
            };
            for (int i = 0; i < 4; i++)
                mesh.makeEdge();
            for (int step = 0; step < 400; step++) {
                const std::size_t edges = half_edges(mesh).size() / 2;
                const unsigned op = rng() % 6;
                std::string name;
                if (op == 0 || edges < 3) {
                    mesh.makeEdge();
                    name = "makeEdge";
                } else if (op == 1) {
                    TessHalfEdge* a = pick();
                    TessHalfEdge* b = pick();
                    mesh.splice(a, b);
                    name = "splice";
                } else if (op == 2) {
                    mesh.connect(pick(), pick());
                    name = "connect";
                } else if (op == 3) {
                    mesh.splitEdge(pick());
                    name = "splitEdge";
                } else if (op == 4) {
                    mesh.addEdgeVertex(pick());
                    name = "addEdgeVertex";
                } else {
                    mesh.deleteEdge(pick());
                    name = "deleteEdge";
                }
                const std::string problem = check_faces(mesh);
                ASSERT_EQ("", problem) << "seed " << seed << ", step " << step << ": " << name;
            }
            // Take everything apart again.
            while (mesh.eHead.next != &mesh.eHead) {
                mesh.deleteEdge(&mesh.eHead.next->e);
                ASSERT_EQ("", check_faces(mesh)) << "seed " << seed << " while deleting";
            }
            EXPECT_EQ(&mesh.fHead, mesh.fHead.next);
        }
    }
}
