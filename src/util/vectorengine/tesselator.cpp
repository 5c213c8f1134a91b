#include "util/vectorengine/tesselator.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <utility>

#include "platform/large_buffer.h"
#include "system/fatal_error.h"
#include "system/log_message.h"
#include "util/vectorengine/sweep_tessellator.h"

namespace {

const int kArenaSize = 1048576;
// The arena grows up to this size: far more than any path a scene draws
// needs (the blocks for a 100,000-point outline hold about 130 MB), and it
// keeps a path of millions of crossings from taking the machine's memory.
const std::size_t kArenaLimit = std::size_t(1) << 30;
const int kPolygonSize = 6;
const int kExtraVertices = 256;
// Each block starts with its size (for growing it), padded to 8 bytes.
const unsigned kBlockHeader = 8;

alignas(16) unsigned char g_arenaBuffer[kArenaSize];
TessArena g_arena = {g_arenaBuffer, kArenaSize, 0, 0, kArenaLimit};
Tessellator* g_tessellator = nullptr;

// Starts the arena from empty and makes the tessellator in it.
void create_tessellator()
{
    g_arena.mark = 0;
    tess_arena_reset(g_arena);
    TessAllocator record = {};
    record.allocate = tess_arena_alloc;
    record.reallocate = tess_arena_realloc;
    record.free = tess_arena_free;
    record.userData = &g_arena;
    record.extraVertices = kExtraVertices;
    g_tessellator = tessellator_create(&record);
    if (!g_tessellator)
        FATAL_ERROR("Failed assert libtess2");
    g_arena.mark = g_arena.used;
}

// After a failure nothing of the tessellator's state is trusted: the arena
// is emptied and a new tessellator made.
void recover(const char* pass, std::size_t pointCount)
{
    log_message("Fill tessellation failed in the " + std::string(pass) + " pass (" + std::to_string(pointCount) +
                " points): the path is not filled\n");
    create_tessellator();
}

bool all_finite(const float* values, std::size_t begin, std::size_t end)
{
    for (std::size_t i = begin; i < end; i++)
        if (!std::isfinite(values[i]))
            return false;
    return true;
}

}

void tess_arena_reset(TessArena& arena)
{
    arena.used = arena.mark;
    arena.block = 0;
    arena.grownUsed = 0;
}

namespace {

unsigned char* hand_out(unsigned char* block, unsigned size)
{
    std::memcpy(block, &size, sizeof(size));
    return block + kBlockHeader;
}

int clamp_to_int(std::uint64_t value)
{
    return static_cast<int>(value > INT32_MAX ? INT32_MAX : value);
}

std::uint64_t held(const TessArena& arena)
{
    std::uint64_t total = static_cast<std::uint64_t>(arena.capacity);
    for (const TessArenaBlock& b : arena.grown)
        total += b.capacity;
    return total;
}

// Adds a block of at least the given size; false when it would take the
// arena past its limit or memory runs out.
bool grow(TessArena& arena, std::uint64_t needed)
{
    const std::uint64_t inHand = held(arena);
    const std::uint64_t last = arena.grown.empty() ? static_cast<std::uint64_t>(arena.capacity)
                                                   : arena.grown.back().capacity;
    std::uint64_t size = std::max(needed, 2 * last);
    if (inHand + size > arena.limit)
        size = needed;
    if (inHand + size > arena.limit || size > SIZE_MAX)
        return false;
    TessArenaBlock block{std::unique_ptr<unsigned char[], TessBlockDeleter>(
                             static_cast<unsigned char*>(allocate_large(static_cast<std::size_t>(size)))),
                         static_cast<std::size_t>(size)};
    if (!block.base)
        return false;
    arena.grown.push_back(std::move(block));
    return true;
}

}

void TessBlockDeleter::operator()(unsigned char* block) const
{
    free_large(block);
}

