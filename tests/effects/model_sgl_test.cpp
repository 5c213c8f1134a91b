// The SGL model's reader and its geometry operations: the file-variant
// table (sizes, formats, primitive modes, headers that overflow 32 bits), the
// numeric operations on each record layout, and the model without data.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "effects/skydome/model_sgl.h"
#include "support/fatal_message.h"
#include "util/data/data_layer.h"

namespace {

std::vector<std::uint8_t> sgl(std::int32_t count, std::int32_t format, std::int32_t primitive,
                              const std::vector<float>& floats, std::size_t extraBytes = 0)
{
    std::vector<std::uint8_t> b(12 + floats.size() * 4 + extraBytes, 0xAB);
    const std::int32_t header[3] = {count, format, primitive};
    std::memcpy(b.data(), header, 12);
    if (!floats.empty())
        std::memcpy(b.data() + 12, floats.data(), floats.size() * 4);
    return b;
}

class SglModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        set_datafile_mode(DataFileMode::Off);
        set_loading_tick_hook([](float, bool) {});
        file = std::filesystem::temp_directory_path() / ("velmo_sgl_" + std::to_string(::getpid()) + ".sgl");
    }
    void TearDown() override { std::filesystem::remove(file); }

    bool load(SglModel& m, const std::vector<std::uint8_t>& bytes)
    {
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return m.load(file.c_str());
    }

    std::filesystem::path file;
    testsupport::ThrowingFatalErrors fatal;
};

TEST_F(SglModelTest, FileVariants)
{
    const std::vector<float> nine = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    std::vector<float> eight(nine.begin(), nine.end() - 1);
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        bool loads;
        std::int32_t count, format, primitive;  // the header fields afterwards
    };
    std::vector<std::uint8_t> shortHeader = sgl(3, GL_V3F, GL_TRIANGLES, {});
    shortHeader.resize(11);
    std::vector<std::uint8_t> shortRecords = sgl(3, GL_V3F, GL_TRIANGLES, nine);
    shortRecords.pop_back();
    const Case cases[] = {
        {"exact size", sgl(3, GL_V3F, GL_TRIANGLES, nine), true, 3, GL_V3F, GL_TRIANGLES},
        {"4 bytes past the records", sgl(3, GL_V3F, GL_TRIANGLES, nine, 4), true, 3, GL_V3F, GL_TRIANGLES},
        {"one byte short", shortRecords, false, 0, 0, 0},
        {"a record short", sgl(3, GL_V3F, GL_TRIANGLES, eight), false, 0, 0, 0},
        {"short header", shortHeader, false, 0, 0, 0},
        {"unknown format", sgl(3, 7, GL_TRIANGLES, nine), false, 3, 7, GL_TRIANGLES},
        {"count 0", sgl(0, GL_V3F, GL_TRIANGLES, nine), false, 0, GL_V3F, GL_TRIANGLES},
        {"negative count", sgl(-3, GL_V3F, GL_TRIANGLES, nine), false, -3, GL_V3F, GL_TRIANGLES},
        {"primitive 0 (points)", sgl(3, GL_V3F, 0, nine), false, 3, GL_V3F, 0},
        {"primitive past GL_POLYGON", sgl(3, GL_V3F, 10, nine), false, 3, GL_V3F, 10},
        {"primitive far out", sgl(3, GL_V3F, 0x7FFFFFFF, nine), false, 3, GL_V3F, 0x7FFFFFFF},
        {"polygon", sgl(3, GL_V3F, GL_POLYGON, nine), true, 3, GL_V3F, GL_POLYGON},
        // 0x08000001 records of 32 bytes wrap to 32 bytes in 32-bit arithmetic.
        {"count x stride past 32 bits", sgl(0x08000001, GL_T2F_N3F_V3F, GL_TRIANGLES, eight), false, 0, 0, 0},
        {"largest count", sgl(0x7FFFFFFF, GL_T2F_N3F_V3F, GL_TRIANGLES, eight), false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SglModel m;
        EXPECT_EQ(load(m, c.bytes), c.loads) << c.what;
        EXPECT_EQ(m.get_data() != nullptr, c.loads) << c.what;
        EXPECT_EQ(m.get_count(), c.count) << c.what;
        EXPECT_EQ(m.get_format(), c.format) << c.what;
        EXPECT_EQ(m.get_primitive(), c.primitive) << c.what;
        if (c.loads) {
            EXPECT_EQ(std::memcmp(m.get_data(), nine.data(), 36), 0) << c.what;
        }
    }
}

TEST_F(SglModelTest, MissingFileIsRefusedNotFatal)
{
    SglModel m;
    EXPECT_FALSE(m.load("data/effects/skydome/no_such_model.sgl"));
    EXPECT_EQ(m.get_data(), nullptr);
}

