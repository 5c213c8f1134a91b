// The vector engine in a real context: page placement at several aspect
// ratios, scale and offset, the state it leaves, and drawing order.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "support/fatal_message.h"
#include "support/gl_context.h"
#include "util/vectorengine/path.h"
#include "util/vectorengine/vectorengine.h"

namespace {

const std::uint32_t kRed = 0xFF0000FFu;
const std::uint32_t kGreen = 0x00FF00FFu;
const std::uint32_t kBlue = 0x0000FFFFu;
const std::uint32_t kBlack = 0x000000FFu;

std::unique_ptr<Path> square(float x, float y, float size, const vec3& color, bool stroke = false)
{
    auto path = std::make_unique<Path>("square", stroke, !stroke, color, color);
    path->moveTo(x, y);
    path->lineTo(x + size, y);
    path->lineTo(x + size, y + size);
    path->lineTo(x, y + size);
    path->close();
    return path;
}

class VectorEngineGL : public gltest::GLTest {
protected:
    // Colour (alpha ignored) at (x, y) from the viewport's top-left corner.
    std::uint32_t at(int x, int y) const { return gltest::read_pixel(vx + x, vy + vh - 1 - y) | 0xFFu; }

    void viewport(int w, int h)
    {
        vx = 0;
        vy = 0;
        vw = w;
        vh = h;
        glViewport(vx, vy, vw, vh);
    }

    int vx = 0, vy = 0, vw = 256, vh = 256;
};

}

TEST_F(VectorEngineGL, PageCornersFillTheViewportAtAnyAspect)
{
    for (const auto& [w, h] : {std::pair{200, 200}, std::pair{256, 128}, std::pair{96, 256}}) {
        gltest::reset_state();
        viewport(w, h);
        VectorEngine engine;
        auto topLeft = square(0, 0, 10, vec3(1, 0, 0));
        auto bottomRight = square(190, 190, 10, vec3(0, 1, 0));
        engine.addPath(topLeft.get());
        engine.addPath(bottomRight.get());
        engine.render();
        EXPECT_EQ(kRed, at(1, 1)) << w << "x" << h;
        EXPECT_EQ(kGreen, at(w - 2, h - 2)) << w << "x" << h;
        EXPECT_EQ(kBlack, at(w / 2, h / 2)) << w << "x" << h;
        EXPECT_EQ(kBlack, at(w - 2, 1)) << w << "x" << h;
    }
}

TEST_F(VectorEngineGL, ScaleAndOffset)
{
    viewport(200, 200);
    auto path = square(90, 90, 10, vec3(0, 0, 1));
    {
        // Scale 2 shows the top-left quarter: (90..100) lands bottom right.
        VectorEngine engine;
        engine.setScale(2, 2);
        engine.addPath(path.get());
        engine.render();
        EXPECT_EQ(kBlue, at(199 - 5, 199 - 5));
        EXPECT_EQ(kBlack, at(100, 100));
    }
    gltest::reset_state();
    viewport(200, 200);
    auto corner = square(0, 100, 10, vec3(0, 0, 1));
    {
        VectorEngine engine;
        engine.addPath(corner.get());
        engine.setOffset(0.5f, 0);
        engine.render();
        EXPECT_EQ(kBlue, at(105, 105)); // moved right by half the width
        gltest::reset_state();
        viewport(200, 200);
        engine.setOffset(0, -0.5f);
        engine.render();
        EXPECT_EQ(kBlue, at(5, 5)); // moved up by half the height
        EXPECT_EQ(kBlack, at(5, 105));
    }
}

TEST_F(VectorEngineGL, ZeroScaleDrawsNothing)
{
    viewport(200, 200);
    auto path = square(0, 0, 200, vec3(1, 0, 0));
    VectorEngine engine;
    engine.addPath(path.get());
    engine.setScale(0, 1);
    engine.render();
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
    EXPECT_EQ(kBlack, at(100, 100));
}

