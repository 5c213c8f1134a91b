#pragma once
// The sweep: vertices are taken in event order; between consecutive edges
// that cross the sweep line lie active regions, kept bottom to top in a
// dictionary, each with its winding number. At each event the edges ending
// there finish their regions, the edges starting there open new ones, edge
// crossings become new vertices, and the mesh gets the extra edges that make
// every inside face monotone in s. Afterwards each face knows whether it is
// inside under the winding rule.
#include "util/vectorengine/sweep_mesh.h"
#include "util/vectorengine/sweep_queue.h"

struct TessDictNode {
    TessRegion* key = nullptr;
    TessDictNode* next = nullptr;
    TessDictNode* prev = nullptr;
};

struct TessRegion {
    TessHalfEdge* eUp = nullptr; // upper edge, directed right to left
    TessDictNode* node = nullptr;
    int windingNumber = 0;
    bool inside = false;
    bool sentinel = false;
    bool dirty = false;        // the edge pair needs checking for crossings
    bool fixUpperEdge = false; // eUp is a temporary edge to be replaced
};

bool tess_winding_inside(int rule, int n);

struct TessBounds {
    double smin, smax, tmin, tmax;
};

class TessSweep {
public:
    TessSweep(const TessAllocator& allocator, TessMesh& mesh, int windingRule, int regionBucketSize,
              int dictBucketSize, int extraVertices);
    ~TessSweep();
    TessSweep(const TessSweep&) = delete;
    TessSweep& operator=(const TessSweep&) = delete;

    // Marks every face inside or outside; throws TessFailure on failure.
    void run(const TessBounds& bounds);

private:
    // dictionary
    bool edgeLeq(const TessRegion* r1, const TessRegion* r2) const;
    TessDictNode* dictInsertBefore(TessDictNode* node, TessRegion* key);
    TessDictNode* dictSearch(TessRegion* key);
    void dictDelete(TessDictNode* node);
    static TessRegion* regionBelow(const TessRegion* r) { return r->node->prev->key; }
    static TessRegion* regionAbove(const TessRegion* r) { return r->node->next->key; }

    // regions
    TessRegion* addRegionBelow(TessRegion* above, TessHalfEdge* eNewUp);
    void deleteRegion(TessRegion* r);
    void fixUpperEdge(TessRegion* r, TessHalfEdge* newEdge);
    void finishRegion(TessRegion* r);
    void computeWinding(TessRegion* r);
    TessRegion* topLeftRegion(TessRegion* r);
    TessRegion* topRightRegion(TessRegion* r);
    void addSentinel(double smin, double smax, double t);

    // events
    void removeDegenerateEdges();
    void removeDegenerateFaces();
    void mergeVertices(TessHalfEdge* e1, TessHalfEdge* e2);
    void sweepEvent(TessVertex* v);
    TessHalfEdge* finishLeftRegions(TessRegion* first, TessRegion* last);
    void addRightEdges(TessRegion* up, TessHalfEdge* eFirst, TessHalfEdge* eLast, TessHalfEdge* eTopLeft,
                       bool cleanUp);
    void walkDirtyRegions(TessRegion* up);
    bool checkForRightSplice(TessRegion* up);
    bool checkForLeftSplice(TessRegion* up);
    bool checkForIntersect(TessRegion* up);
    void connectRightVertex(TessRegion* up, TessHalfEdge* eBottomLeft);
    void connectLeftDegenerate(TessRegion* up, TessVertex* v);
    void connectLeftVertex(TessVertex* v);
    void intersectionData(TessVertex* isect, TessVertex* orgUp, TessVertex* dstUp, TessVertex* orgLo,
                          TessVertex* dstLo);
    void queueInsert(TessVertex* v);

    const TessAllocator& allocator;
    TessMesh& mesh;
    int windingRule;
    int extraVertices;
    TessBucket regions;
    TessBucket dictNodes;
    TessDictNode dictHead;
    TessEventQueue* queue = nullptr;
    TessVertex* event = nullptr;
};
