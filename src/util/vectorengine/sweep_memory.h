#pragma once
// Memory for the sweep-line tessellator: every allocation goes through the
// caller's allocator record; a failed one throws TessFailure, which the
// tessellation catches to report failure. The blocks handed out are aligned
// for any type (the mesh keeps tag bits in the low bits of its pointers),
// whatever the alignment of the allocator's own.
#include <cstddef>
#include <new>
#include <utility>

#include "util/vectorengine/sweep_tessellator.h"

struct TessFailure {};

void* tess_alloc(const TessAllocator& allocator, unsigned size);
// A block of tess_alloc grown (or shrunk) through the allocator's
// reallocate function, which must be set; null when that fails, the block
// then staying as it was.
void* tess_realloc(const TessAllocator& allocator, void* pointer, unsigned size);
void tess_free(const TessAllocator& allocator, void* pointer);

template <class T, class... Args>
T* tess_new(const TessAllocator& allocator, Args&&... args)
{
    void* memory = tess_alloc(allocator, sizeof(T));
    try {
        return new (memory) T(std::forward<Args>(args)...);
    } catch (...) {
        tess_free(allocator, memory);
        throw;
    }
}

template <class T>
void tess_delete(const TessAllocator& allocator, T* object)
{
    if (!object)
        return;
    object->~T();
    tess_free(allocator, object);
}

// Fixed-size items handed out from blocks of bucketSize items; freed items go
// to a free list, blocks go back only when the bucket is released. A new
// block is taken when no more than one item is left to hand out.
class TessBucket {
public:
    TessBucket(const TessAllocator& allocator, unsigned itemSize, int bucketSize);
    ~TessBucket();
    TessBucket(const TessBucket&) = delete;
    TessBucket& operator=(const TessBucket&) = delete;

    void* alloc();
    void free(void* item);
    int bucket_size() const { return bucketSize; }

    template <class T>
    T* make()
    {
        return new (alloc()) T();
    }

private:
    struct FreeItem {
        FreeItem* next;
    };
    struct Block {
        Block* next;
    };

    void add_block();

    const TessAllocator& allocator;
    unsigned itemSize;
    int bucketSize;
    FreeItem* freeList = nullptr;
    // Items of the newest block not yet handed out, taken in order after the
    // free list is empty (so a new block is not written through at once).
    char* fresh = nullptr;
    char* freshEnd = nullptr;
    Block* blocks = nullptr;
};

// Clamps a bucket size (0 meaning the default) to 16..4096.
int tess_bucket_size(int requested, int defaultSize);
