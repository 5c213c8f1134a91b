// The five post-processing filters in a real context: the uniforms each
// apply() sets, and what each does to a test picture drawn through it the
// way the scene manager draws (unit quad, position on attribute 0, texture
// coordinate on attribute 2, picture on texture unit 0).
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <functional>
#include <set>

#include "effects/postproc.h"
#include "support/gl_context.h"
#include "util/data/data_layer.h"

namespace {

constexpr int kSize = 64;

// RGBA picture, bottom row first.
struct Picture {
    int w = kSize, h = kSize;
    std::vector<std::uint8_t> rgba = std::vector<std::uint8_t>(kSize * kSize * 4, 255);
    std::uint8_t* at(int x, int y) { return &rgba[(y * w + x) * 4]; }
    const std::uint8_t* at(int x, int y) const { return &rgba[(y * w + x) * 4]; }
};

Picture make_picture(const std::function<void(int x, int y, std::uint8_t* p)>& fill)
{
    Picture pic;
    for (int y = 0; y < pic.h; ++y)
        for (int x = 0; x < pic.w; ++x)
            fill(x, y, pic.at(x, y));
    return pic;
}

class PostProcGLTest : public gltest::GLTest {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(chdir(VELMO_BINARY_DIR), 0);  // the run folder: data/ links to the build production's assets
        set_datafile_mode(DataFileMode::Off);
        set_loading_tick_hook([](float, bool) {});
        ASSERT_TRUE(gltest::ensure_context());
        dither = new Effects::Dither;
        fade = new Effects::Fade;
        blur = new Effects::Blur;
        radblur = new Effects::Radblur;
        film = new Effects::Film;
    }

    // Draws `in` through the filter into the window's lower left kSize
    // square and reads it back.
    Picture run(Effects::PostProc& filter, const Picture& in, int width = kSize,
                int height = kSize, float beat = 0.0f)
    {
        GLuint texture = 0;
        glGenTextures(1, &texture);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, in.w, in.h, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     in.rgba.data());
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);

        glViewport(0, 0, in.w, in.h);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        filter.prepare(width, height, beat, nullptr);
        filter.apply(width, height, beat);
        draw_unit_quad();  // the filter's program stays bound for uniform()
        glDeleteTextures(1, &texture);

        Picture out;
        out.rgba = gltest::read_rgba(0, 0, in.w, in.h);
        return out;
    }

    static void draw_unit_quad()
    {
        static const float vertices[] = {0, 0, 0, 0, 1, 0, 1, 0, 0, 1, 0, 1, 1, 1, 1, 1};
        GLuint vao = 0, vbo = 0;
        glGenVertexArrays(1, &vao);
        glBindVertexArray(vao);
        glGenBuffers(1, &vbo);
        glBindBuffer(GL_ARRAY_BUFFER, vbo);
        glBufferData(GL_ARRAY_BUFFER, sizeof vertices, vertices, GL_STATIC_DRAW);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 16, nullptr);
        glEnableVertexAttribArray(2);
        glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, 16, reinterpret_cast<void*>(8));
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        glBindVertexArray(0);
        glDeleteBuffers(1, &vbo);
        glDeleteVertexArrays(1, &vao);
    }

    // Values of a float uniform of the program that apply() left bound.
    static std::vector<float> uniform(const char* name, int count)
    {
        GLint program = 0;
        glGetIntegerv(GL_CURRENT_PROGRAM, &program);
        const GLint location = glGetUniformLocation(program, name);
        EXPECT_GE(location, 0) << name;
        std::vector<float> v(16);
        glGetUniformfv(program, location, v.data());
        v.resize(count);
        return v;
    }

    static void expect_unit_square_projection()
    {
        const auto m = uniform("ProjectionMatrix", 16);
        const float expected[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, -1, 0, -1, -1, 0, 1};
        for (int i = 0; i < 16; ++i)
            EXPECT_FLOAT_EQ(m[i], expected[i]) << i;
    }

    static Effects::Dither* dither;
    static Effects::Fade* fade;
    static Effects::Blur* blur;
    static Effects::Radblur* radblur;
    static Effects::Film* film;
};

Effects::Dither* PostProcGLTest::dither;
Effects::Fade* PostProcGLTest::fade;
Effects::Blur* PostProcGLTest::blur;
Effects::Radblur* PostProcGLTest::radblur;
Effects::Film* PostProcGLTest::film;