TEST_F(VectorEngineGL, LeavesTheStateItSetsUp)
{
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_TEXTURE_CUBE_MAP);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glMatrixMode(GL_TEXTURE);
    VectorEngine engine;
    engine.render();
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_CUBE_MAP));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    GLint mode = 0, program = 0, depth = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    EXPECT_EQ(GL_TEXTURE, mode);
    EXPECT_NE(0, program);
    EXPECT_EQ(1, depth);
    glMatrixMode(GL_MODELVIEW);
    // A second engine renders with the same (one) program.
    VectorEngine second;
    second.render();
    GLint secondProgram = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &secondProgram);
    EXPECT_EQ(program, secondProgram);
    EXPECT_EQ(GLenum(GL_NO_ERROR), glGetError());
}

TEST_F(VectorEngineGL, DrawOrderFillUnderStrokeAndHiddenPaths)
{
    viewport(200, 200);
    auto red = square(20, 20, 100, vec3(1, 0, 0));
    auto hidden = square(0, 0, 200, vec3(1, 1, 1));
    auto green = square(60, 60, 100, vec3(0, 1, 0));
    hidden->setVisible(false);
    auto outlined = std::make_unique<Path>("outlined", true, true, vec3(0, 0, 1), vec3(1, 0, 0));
    outlined->moveTo(150, 20);
    outlined->lineTo(190, 20);
    outlined->lineTo(190, 50);
    outlined->close();
    VectorEngine engine;
    for (Path* p : {red.get(), hidden.get(), green.get(), outlined.get()})
        engine.addPath(p);
    engine.render();
    EXPECT_EQ(kRed, at(30, 30));
    EXPECT_EQ(kGreen, at(100, 100)); // the later path covers the earlier
    EXPECT_EQ(kBlack, at(5, 190));   // the hidden path draws nothing
    EXPECT_EQ(kBlue, at(170, 20));   // stroke over the fill's edge
    EXPECT_EQ(kRed, at(182, 35));    // fill inside the triangle
    EXPECT_EQ(5u, hidden->getSegmentCount());
    EXPECT_TRUE(hidden->dirty); // never built
}

TEST_F(VectorEngineGL, GeometryIsBuiltOnceAtFirstDraw)
{
    viewport(200, 200);
    auto path = std::make_unique<Path>("line", true, false, vec3(1, 1, 1), vec3(1, 1, 1));
    path->lineTo(100, 0);
    VectorEngine engine;
    engine.addPath(path.get());
    engine.render();
    EXPECT_EQ(2u, path->getSegmentCount()); // the leading move was added
    EXPECT_EQ(0xFFFFFFFFu, at(50, 2));      // from the origin to (100, 0)
    path->lineTo(100, 100);                 // added after the first draw: ignored
    gltest::reset_state();
    viewport(200, 200);
    engine.render();
    EXPECT_EQ(kBlack, at(102, 50));
}

TEST_F(VectorEngineGL, UnknownSegmentTypeStops)
{
    testsupport::ThrowingFatalErrors fatalErrors;
    struct Odd : Vectors::Segment {
        Odd() : Segment(5) {}
    };
    Path path("odd", true, true, vec3(1, 1, 1), vec3(1, 1, 1));
    Odd* odd = new Odd();
    EXPECT_EQ("Invalid segment type for copy constructor!", testsupport::fatal_message([&] { path.addSegment(odd); }));
    ASSERT_EQ(1u, path.original_segments.size()); // kept (and owned) before the check
    EXPECT_EQ(0u, path.getSegmentCount());
}

// The stroke of a path whose point list is not whole triplets stops with the
// path's source named.
TEST_F(VectorEngineGL, MalformedStrokeInputStopsNamingThePath)
{
    testsupport::ThrowingFatalErrors fatalErrors;
    Path path("broken", true, false, vec3(1, 1, 1), vec3(1, 1, 1));
    path.points = {0, 0, 0, 10};
    std::vector<unsigned> starts;
    try {
        path.buildStroke({0}, starts);
        ADD_FAILURE() << "buildStroke did not stop";
    } catch (const FatalErrorException& e) {
        EXPECT_STREQ("Stroke input vertices not divisible by 3, got 4 verts.", e.what());
        EXPECT_EQ("src\\util\\vectorengine\\path.cpp", e.sourcePath);
    }
}
