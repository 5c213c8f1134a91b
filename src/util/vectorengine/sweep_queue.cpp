#include "util/vectorengine/sweep_queue.h"

#include <array>
#include <climits>
#include <utility>

#include "util/vectorengine/sweep_geometry.h"

namespace {

const unsigned kSortSeed = 2016473283u;
const unsigned kSortMultiplier = 1539415821u;
const int kInsertionSortRange = 10;

// Descending order: a goes before b when it comes strictly later as an event.
bool goes_before(TessVertex** a, TessVertex** b)
{
    return !tess_vert_leq(*a, *b);
}

void insertion_sort(TessVertex*** order, int lo, int hi)
{
    for (int i = lo + 1; i <= hi; i++) {
        TessVertex** item = order[i];
        int j = i;
        while (j > lo && goes_before(item, order[j - 1])) {
            order[j] = order[j - 1];
            j--;
        }
        order[j] = item;
    }
}

unsigned bytes(std::size_t count, std::size_t size)
{
    const std::size_t total = count * size;
    if (total > UINT_MAX)
        throw TessFailure();
    return static_cast<unsigned>(total);
}

}

TessEventQueue::TessEventQueue(const TessAllocator& allocator_, int size)
    : allocator(allocator_), sortedCapacity(size), heapCapacity(size)
{
    try {
        keys = static_cast<TessVertex**>(tess_alloc(allocator, bytes(sortedCapacity + 1, sizeof(TessVertex*))));
        nodes = static_cast<int*>(tess_alloc(allocator, bytes(heapCapacity + 1, sizeof(int))));
        entries = static_cast<HeapEntry*>(tess_alloc(allocator, bytes(heapCapacity + 1, sizeof(HeapEntry))));
    } catch (const TessFailure&) {
        tess_free(allocator, keys);
        tess_free(allocator, nodes);
        throw;
    }
    nodes[1] = 1;
    entries[1].key = nullptr;
}

TessEventQueue::~TessEventQueue()
{
    tess_free(allocator, keys);
    tess_free(allocator, order);
    tess_free(allocator, nodes);
    tess_free(allocator, entries);
}

int TessEventQueue::add_sorted(TessVertex* v)
{
    if (sortedSize >= sortedCapacity)
        throw TessFailure();
    keys[sortedSize] = v;
    return -(++sortedSize);
}

void TessEventQueue::sort()
{
    order = static_cast<TessVertex***>(tess_alloc(allocator, bytes(sortedSize + 1, sizeof(TessVertex**))));
    for (int i = 0; i < sortedSize; i++)
        order[i] = &keys[i];

    unsigned seed = kSortSeed;
    // Ranges left for later. Each pushed range is the larger side of a split
    // while the loop goes on with the smaller, so at most one range per
    // halving waits: 32 for any int-sized array.
    std::array<std::pair<int, int>, 32> ranges;
    std::size_t pending = 0;
    if (sortedSize > 1)
        ranges[pending++] = {0, sortedSize - 1};
    while (pending > 0) {
        auto [lo, hi] = ranges[--pending];
        while (hi - lo > kInsertionSortRange) {
            seed = seed * kSortMultiplier + 1;
            const int pick = lo + static_cast<int>(seed % static_cast<unsigned>(hi - lo + 1));
            std::swap(order[lo], order[pick]);
            TessVertex** pivot = order[lo];
            int i = lo;
            int j = hi + 1;
            for (;;) {
                do {
                    i++;
                } while (i <= hi && goes_before(order[i], pivot));
                do {
                    j--;
                } while (goes_before(pivot, order[j]));
                if (i >= j)
                    break;
                std::swap(order[i], order[j]);
            }
            std::swap(order[lo], order[j]);
            // Keep the smaller side for this loop, the larger for later.
            if (j - lo < hi - j) {
                ranges[pending++] = {j + 1, hi};
                hi = j - 1;
            } else {
                ranges[pending++] = {lo, j - 1};
                lo = j + 1;
            }
        }
        insertion_sort(order, lo, hi);
    }
}