const Picture kGrey = make_picture([](int, int, std::uint8_t* p) { p[0] = p[1] = p[2] = 128; });

TEST_F(PostProcGLTest, NamesParametersAndDefaults)
{
    struct Case {
        Effects::PostProc* filter;
        const char* name;
        std::vector<std::string> params;
        std::vector<float> defaults;
    };
    const Case cases[] = {
        {dither, "Dither", {"DitherFactor"}, {0.5f}},
        {fade, "Fade", {"FadeValue"}, {0.0f}},
        {blur, "Blur", {"BlurScale", "BlurIterations"}, {2.5f, 3.0f}},
        {radblur, "Radblur", {"RadblurCntrX", "RadblurCntrY", "RadblurStep", "RadblurStrength"},
         {0.5f, 0.5f, 0.9f, 1.0f}},
        {film, "Film",
         {"FilmColor", "FilmMonochrome", "FilmBrownSepia", "FilmGreenSepia", "FilmBlueSepia",
          "FilmContrast", "FilmBrightness", "FilmFilmgrainAmount", "FilmScanlineAmount"},
         {1, 0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.filter->name(), c.name);
        EXPECT_EQ(c.filter->paramNames(), c.params);
        for (std::size_t j = 0; j < c.defaults.size(); ++j)
            EXPECT_FLOAT_EQ(c.filter->getParam(static_cast<int>(j)), c.defaults[j]) << c.name << j;
    }
}

TEST_F(PostProcGLTest, EveryApplySetsTheUnitSquareProjection)
{
    for (Effects::PostProc* f : std::initializer_list<Effects::PostProc*>{dither, fade, blur, radblur, film}) {
        f->apply(kSize, kSize, 0.0f);
        GLint program = 0;
        glGetIntegerv(GL_CURRENT_PROGRAM, &program);
        const float junk[16] = {};
        glUniformMatrix4fv(glGetUniformLocation(program, "ProjectionMatrix"), 1, GL_FALSE, junk);
        f->apply(kSize, kSize, 0.0f);
        expect_unit_square_projection();
    }
}

TEST_F(PostProcGLTest, DitherBlocksFromFactor)
{
    struct Case {
        float factor;
        int width, height;
        float x, y;
    };
    const Case cases[] = {
        {0.5f, 1280, 720, 243.34f, 136.88f},
        {0.5f, 1920, 1080, 365.01f, 205.32f},
        {0.0f, 640, 480, 640.0f, 480.0f},
        {1.0f / 0.85f, 640, 480, 0.0f, 0.0f},
    };
    for (const auto& c : cases) {
        dither->setParam(0, c.factor);
        dither->apply(c.width, c.height, 0.0f);
        const auto blocks = uniform("blocks", 2);
        EXPECT_NEAR(blocks[0], c.x, 0.01f) << c.factor;
        EXPECT_NEAR(blocks[1], c.y, 0.01f) << c.factor;
    }
    dither->setParam(0, 2.0f);
    dither->apply(100, 100, 0.0f);
    EXPECT_LT(uniform("blocks", 2)[0], 0.0f);
}

// A smooth ramp comes out in flat blocks of a few colour levels whose
// pattern keeps the ramp's average brightness.
TEST_F(PostProcGLTest, DitherMakesBlocksOfFewLevels)
{
    const Picture ramp = make_picture([](int x, int, std::uint8_t* p) {
        p[0] = p[1] = p[2] = static_cast<std::uint8_t>(x * 4);
    });
    // d = (1 - 0.85 f)^3 = 1/4 on a 64-pixel picture: 16 x 16 blocks of 4 x 4 pixels.
    dither->setParam(0, (1.0f - std::cbrt(0.25f)) / 0.85f);
    const Picture out = run(*dither, ramp);
    std::set<int> levels;
    double inSum = 0, outSum = 0;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const std::uint8_t* p = out.at(x, y);
            levels.insert(p[0]);
            EXPECT_EQ(p[0], out.at(x & ~3, y & ~3)[0]) << x << "," << y;
            inSum += ramp.at(x, y)[0];
            outSum += p[0];
        }
    EXPECT_LE(levels.size(), 5u);
    EXPECT_GE(levels.size(), 3u);
    EXPECT_NEAR(outSum / inSum, 1.0, 0.08);
    dither->setParam(0, 0.5f);
}

