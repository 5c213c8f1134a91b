#include "util/vectorengine/sweep_memory.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

namespace {

// The allocator may hand out blocks of any alignment: each is asked for
// kAlign bytes more than it holds and used from the first aligned address
// past its start, the byte just before saying how far that is.
const unsigned kAlign = alignof(std::max_align_t);

unsigned char* aligned_start(void* block)
{
    auto* p = static_cast<unsigned char*>(block);
    const auto offset = static_cast<unsigned char>(kAlign - reinterpret_cast<std::uintptr_t>(p) % kAlign);
    p[offset - 1] = offset;
    return p + offset;
}

unsigned char* block_start(void* pointer)
{
    auto* p = static_cast<unsigned char*>(pointer);
    return p - p[-1];
}

}

void* tess_alloc(const TessAllocator& allocator, unsigned size)
{
    if (size > UINT_MAX - kAlign)
        throw TessFailure();
    void* p = allocator.allocate(allocator.userData, size + kAlign);
    if (!p)
        throw TessFailure();
    return aligned_start(p);
}

void* tess_realloc(const TessAllocator& allocator, void* pointer, unsigned size)
{
    if (size > UINT_MAX - kAlign)
        return nullptr;
    const unsigned char oldOffset = static_cast<unsigned char*>(pointer)[-1];
    auto* p = static_cast<unsigned char*>(allocator.reallocate(allocator.userData, block_start(pointer), size + kAlign));
    if (!p)
        return nullptr;
    // The contents moved with the block, which may start at another
    // distance from an aligned address.
    const unsigned offset = kAlign - reinterpret_cast<std::uintptr_t>(p) % kAlign;
    if (offset != oldOffset)
        std::memmove(p + offset, p + oldOffset, size);
    return aligned_start(p);
}

void tess_free(const TessAllocator& allocator, void* pointer)
{
    if (pointer)
        allocator.free(allocator.userData, block_start(pointer));
}

int tess_bucket_size(int requested, int defaultSize)
{
    const int size = requested == 0 ? defaultSize : requested;
    return std::clamp(size, 16, 4096);
}

TessBucket::TessBucket(const TessAllocator& allocator_, unsigned itemSize_, int bucketSize_)
    : allocator(allocator_), itemSize(std::max<unsigned>(itemSize_, sizeof(FreeItem))), bucketSize(bucketSize_)
{
    itemSize = (itemSize + alignof(std::max_align_t) - 1) / alignof(std::max_align_t) * alignof(std::max_align_t);
}

TessBucket::~TessBucket()
{
    while (blocks) {
        Block* next = blocks->next;
        tess_free(allocator, blocks);
        blocks = next;
    }
}

void TessBucket::add_block()
{
    const unsigned header = alignof(std::max_align_t);
    auto* raw = static_cast<char*>(tess_alloc(allocator, header + itemSize * static_cast<unsigned>(bucketSize)));
    Block* block = reinterpret_cast<Block*>(raw);
    block->next = blocks;
    blocks = block;
    // An item still untaken in the previous block waits on the free list.
    while (fresh != freshEnd) {
        free(fresh);
        fresh += itemSize;
    }
    fresh = raw + header;
    freshEnd = fresh + static_cast<std::size_t>(itemSize) * static_cast<unsigned>(bucketSize);
}

void* TessBucket::alloc()
{
    // A new block is made while no more than one item is left.
    const std::size_t freshItems = static_cast<std::size_t>(freshEnd - fresh) / itemSize;
    if (freshItems + (freeList ? 1 : 0) + (freeList && freeList->next ? 1 : 0) < 2)
        add_block();
    if (FreeItem* item = freeList) {
        freeList = item->next;
        return item;
    }
    void* item = fresh;
    fresh += itemSize;
    return item;
}

void TessBucket::free(void* item)
{
    auto* f = static_cast<FreeItem*>(item);
    f->next = freeList;
    freeList = f;
}