bool TessEventQueue::grow()
{
    if (!allocator.reallocate)
        return false;
    const int capacity = heapCapacity * 2;
    void* newNodes = tess_realloc(allocator, nodes, bytes(capacity + 1, sizeof(int)));
    if (!newNodes)
        throw TessFailure();
    nodes = static_cast<int*>(newNodes);
    void* newEntries = tess_realloc(allocator, entries, bytes(capacity + 1, sizeof(HeapEntry)));
    if (!newEntries)
        throw TessFailure();
    entries = static_cast<HeapEntry*>(newEntries);
    heapCapacity = capacity;
    return true;
}

int TessEventQueue::insert(TessVertex* v)
{
    if (heapSize + 1 > heapCapacity && !grow())
        return kInvalidHandle;
    const int position = ++heapSize;
    int handle;
    if (freeEntry) {
        handle = freeEntry;
        freeEntry = entries[handle].node;
    } else {
        handle = position;
    }
    nodes[position] = handle;
    entries[handle].key = v;
    entries[handle].node = position;
    float_up(position);
    return handle;
}

void TessEventQueue::float_up(int position)
{
    const int handle = nodes[position];
    while (position > 1) {
        const int parent = position / 2;
        const int parentHandle = nodes[parent];
        if (tess_vert_leq(entries[parentHandle].key, entries[handle].key))
            break;
        nodes[position] = parentHandle;
        entries[parentHandle].node = position;
        position = parent;
    }
    nodes[position] = handle;
    entries[handle].node = position;
}

void TessEventQueue::float_down(int position)
{
    const int handle = nodes[position];
    for (;;) {
        int child = position * 2;
        if (child > heapSize)
            break;
        if (child < heapSize && tess_vert_leq(entries[nodes[child + 1]].key, entries[nodes[child]].key))
            child++;
        if (tess_vert_leq(entries[handle].key, entries[nodes[child]].key))
            break;
        nodes[position] = nodes[child];
        entries[nodes[position]].node = position;
        position = child;
    }
    nodes[position] = handle;
    entries[handle].node = position;
}

TessVertex* TessEventQueue::heap_extract()
{
    const int handle = nodes[1];
    TessVertex* key = entries[handle].key;
    heap_remove(handle);
    return key;
}

void TessEventQueue::heap_remove(int handle)
{
    const int position = entries[handle].node;
    const int last = nodes[heapSize];
    heapSize--;
    if (position <= heapSize) {
        nodes[position] = last;
        entries[last].node = position;
        if (position > 1 && !tess_vert_leq(entries[nodes[position / 2]].key, entries[last].key))
            float_up(position);
        else
            float_down(position);
    }
    entries[handle].key = nullptr;
    entries[handle].node = freeEntry;
    freeEntry = handle;
}

TessVertex* TessEventQueue::minimum()
{
    while (sortedSize > 0 && *order[sortedSize - 1] == nullptr)
        sortedSize--;
    TessVertex* sortedMin = sortedSize > 0 ? *order[sortedSize - 1] : nullptr;
    TessVertex* heapMin = heap_min();
    if (!sortedMin)
        return heapMin;
    if (heapMin && tess_vert_leq(heapMin, sortedMin))
        return heapMin;
    return sortedMin;
}

TessVertex* TessEventQueue::extract_min()
{
    TessVertex* v = minimum();
    if (!v)
        return nullptr;
    if (heapSize > 0 && entries[nodes[1]].key == v)
        return heap_extract();
    *order[sortedSize - 1] = nullptr;
    sortedSize--;
    return v;
}

void TessEventQueue::remove(int handle)
{
    if (handle >= 0) {
        heap_remove(handle);
        return;
    }
    keys[-handle - 1] = nullptr;
}