TEST_F(PostProcGLTest, FadeSelectorAmountAndPicture)
{
    struct Case {
        float value;
        float selector, amount;
        int expectedGrey;  // from 128
    };
    const Case cases[] = {
        {-0.3f, 0.0f, 0.3f, 90}, {0.0f, 0.0f, 0.0f, 128}, {0.7f, 1.0f, 0.7f, 217},
        {1.5f, 1.0f, 1.5f, 255}, {-1.0f, 0.0f, 1.0f, 0},
    };
    for (const auto& c : cases) {
        fade->setParam(0, c.value);
        const Picture out = run(*fade, kGrey);
        const auto color = uniform("color", 2);
        EXPECT_FLOAT_EQ(color[0], c.selector) << c.value;
        EXPECT_FLOAT_EQ(color[1], c.amount) << c.value;
        EXPECT_NEAR(out.at(10, 20)[0], c.expectedGrey, 2) << c.value;
        EXPECT_NEAR(out.at(50, 40)[2], c.expectedGrey, 2) << c.value;
    }
    fade->setParam(0, 0.0f);
}

// A hard edge turns into a ramp whose width grows with Scale; far from the
// edge nothing changes.
TEST_F(PostProcGLTest, BlurSoftensEdges)
{
    blur->apply(kSize, kSize, 0.0f);
    EXPECT_FLOAT_EQ(uniform("Scale", 1)[0], 0.0025f);
    EXPECT_FLOAT_EQ(uniform("Iterations", 1)[0], 3.0f);
    blur->setParam(1, 2.6f);
    blur->apply(kSize, kSize, 0.0f);
    EXPECT_FLOAT_EQ(uniform("Iterations", 1)[0], 2.6f);

    const Picture edge = make_picture([](int x, int, std::uint8_t* p) {
        p[0] = p[1] = p[2] = x < kSize / 2 ? 0 : 255;
    });
    auto ramp_width = [&](float scale) {
        blur->setParam(0, scale);
        blur->setParam(1, 3.0f);
        const Picture out = run(*blur, edge);
        int width = 0;
        for (int x = 0; x < kSize; ++x) {
            const int v = out.at(x, 32)[1];
            if (v > 8 && v < 247)
                ++width;
            if (x > 0) {
                EXPECT_GE(v + 1, out.at(x - 1, 32)[1]) << "not monotonic at " << x;
            }
        }
        EXPECT_EQ(out.at(2, 32)[1], 0);
        EXPECT_EQ(out.at(kSize - 3, 32)[1], 255);
        return width;
    };
    const int narrow = ramp_width(20.0f);  // 0.02 of the picture per step
    const int wide = ramp_width(60.0f);
    EXPECT_GE(narrow, 3);
    EXPECT_GT(wide, narrow + 3);
    blur->setParam(0, 2.5f);
    blur->setParam(1, 3.0f);
}

// A bright dot streaks along the radius, away from the centre (each pixel
// gathers from the line toward the centre), and not across the radius.
TEST_F(PostProcGLTest, RadblurStreaksAlongTheRadius)
{
    radblur->apply(kSize, kSize, 0.0f);
    const auto params = uniform("RadialBlurParams", 4);
    EXPECT_EQ(params, (std::vector<float>{0.5f, 0.5f, 0.9f, 1.0f}));

    const Picture dot = make_picture([](int x, int y, std::uint8_t* p) {
        p[0] = p[1] = p[2] = (x >= 44 && x <= 47 && y >= 30 && y <= 33) ? 255 : 0;
    });
    radblur->setParam(2, 0.6f);  // samples reach 40% of the way to the centre
    const Picture out = run(*radblur, dot);
    // Outward on the radius from the dot (x 46, y 32; centre 32, 32).
    EXPECT_GT(out.at(52, 32)[0], 4);
    EXPECT_GT(out.at(56, 32)[0], 2);
    // The same distance from the dot across the radius, and inward, stay dark.
    EXPECT_EQ(out.at(46, 24)[0], 0);
    EXPECT_EQ(out.at(46, 40)[0], 0);
    EXPECT_EQ(out.at(38, 32)[0], 0);
    // Strength 0 leaves the picture sharp.
    radblur->setParam(3, 0.0f);
    EXPECT_EQ(run(*radblur, dot).rgba, dot.rgba);
    radblur->setParam(3, 1.0f);
    // The centre itself does not move.
    const Picture centre = make_picture([](int x, int y, std::uint8_t* p) {
        p[0] = p[1] = p[2] = (std::abs(x - 32) < 3 && std::abs(y - 32) < 3) ? 255 : 0;
    });
    EXPECT_EQ(run(*radblur, centre).at(32, 32)[0], 255);
    radblur->setParam(2, 0.9f);
}

