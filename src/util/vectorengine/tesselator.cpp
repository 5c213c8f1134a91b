#include "util/vectorengine/tesselator.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "system/fatal_error.h"
#include "system/log_message.h"
#include "util/vectorengine/sweep_tessellator.h"

namespace {

const int kArenaSize = 1048576;
const int kPolygonSize = 6;
const int kExtraVertices = 256;
// Each block starts with its size (for growing it), padded to 8 bytes.
const unsigned kBlockHeader = 8;

alignas(16) unsigned char g_arenaBuffer[kArenaSize];
TessArena g_arena = {g_arenaBuffer, kArenaSize, 0, 0};
Tessellator* g_tessellator = nullptr;

// Starts the arena from empty and makes the tessellator in it.
void create_tessellator()
{
    g_arena.used = 0;
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

bool all_finite(const std::vector<float>& values, std::size_t begin, std::size_t end)
{
    for (std::size_t i = begin; i < end; i++)
        if (!std::isfinite(values[i]))
            return false;
    return true;
}

}

void* tess_arena_alloc(void* userData, unsigned size)
{
    TessArena* arena = static_cast<TessArena*>(userData);
    const std::uint64_t rounded = (static_cast<std::uint64_t>(size) + 7) / 8 * 8 + kBlockHeader;
    const std::uint64_t end = static_cast<std::uint64_t>(arena->used) + rounded;
    if (end >= static_cast<std::uint64_t>(arena->capacity)) {
        std::printf("out of mem: %d < %d!\n", static_cast<int>(end > INT32_MAX ? INT32_MAX : end), arena->capacity);
        return nullptr;
    }
    unsigned char* block = arena->base + arena->used;
    std::memcpy(block, &size, sizeof(size));
    arena->used = static_cast<int>(end);
    return block + kBlockHeader;
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

void tessellate_path(const std::vector<double>& points, const std::vector<unsigned>& contourStarts,
                     std::vector<float>& vertices, std::vector<unsigned>& polygonStarts)
{
    if (!g_tessellator)
        create_tessellator();
    g_arena.used = g_arena.mark;

    const std::vector<float> floats(points.begin(), points.end());
    int added = 0;
    for (std::size_t c = 0; c < contourStarts.size(); c++) {
        const std::size_t start = contourStarts[c];
        const std::size_t end = c + 1 < contourStarts.size() ? contourStarts[c + 1] : floats.size();
        if (start > end || end > floats.size())
            continue;
        const std::size_t num_verts = end - start;
        VELMO_ASSERT(0 == ( num_verts % 3 ));
        // A contour with a non-finite point has no shape: it is left out.
        if (num_verts == 0 || !all_finite(floats, start, end))
            continue;
        tessellator_add_contour(g_tessellator, 3, floats.data() + start, 12, static_cast<int>(num_verts / 3));
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
