// Once the arena has grown for a path, filling a path of that size again
// takes nothing from the general heap: every allocation of the two passes
// comes from the arena (the output vectors, reused, keep their capacity).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <new>
#include <vector>

#include "util/vectorengine/tesselator.h"

// The replacements below pair malloc with free on purpose.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {

bool g_counting = false;
long g_allocations = 0;

}

void* operator new(std::size_t size)
{
    if (g_counting)
        g_allocations++;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

TEST(FillDriverHeap, RepeatedLargeFillsAllocateNothing)
{
    // A 4,097-point star outline and a 301-point star polygon (every 150th
    // point of a circle: 45,000 crossings).
    std::vector<std::vector<double>> paths(2);
    for (int i = 0; i < 4097; i++) {
        const double a = 2 * M_PI * i / 4097, r = i % 2 ? 250 : 500;
        paths[0].insert(paths[0].end(), {500 + r * std::cos(a), 500 + r * std::sin(a), 0.0});
    }
    for (int i = 0; i < 301; i++) {
        const double a = 2 * M_PI * ((i * 150) % 301) / 301;
        paths[1].insert(paths[1].end(), {500 + 500 * std::cos(a), 500 + 500 * std::sin(a), 0.0});
    }
    const std::vector<unsigned> contours = {0};
    for (const auto& points : paths) {
        std::vector<float> vertices;
        std::vector<unsigned> starts;
        tessellate_path(points, contours, vertices, starts);
        ASSERT_FALSE(starts.empty());
        const std::size_t count = starts.size();
        g_allocations = 0;
        g_counting = true;
        tessellate_path(points, contours, vertices, starts);
        g_counting = false;
        EXPECT_EQ(0, g_allocations) << points.size() / 3 << " points";
        EXPECT_EQ(count, starts.size());
    }
}
