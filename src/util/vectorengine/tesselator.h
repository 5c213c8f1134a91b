#pragma once
// The fill driver: a path's flattened contours become convex polygons of at
// most six vertices (the parity rule decides what is inside). The sweep-line
// tessellator runs twice, first resolving overlaps into clean boundary
// contours, then cutting those into polygons; all its memory comes from one
// fixed arena that every call starts afresh.
#include <vector>

struct TessArena {
    unsigned char* base;
    int capacity;
    int used;
    int mark; // used right after the tessellator was made; calls reset to it
};

// points: three doubles per point; contourStarts: offsets in doubles. The
// outputs are replaced: three floats per polygon vertex, and per polygon the
// float offset of its first vertex. A path the tessellator cannot fill gets
// an empty fill (and a log line); the next call works as usual.
void tessellate_path(const std::vector<double>& points, const std::vector<unsigned>& contourStarts,
                     std::vector<float>& vertices, std::vector<unsigned>& polygonStarts);

// Bump allocation from the arena; null (and a diagnostic line) when the block
// does not fit.
void* tess_arena_alloc(void* arena, unsigned size);
// Grows a block by allocating anew and copying.
void* tess_arena_realloc(void* arena, void* pointer, unsigned size);
// Nothing comes back before the arena is reset.
void tess_arena_free(void* arena, void* pointer);
