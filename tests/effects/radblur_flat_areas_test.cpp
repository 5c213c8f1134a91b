// RadblurFlatAreas::rectangles: the scissor rectangles the radial blur draws
// its flat and other tiles in cover every tile exactly once, with its kind,
// and join runs of a row and equal runs of rows above each other.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "effects/radblur_flat_areas.h"

namespace {

using Effects::RadblurFlatAreas;

struct Case {
    const char* name;
    int columns, rows;
    std::vector<std::uint8_t> tiles;  // bottom row first
    std::size_t rectangles;
};

TEST(RadblurFlatAreasRectangles, CoverEveryTileOnceWithItsKind)
{
    const Case cases[] = {
        {"one tile", 1, 1, {1}, 1},
        {"all flat", 3, 2, {1, 1, 1, 1, 1, 1}, 1},
        {"none flat", 3, 2, {0, 0, 0, 0, 0, 0}, 1},
        {"a column", 3, 3, {0, 1, 0, 0, 1, 0, 0, 1, 0}, 3},
        {"a step", 3, 3, {1, 1, 0, 1, 0, 0, 1, 1, 0}, 6},
        {"a checkerboard", 2, 2, {1, 0, 0, 1}, 4},
    };
    for (const Case& c : cases) {
        const auto rects = RadblurFlatAreas::rectangles(c.tiles, c.columns, c.rows);
        EXPECT_EQ(rects.size(), c.rectangles) << c.name;
        std::vector<int> covered(c.tiles.size(), 0);
        for (const auto& r : rects) {
            ASSERT_TRUE(r.x >= 0 && r.y >= 0 && r.width > 0 && r.height > 0 && r.x + r.width <= c.columns &&
                        r.y + r.height <= c.rows)
                << c.name;
            for (int y = r.y; y < r.y + r.height; ++y)
                for (int x = r.x; x < r.x + r.width; ++x) {
                    const std::size_t i = static_cast<std::size_t>(y) * c.columns + x;
                    covered[i] += 1;
                    EXPECT_EQ(r.flat, c.tiles[i] != 0) << c.name << " at " << x << ", " << y;
                }
        }
        for (std::size_t i = 0; i < covered.size(); ++i)
            EXPECT_EQ(covered[i], 1) << c.name << " tile " << i;
    }
}

}  // namespace