void* tess_arena_alloc(void* userData, unsigned size)
{
    TessArena* arena = static_cast<TessArena*>(userData);
    const std::uint64_t rounded = (static_cast<std::uint64_t>(size) + 7) / 8 * 8 + kBlockHeader;
    if (arena->block == 0) {
        const std::uint64_t end = static_cast<std::uint64_t>(arena->used) + rounded;
        if (end < static_cast<std::uint64_t>(arena->capacity)) {
            unsigned char* block = arena->base + arena->used;
            arena->used = static_cast<int>(end);
            return hand_out(block, size);
        }
        if (arena->limit == 0) {
            std::printf("out of mem: %d < %d!\n", clamp_to_int(end), arena->capacity);
            return nullptr;
        }
    }
    // The grown blocks in turn; the rest of a block too small for this
    // request stays unused until the next reset.
    for (;;) {
        if (arena->block > 0) {
            TessArenaBlock& b = arena->grown[arena->block - 1];
            if (arena->grownUsed + rounded <= b.capacity) {
                unsigned char* block = b.base.get() + arena->grownUsed;
                arena->grownUsed += static_cast<std::size_t>(rounded);
                return hand_out(block, size);
            }
        }
        if (arena->block == arena->grown.size() && !grow(*arena, rounded)) {
            std::printf("out of mem: %d < %d!\n", clamp_to_int(held(*arena) + rounded), clamp_to_int(arena->limit));
            return nullptr;
        }
        arena->block++;
        arena->grownUsed = 0;
    }
}

void* tess_arena_realloc(void* userData, void* pointer, unsigned size)
{
    if (!pointer)
        return tess_arena_alloc(userData, size);
    unsigned oldSize;
    std::memcpy(&oldSize, static_cast<unsigned char*>(pointer) - kBlockHeader, sizeof(oldSize));
    void* block = tess_arena_alloc(userData, size);
    if (block)
        std::memcpy(block, pointer, oldSize < size ? oldSize : size);
    return block;
}

void tess_arena_free(void*, void*) {}

std::size_t tess_set_arena_limit(std::size_t bytes)
{
    return std::exchange(g_arena.limit, bytes);
}

void tessellate_path(const std::vector<double>& points, const std::vector<unsigned>& contourStarts,
                     std::vector<float>& vertices, std::vector<unsigned>& polygonStarts)
{
    if (!g_tessellator)
        create_tessellator();
    tess_arena_reset(g_arena);

    // The float copy of the points comes from the arena too.
    float* floats = nullptr;
    const std::size_t floatCount = points.size();
    if (floatCount > 0) {
        floats = static_cast<float*>(floatCount <= UINT32_MAX / sizeof(float)
                                         ? tess_arena_alloc(&g_arena, static_cast<unsigned>(floatCount * sizeof(float)))
                                         : nullptr);
        if (!floats) {
            vertices.clear();
            polygonStarts.clear();
            recover("first", points.size() / 3);
            return;
        }
        std::copy(points.begin(), points.end(), floats);
    }
    int added = 0;
    for (std::size_t c = 0; c < contourStarts.size(); c++) {
        const std::size_t start = contourStarts[c];
        const std::size_t end = c + 1 < contourStarts.size() ? contourStarts[c + 1] : floatCount;
        if (start > end || end > floatCount)
            continue;
        const std::size_t num_verts = end - start;
        VELMO_ASSERT(0 == ( num_verts % 3 ));
        // A contour with a non-finite point has no shape: it is left out.
        if (num_verts == 0 || !all_finite(floats, start, end))
            continue;
        tessellator_add_contour(g_tessellator, 3, floats + start, 12, static_cast<int>(num_verts / 3));
        added++;
    }

    vertices.clear();
    polygonStarts.clear();
    if (added == 0)
        return;
    if (!tessellator_tessellate(g_tessellator, TESS_WINDING_ODD, TESS_BOUNDARY_CONTOURS, 0, 0, nullptr)) {
        recover("first", points.size() / 3);
        return;
    }
    const float* contourVertices = tessellator_get_vertices(g_tessellator);
    const int* contours = tessellator_get_elements(g_tessellator);
    const int contourCount = tessellator_get_element_count(g_tessellator);
    if (contourCount == 0)
        return;
    for (int c = 0; c < contourCount; c++)
        tessellator_add_contour(g_tessellator, 2, contourVertices + 2 * contours[2 * c], 8, contours[2 * c + 1]);
    if (!tessellator_tessellate(g_tessellator, TESS_WINDING_ODD, TESS_POLYGONS, kPolygonSize, 3, nullptr)) {
        recover("second", points.size() / 3);
        return;
    }

    const float* polygonVertices = tessellator_get_vertices(g_tessellator);
    const int* polygons = tessellator_get_elements(g_tessellator);
    const int polygonCount = tessellator_get_element_count(g_tessellator);
    for (int p = 0; p < polygonCount; p++) {
        polygonStarts.push_back(static_cast<unsigned>(vertices.size()));
        for (int k = 0; k < kPolygonSize; k++) {
            const int index = polygons[p * kPolygonSize + k];
            if (index < 0)
                break;
            vertices.insert(vertices.end(), polygonVertices + 3 * index, polygonVertices + 3 * index + 3);
        }
    }
}