TEST_F(SglModelTest, ReloadReplacesAndClearForgets)
{
    SglModel m;
    ASSERT_TRUE(load(m, sgl(3, GL_V3F, GL_TRIANGLES, {1, 2, 3, 4, 5, 6, 7, 8, 9})));
    ASSERT_TRUE(load(m, sgl(1, GL_N3F_V3F, GL_LINES, {0, 0, 1, 5, 6, 7})));
    EXPECT_EQ(m.get_count(), 1);
    EXPECT_EQ(m.get_format(), GL_N3F_V3F);
    m.clear();
    EXPECT_EQ(m.get_data(), nullptr);
    EXPECT_EQ(m.get_count(), 0);
    EXPECT_EQ(m.get_format(), 0);
    EXPECT_EQ(m.get_primitive(), 0);
}

TEST_F(SglModelTest, OperationsTouchOnlyPositions)
{
    // Two records of each layout, positions (2, -1, 0) and (6, 1, 0); the
    // other fields hold 9.
    struct Case {
        std::int32_t format;
        int stride, offset;
    };
    for (const Case& c : {Case{GL_V3F, 3, 0}, Case{GL_N3F_V3F, 6, 3}, Case{GL_T2F_N3F_V3F, 8, 5}}) {
        std::vector<float> floats(2 * c.stride, 9.0f);
        const float pos[2][3] = {{2, -1, 0}, {6, 1, 0}};
        for (int r = 0; r < 2; ++r)
            for (int a = 0; a < 3; ++a)
                floats[r * c.stride + c.offset + a] = pos[r][a];
        SglModel m;
        ASSERT_TRUE(load(m, sgl(2, c.format, GL_LINES, floats)));
        auto at = [&](int r, int a) { return m.get_data()[r * c.stride + c.offset + a]; };
        auto others_untouched = [&] {
            for (int r = 0; r < 2; ++r)
                for (int k = 0; k < c.offset; ++k)
                    EXPECT_EQ(m.get_data()[r * c.stride + k], 9.0f) << c.format;
        };

        float x = -1, y = -1, z = -1;
        m.centre(x, y, z);
        EXPECT_FLOAT_EQ(x, 4.0f);
        EXPECT_FLOAT_EQ(y, 0.0f);
        EXPECT_FLOAT_EQ(z, 0.0f);
        m.extents(x, y, z);
        EXPECT_FLOAT_EQ(x, 4.0f) << "largest minus smallest, not |6| + |2|";
        EXPECT_FLOAT_EQ(y, 2.0f);
        EXPECT_FLOAT_EQ(z, 0.0f);

        m.scale(2.0f);
        EXPECT_FLOAT_EQ(at(1, 0), 12.0f);
        EXPECT_FLOAT_EQ(at(0, 1), -2.0f);
        m.translate(1.0f, 2.0f, 3.0f);
        EXPECT_FLOAT_EQ(at(0, 0), 5.0f);
        EXPECT_FLOAT_EQ(at(0, 1), 0.0f);
        EXPECT_FLOAT_EQ(at(1, 2), 3.0f);

        // x spans 5..13, y 0..4, z 3..3: centred, widest extent 2.
        m.normalise();
        EXPECT_FLOAT_EQ(at(0, 0), -1.0f);
        EXPECT_FLOAT_EQ(at(1, 0), 1.0f);
        EXPECT_FLOAT_EQ(at(0, 1), -0.5f);
        EXPECT_FLOAT_EQ(at(1, 1), 0.5f);
        EXPECT_FLOAT_EQ(at(0, 2), 0.0f);
        others_untouched();
    }
}

TEST_F(SglModelTest, NormaliseOfSpreadSpansAndOfAPoint)
{
    SglModel m;
    ASSERT_TRUE(load(m, sgl(2, GL_V3F, GL_LINES, {-2, -1, 0, 2, 1, 0})));
    m.normalise();
    const std::vector<float> want = {-1, -0.5f, 0, 1, 0.5f, 0};
    for (int i = 0; i < 6; ++i)
        EXPECT_FLOAT_EQ(m.get_data()[i], want[i]);

    // All at one point: centred on the origin, no division by zero.
    ASSERT_TRUE(load(m, sgl(2, GL_V3F, GL_LINES, {3, 3, 3, 3, 3, 3})));
    m.normalise();
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(m.get_data()[i], 0.0f);
}

TEST_F(SglModelTest, WithoutDataNothingChangesAndOutputsAreZero)
{
    SglModel m;
    float x = 5, y = 5, z = 5;
    m.centre(x, y, z);
    EXPECT_EQ(x + y + z, 0.0f);
    x = y = z = 5;
    m.extents(x, y, z);
    EXPECT_EQ(x + y + z, 0.0f);
    m.translate(1, 1, 1);
    m.scale(2);
    m.normalise();
    m.draw();  // draws nothing, makes no GL call
    EXPECT_EQ(m.get_data(), nullptr);
}

}  // namespace