TEST_F(PostProcGLTest, FilmUniforms)
{
    film->apply(kSize, kSize, 0.0f);
    EXPECT_FLOAT_EQ(uniform("time", 1)[0], 999.9953f);
    EXPECT_FLOAT_EQ(uniform("Contrast", 1)[0], 1.0f);
    film->apply(kSize, kSize, 4.0f);
    EXPECT_NEAR(uniform("time", 1)[0], 1003.9953f, 1e-3);
    const char* names[] = {"Color", "Monochrome", "BrownSepia", "GreenSepia", "BlueSepia",
                           "Contrast", "Brightness", "FilmgrainAmount", "ScanlineAmount"};
    for (int j = 0; j < 9; ++j)
        film->setParam(j, 0.1f * (j + 1));
    film->apply(kSize, kSize, 0.0f);
    for (int j = 0; j < 9; ++j) {
        EXPECT_FLOAT_EQ(uniform(names[j], 1)[0], 0.1f * (j + 1) + (j == 5 ? 1.0f : 0.0f))
            << names[j];
    }
    const float defaults[] = {1, 0, 0, 0, 0, 0, 0, 0, 0};
    for (int j = 0; j < 9; ++j)
        film->setParam(j, defaults[j]);
}

// Each film parameter does what its name says to a coloured test picture.
TEST_F(PostProcGLTest, FilmLooks)
{
    const Picture colour = make_picture([](int, int, std::uint8_t* p) {
        p[0] = 200;
        p[1] = 100;
        p[2] = 50;
    });
    auto with = [&](int param, float value, const Picture& in) {
        film->setParam(param, value);
        Picture out = run(*film, in);
        film->setParam(param, param == 0 ? 1.0f : 0.0f);
        return out;
    };
    const Picture same = run(*film, colour);
    EXPECT_NEAR(same.at(5, 5)[0], 200, 1);
    EXPECT_NEAR(same.at(5, 5)[1], 100, 1);
    EXPECT_NEAR(same.at(5, 5)[2], 50, 1);

    for (auto [param, value] : {std::pair{0, 0.0f}, std::pair{1, 1.0f}}) {  // no colour, monochrome
        const auto* p = with(param, value, colour).at(5, 5);
        EXPECT_NEAR(p[0], p[1], 1);
        EXPECT_NEAR(p[1], p[2], 1);
    }
    const auto* brown = with(2, 1.0f, kGrey).at(5, 5);
    EXPECT_GT(brown[0], brown[1] + 10);
    EXPECT_GT(brown[1], brown[2] + 10);
    const auto* green = with(3, 1.0f, kGrey).at(5, 5);
    EXPECT_GT(green[1], green[0] + 10);
    EXPECT_GT(green[1], green[2] + 10);
    const auto* blue = with(4, 1.0f, kGrey).at(5, 5);
    EXPECT_GT(blue[2], blue[1] + 10);
    EXPECT_GT(blue[1], blue[0] + 10);

    const auto* contrast = with(5, 1.0f, colour).at(5, 5);  // gain 2 around mid grey
    EXPECT_NEAR(contrast[0], 255, 1);
    EXPECT_NEAR(contrast[1], 72, 2);
    EXPECT_NEAR(contrast[2], 0, 1);
    EXPECT_NEAR(with(6, 0.2f, kGrey).at(5, 5)[0], 179, 2);  // brightness

    const Picture lines = with(8, 1.0f, kGrey);  // every other line dark
    for (int y = 0; y < 6; ++y)
        EXPECT_NEAR(lines.at(7, y)[0], y % 2 ? 0 : 128, 1) << y;

    // Grain: a flat picture gets noise, which moves with the beat.
    film->setParam(7, 0.5f);
    const Picture a = run(*film, kGrey, kSize, kSize, 0.0f);
    const Picture b = run(*film, kGrey, kSize, kSize, 1.0f);
    film->setParam(7, 0.0f);
    std::set<int> values;
    int moved = 0;
    for (int i = 0; i < kSize * kSize; ++i) {
        values.insert(a.rgba[i * 4]);
        moved += a.rgba[i * 4] != b.rgba[i * 4];
    }
    EXPECT_GT(values.size(), 40u);
    EXPECT_GT(moved, kSize * kSize / 2);
}

}  // namespace
