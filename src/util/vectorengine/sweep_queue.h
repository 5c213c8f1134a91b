#pragma once
// The sweep's event queue: the input vertices sorted once into an array
// (largest first, so the next event sits at the end), plus a binary heap for
// the vertices the sweep creates at edge crossings. Handles of heap entries
// are >= 0, of array entries < 0.
#include "util/vectorengine/sweep_mesh.h"

class TessEventQueue {
public:
    static const int kInvalidHandle = 0x0FFFFFFF;

    // Room for size vertices in each part; the heap grows only through the
    // allocator's reallocate function.
    TessEventQueue(const TessAllocator& allocator, int size);
    ~TessEventQueue();
    TessEventQueue(const TessEventQueue&) = delete;
    TessEventQueue& operator=(const TessEventQueue&) = delete;

    // Before sort(): adds an input vertex to the array part.
    int add_sorted(TessVertex* v);
    // Sorts the array part with a seeded randomised quicksort.
    void sort();
    // After sort(): adds a vertex to the heap part; kInvalidHandle when full.
    int insert(TessVertex* v);
    TessVertex* minimum();
    TessVertex* extract_min();
    void remove(int handle);

private:
    struct HeapEntry {
        TessVertex* key;
        int node; // position in nodes, or the next free entry
    };

    bool grow();
    void float_up(int position);
    void float_down(int position);
    TessVertex* heap_min() const { return heapSize > 0 ? entries[nodes[1]].key : nullptr; }
    TessVertex* heap_extract();
    void heap_remove(int handle);

    const TessAllocator& allocator;
    // array part
    TessVertex** keys = nullptr;
    TessVertex*** order = nullptr;
    int sortedSize = 0;
    int sortedCapacity;
    // heap part
    int* nodes = nullptr;
    HeapEntry* entries = nullptr;
    int heapSize = 0;
    int heapCapacity;
    int freeEntry = 0;
};
