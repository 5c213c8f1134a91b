// The canvas planes: clipping of every write, rectangles, the built-in
// pictures and the letterbox rectangle. No OpenGL needed.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "util/ascii/asciiengine.h"
#include "util/ascii/asciiengine_images.h"

namespace {

// Every cell as "ch/fg/bg" differences from an all-zero canvas.
struct Cell {
    int row, col;
    int ch, fg, bg;
    bool operator<(const Cell& o) const { return row != o.row ? row < o.row : col < o.col; }
    bool operator==(const Cell& o) const
    {
        return row == o.row && col == o.col && ch == o.ch && fg == o.fg && bg == o.bg;
    }
};

std::vector<Cell> non_zero_cells(const AsciiEngine& e)
{
    std::vector<Cell> out;
    for (int r = 0; r < 50; ++r)
        for (int c = 0; c < 80; ++c)
            if (e.get_char(r, c) || e.get_fg(r, c) || e.get_bg(r, c))
                out.push_back({r, c, e.get_char(r, c), e.get_fg(r, c), e.get_bg(r, c)});
    return out;
}

// The set of (row, col) covered, as a bounding box plus a count.
struct Box {
    int rowMin, rowMax, colMin, colMax, count;
};

Box box_of(const std::vector<Cell>& cells)
{
    Box b{1000, -1, 1000, -1, static_cast<int>(cells.size())};
    for (const Cell& c : cells) {
        b.rowMin = std::min(b.rowMin, c.row);
        b.rowMax = std::max(b.rowMax, c.row);
        b.colMin = std::min(b.colMin, c.col);
        b.colMax = std::max(b.colMax, c.col);
    }
    return b;
}

TEST(AsciiEnginePlanes, FreshCanvasIsAllZero)
{
    AsciiEngine e{AsciiEngine::PlanesOnly{}};
    EXPECT_TRUE(non_zero_cells(e).empty());
    EXPECT_EQ(e.get_viewport()[0], 1);
    EXPECT_EQ(e.get_viewport()[1], 1);
    EXPECT_EQ(e.get_viewport()[2], 1);
    EXPECT_EQ(e.get_viewport()[3], 1);
}

TEST(AsciiEnginePlanes, PutWritesOneCellAndIgnoresCellsOutside)
{
    struct Case {
        int row, col;
        bool lands;
    } cases[] = {
        {0, 0, true},   {49, 79, true},  {49, 0, true},   {0, 79, true},  {50, 0, false},
        {-1, 0, false}, {0, 80, false},  {0, -1, false},  {-1000000, 5, false}, {5, 2147483647, false},
    };
    for (const Case& c : cases) {
        AsciiEngine e{AsciiEngine::PlanesOnly{}};
        e.put(c.row, c.col, 219, 14, 1);
        std::vector<Cell> cells = non_zero_cells(e);
        if (c.lands) {
            ASSERT_EQ(cells.size(), 1u) << c.row << "," << c.col;
            EXPECT_EQ(cells[0], (Cell{c.row, c.col, 219, 14, 1}));
        } else {
            EXPECT_TRUE(cells.empty()) << c.row << "," << c.col;
        }
    }
}

TEST(AsciiEnginePlanes, PutCharFgKeepsTheBackground)
{
    AsciiEngine e{AsciiEngine::PlanesOnly{}};
    e.put(3, 4, 'x', 1, 9);
    e.put_char_fg(3, 4, '.', 15);
    e.put_char_fg(50, 4, '.', 15);
    EXPECT_EQ(non_zero_cells(e), (std::vector<Cell>{{3, 4, '.', 15, 9}}));
}

TEST(AsciiEnginePlanes, PutPackedSplitsTheFields)
{
    struct Case {
        std::uint16_t packed;
        int ch, fg, bg;
    } cases[] = {
        {(15 << 12) | (1 << 8) | 219, 219, 1, 15},
        {(15 << 8) | 46, '.', 15, 0},
        {0xFFFF, 255, 15, 15},
    };
    for (const Case& c : cases) {
        AsciiEngine e{AsciiEngine::PlanesOnly{}};
        e.put_packed(7, 8, c.packed);
        EXPECT_EQ(non_zero_cells(e), (std::vector<Cell>{{7, 8, c.ch, c.fg, c.bg}}));
    }
}

TEST(AsciiEnginePlanes, FillRectClipsToTheCanvas)
{
    struct Case {
        int row, col, height, width;
        Box expected;  // count 0: nothing drawn
    } cases[] = {
        {-3, -5, 10, 10, {0, 6, 0, 4, 35}},
        {45, 75, 10, 10, {45, 49, 75, 79, 25}},
        {0, -20, 5, 10, {1000, -1, 1000, -1, 0}},
        {-20, 0, 10, 5, {1000, -1, 1000, -1, 0}},
        {5, 5, 0, 10, {1000, -1, 1000, -1, 0}},
        {5, 5, 10, 0, {1000, -1, 1000, -1, 0}},
        {5, 5, -3, 4, {1000, -1, 1000, -1, 0}},
        {2, 3, 4, 5, {2, 5, 3, 7, 20}},
        {-100, -100, 1000, 1000, {0, 49, 0, 79, 4000}},
        {50, 0, 5, 5, {1000, -1, 1000, -1, 0}},
        {0, 80, 5, 5, {1000, -1, 1000, -1, 0}},
        {10, 10, 2147483647, 2147483647, {10, 49, 10, 79, 40 * 70}},
    };
    for (const Case& c : cases) {
        AsciiEngine e{AsciiEngine::PlanesOnly{}};
        e.fill_rect(c.row, c.col, c.height, c.width, 177, 3, 4);
        std::vector<Cell> cells = non_zero_cells(e);
        Box b = box_of(cells);
        SCOPED_TRACE(::testing::Message() << c.row << "," << c.col << " " << c.height << "x" << c.width);
        EXPECT_EQ(b.count, c.expected.count);
        if (c.expected.count) {
            EXPECT_EQ(b.rowMin, c.expected.rowMin);
            EXPECT_EQ(b.rowMax, c.expected.rowMax);
            EXPECT_EQ(b.colMin, c.expected.colMin);
            EXPECT_EQ(b.colMax, c.expected.colMax);
            // A filled box: every cell inside it is set.
            EXPECT_EQ(b.count, (b.rowMax - b.rowMin + 1) * (b.colMax - b.colMin + 1));
            for (const Cell& cell : cells)
                EXPECT_EQ(cell, (Cell{cell.row, cell.col, 177, 3, 4}));
        }
    }
}

TEST(AsciiEnginePlanes, ClearAndFillCoverEveryCell)
{
    AsciiEngine e{AsciiEngine::PlanesOnly{}};
    e.fill(32, 8, 7);
    for (int r = 0; r < 50; ++r)
        for (int c = 0; c < 80; ++c)
            ASSERT_EQ((Cell{r, c, e.get_char(r, c), e.get_fg(r, c), e.get_bg(r, c)}), (Cell{r, c, 32, 8, 7}));
    e.clear();
    EXPECT_TRUE(non_zero_cells(e).empty());
}

TEST(AsciiEngineBuiltinImages, EveryRowIsEightyAllowedCharacters)
{
    const std::string allowed = ". #8:o";
    for (int i = 0; i < 4; ++i) {
        int nonBackground = 0;
        for (int r = 0; r < 50; ++r) {
            const char* row = ascii_builtin_images[i][r];
            ASSERT_EQ(std::strlen(row), 80u) << "image " << i << " row " << r;
            for (int c = 0; c < 80; ++c) {
                ASSERT_NE(allowed.find(row[c]), std::string::npos) << "image " << i << " row " << r;
                nonBackground += row[c] != '.';
            }
        }
        EXPECT_GT(nonBackground, 100) << "image " << i << " is almost empty";
    }
    // Four different pictures.
    std::set<std::string> pictures;
    for (int i = 0; i < 4; ++i) {
        std::string all;
        for (int r = 0; r < 50; ++r)
            all += ascii_builtin_images[i][r];
        pictures.insert(all);
    }
    EXPECT_EQ(pictures.size(), 4u);
}

TEST(AsciiEngineBuiltinImages, DrawSkipsTheTransparentCharacterAndWrapsTheIndex)
{
    AsciiEngine e{AsciiEngine::PlanesOnly{}};
    e.fill(1, 2, 3);
    e.draw_builtin_image(5, 15, 0, '.', false, 0, 0);  // index 5 is picture 1
    for (int r = 0; r < 50; ++r) {
        for (int c = 0; c < 80; ++c) {
            const char src = ascii_builtin_images[1][r][c];
            if (src == '.')
                ASSERT_EQ((Cell{r, c, e.get_char(r, c), e.get_fg(r, c), e.get_bg(r, c)}), (Cell{r, c, 1, 2, 3}));
            else
                ASSERT_EQ((Cell{r, c, e.get_char(r, c), e.get_fg(r, c), e.get_bg(r, c)}),
                          (Cell{r, c, static_cast<unsigned char>(src), 15, 0}));
        }
    }
}

TEST(AsciiEngineBuiltinImages, FlipAndOffsetsMoveThePicture)
{
    struct Case {
        bool flip;
        int rowOffset, colOffset;
    } cases[] = {{true, 0, 0}, {true, -3, 0}, {false, 4, -7}, {false, -10, 12}, {true, 2, 30}};
    for (const Case& c : cases) {
        AsciiEngine e{AsciiEngine::PlanesOnly{}};
        e.draw_builtin_image(2, 9, 1, '\0', c.flip, c.rowOffset, c.colOffset);  // nothing transparent
        for (int i = 0; i < 50; ++i) {
            const int target = (c.flip ? 49 - i : i) + c.rowOffset;
            for (int j = 0; j < 80; ++j) {
                const int col = j + c.colOffset;
                if (target < 0 || target >= 50 || col < 0 || col >= 80)
                    continue;
                ASSERT_EQ(e.get_char(target, col), static_cast<unsigned char>(ascii_builtin_images[2][i][j]))
                    << "source " << i << "," << j;
            }
        }
        // Cells the picture does not reach stay untouched.
        const int rowsCovered = 50 - std::abs(c.rowOffset);
        const int colsCovered = 80 - std::abs(c.colOffset);
        EXPECT_EQ(static_cast<int>(non_zero_cells(e).size()), rowsCovered * colsCovered);
    }
}

TEST(AsciiEngineBuiltinImages, RowVariantDrawsOneRow)
{
    struct Case {
        int row, col, srcRow;
        int expectedCells;  // cells written, '.' skipped
    } cases[] = {{10, 0, 20, -1}, {0, 5, 49, -1}, {3, 0, 50, 0}, {3, 0, -1, 0}, {50, 0, 3, 0}, {-1, 0, 3, 0}};
    for (const Case& c : cases) {
        AsciiEngine e{AsciiEngine::PlanesOnly{}};
        e.draw_builtin_image_row(c.row, c.col, 4, c.srcRow, 11, 1, '.');  // 4 wraps to picture 0
        std::vector<Cell> cells = non_zero_cells(e);
        if (c.expectedCells == 0) {
            EXPECT_TRUE(cells.empty()) << c.row << " " << c.srcRow;
            continue;
        }
        const char* src = ascii_builtin_images[0][c.srcRow];
        size_t expected = 0;
        for (int i = 0; i < 80; ++i) {
            if (src[i] == '.' || c.col + i >= 80)
                continue;
            ++expected;
            EXPECT_EQ(e.get_char(c.row, c.col + i), static_cast<unsigned char>(src[i]));
            EXPECT_EQ(e.get_fg(c.row, c.col + i), 11);
        }
        EXPECT_EQ(cells.size(), expected);
        for (const Cell& cell : cells)
            EXPECT_EQ(cell.row, c.row);
    }
}

TEST(AsciiEngineViewport, LetterboxRectangle)
{
    struct Case {
        int width, height;
        float aspect;
        int x, y, w, h;
    } cases[] = {
        {1920, 1080, 4.0f / 3.0f, 240, 0, 1440, 1080},
        {1024, 1024, 4.0f / 3.0f, 0, 128, 1024, 768},
        {1280, 720, 1.3333334f, 160, 0, 960, 720},
        {640, 480, 4.0f / 3.0f, 0, 0, 640, 480},  // equal aspect: full width
        {800, 1000, 4.0f / 3.0f, 0, 200, 800, 600},
        {1920, 1200, 16.0f / 9.0f, 0, 60, 1920, 1080},
    };
    for (const Case& c : cases) {
        AsciiEngine e{AsciiEngine::PlanesOnly{}};
        e.set_viewport(c.width, c.height, c.aspect);
        const int* v = e.get_viewport();
        EXPECT_EQ((std::vector<int>{v[0], v[1], v[2], v[3]}), (std::vector<int>{c.x, c.y, c.w, c.h}))
            << c.width << "x" << c.height;
    }
}

}  // namespace
