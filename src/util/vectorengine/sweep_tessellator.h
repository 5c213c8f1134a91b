#pragma once
// Sweep-line polygon tessellator. Contours of 2D or 3D points go in; a sweep
// over a half-edge mesh computes their planar arrangement, a winding rule
// decides which regions are inside, and out come either the boundary contours
// of the inside or the inside cut into convex polygons of at most a given
// number of vertices. All memory comes from the caller's allocator.

struct TessAllocator {
    void* (*allocate)(void* userData, unsigned size);
    // Only the event queue grows; without this function it cannot.
    void* (*reallocate)(void* userData, void* pointer, unsigned size);
    void (*free)(void* userData, void* pointer);
    void* userData;
    int meshEdgeBucketSize;   // 0 means 512
    int meshVertexBucketSize; // 0 means 512
    int meshFaceBucketSize;   // 0 means 256
    int dictNodeBucketSize;   // 0 means 512
    int regionBucketSize;     // 0 means 256
    int extraVertices;        // room in the event queue for vertices made during the sweep
};

enum TessWindingRule {
    TESS_WINDING_ODD = 0,
    TESS_WINDING_NONZERO = 1,
    TESS_WINDING_POSITIVE = 2,
    TESS_WINDING_NEGATIVE = 3,
    TESS_WINDING_ABS_GEQ_TWO = 4,
};

enum TessElementType {
    TESS_POLYGONS = 0,
    TESS_CONNECTED_POLYGONS = 1,
    TESS_BOUNDARY_CONTOURS = 2,
};

struct Tessellator;

// Null allocator: malloc, realloc and free with default sizes. Returns null
// when the tessellator itself cannot be allocated.
Tessellator* tessellator_create(const TessAllocator* allocator);
// Returns everything the tessellator holds to its allocator.
void tessellator_delete(Tessellator* tess);

// Adds one closed contour; its left side has winding +1. size is 2 or 3
// coordinates per vertex, stride the bytes from one vertex to the next. A
// contour with a non-finite coordinate is left out whole.
void tessellator_add_contour(Tessellator* tess, int size, const void* pointer, int stride, int count);

// Tessellates every contour added since the previous call. Returns 1 on
// success; 0 when no contour was added or the work failed (memory, queue),
// and then every result is empty. The contours are consumed either way.
int tessellator_tessellate(Tessellator* tess, int windingRule, int elementType, int polySize, int vertexSize,
                           const float* normal);

// Results of the last tessellation, valid until the next one.
const float* tessellator_get_vertices(const Tessellator* tess);
const int* tessellator_get_vertex_indices(const Tessellator* tess);
int tessellator_get_vertex_count(const Tessellator* tess);
const int* tessellator_get_elements(const Tessellator* tess);
int tessellator_get_element_count(const Tessellator* tess);

// The steps the mesh's loop trees took in the last tessellation, its
// contours' adding included (for tests).
long tessellator_get_loop_tree_steps(const Tessellator* tess);

// The bucket sizes in effect after defaults and clamping (for tests).
void tessellator_get_bucket_sizes(const Tessellator* tess, int sizes[5]);
