#pragma once
// The fill driver: a path's flattened contours become convex polygons of at
// most six vertices (the parity rule decides what is inside). The sweep-line
// tessellator runs twice, first resolving overlaps into clean boundary
// contours, then cutting those into polygons; all its memory comes from one
// arena that every call starts afresh. The arena starts as one fixed block;
// a call that needs more adds blocks, which later calls use again, so once a
// path has been filled, paths of its size take nothing from the general heap.
#include <cstddef>
#include <memory>
#include <vector>

// Grown blocks are large, walked in no particular order: they come from the
// platform's large buffers (huge pages where the kernel gives them).
struct TessBlockDeleter {
    void operator()(unsigned char* block) const;
};

struct TessArenaBlock {
    std::unique_ptr<unsigned char[], TessBlockDeleter> base;
    std::size_t capacity;
};

struct TessArena {
    unsigned char* base; // the first block
    int capacity;
    int used;            // bytes handed out from the first block
    int mark;            // used right after the tessellator was made; calls reset to it
    // Most bytes all blocks together may hold; 0 keeps the arena to its first block.
    std::size_t limit = 0;
    // Blocks added when a call needed more than the first, kept for later calls.
    std::vector<TessArenaBlock> grown = {};
    std::size_t block = 0;     // the block handing out memory: 0 the first, k grown[k - 1]
    std::size_t grownUsed = 0; // bytes handed out from it when it is a grown one
};

// Starts handing out from the mark of the first block again; every block is
// kept.
void tess_arena_reset(TessArena& arena);

// points: three doubles per point; contourStarts: offsets in doubles. The
// outputs are replaced: three floats per polygon vertex, and per polygon the
// float offset of its first vertex. A path the tessellator cannot fill (one
// that needs more than the arena's limit) gets an empty fill (and a log
// line); the next call works as usual.
void tessellate_path(const std::vector<double>& points, const std::vector<unsigned>& contourStarts,
                     std::vector<float>& vertices, std::vector<unsigned>& polygonStarts);

// Bump allocation from the arena, adding a block (at least twice the size of
// the last) when the blocks in hand are full; null (and a diagnostic line)
// when the block does not fit within the arena's limit or memory runs out.
void* tess_arena_alloc(void* arena, unsigned size);
// Grows a block by allocating anew and copying.
void* tess_arena_realloc(void* arena, void* pointer, unsigned size);
// Nothing comes back before the arena is reset.
void tess_arena_free(void* arena, void* pointer);

// Sets the most the fill's arena may grow to (1 GB at start; 0 keeps it to
// its first megabyte) and returns the previous limit. Blocks already added
// are kept.
std::size_t tess_set_arena_limit(std::size_t bytes);
