// The particle system in a real context: the easing table, the walk through
// shapes (first morph, forward, backward, wrapping), loose and exact laying,
// the mended limits (no shapes, negative positions, one-point shapes, counts
// of 0 and past the drawable), a one-particle read-back and the vertex
// buffer the depth sort writes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "effects/particles/particles.h"
#include "effect_fixtures.h"
#include "util/math/random.h"

namespace {

using Effects::Particles;
using testsupport::fatal_message;

class ParticlesGLTest : public effecttest::EffectGLTest {
protected:
    // An exact shape whose point i is base + i x step.
    static void add_line_shape(Particles& p, vec3 base, vec3 step, float scale = 1.0f)
    {
        Effects::ParticleShape& s = p.addShape(1.0f, true);
        for (std::size_t i = 0; i < p.count(); ++i) {
            s.verts[3 * i] = base.x + step.x * float(i);
            s.verts[3 * i + 1] = base.y + step.y * float(i);
            s.verts[3 * i + 2] = base.z + step.z * float(i);
        }
        s.scale = scale;
    }

    static vec3 point(const Particles& p, std::size_t shape, std::size_t i)
    {
        const auto& v = p.shapes[shape].verts;
        const float s = p.shapes[shape].scale;
        return vec3(v[3 * i] * s, v[3 * i + 1] * s, v[3 * i + 2] * s);
    }

    static void expect_near(const vec3& got, const vec3& want, const char* what)
    {
        EXPECT_NEAR(got.x, want.x, 1e-5f) << what;
        EXPECT_NEAR(got.y, want.y, 1e-5f) << what;
        EXPECT_NEAR(got.z, want.z, 1e-5f) << what;
    }

    static std::vector<float> buffer_contents(const Particles& p)
    {
        std::vector<float> v((p.positions_bytes + p.texcoords_bytes + p.colors_bytes) / sizeof(float));
        glBindBuffer(GL_ARRAY_BUFFER, p.vbo);
        glGetBufferSubData(GL_ARRAY_BUFFER, 0, GLsizeiptr(v.size() * sizeof(float)), v.data());
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        return v;
    }

    // Every particle moves from the start shape's point to the target
    // shape's by t.
    static void expect_morph(const Particles& p, std::size_t start, std::size_t target, float t, const char* what)
    {
        for (std::size_t i = 0; i < p.count(); ++i) {
            expect_near(p.particle(i).start, point(p, start, i), what);
            expect_near(p.particle(i).target, point(p, target, i), what);
            vec3 want;
            want.lerp(point(p, start, i), point(p, target, i), t);
            expect_near(p.particle(i).current, want, what);
        }
    }
};

TEST_F(ParticlesGLTest, EasingTable)
{
    struct Case {
        float t;
        unsigned power;
        float want;
    };
    const Case cases[] = {
        {0.25f, 0, 0.25f}, {0.7f, 0, 0.7f},      {0.25f, 1, 0.14644661f}, {0.75f, 1, 0.85355339f},
        {0.5f, 1, 0.5f},   {0.5f, 3, 0.5f},      {0.5f, 7, 0.5f},         {0.0f, 3, 0.0f},
        {1.0f, 3, 1.0f},   {0.25f, 2, 0.0428932f}, {0.1f, 3, 0.0000586f},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(Particles::ease(c.t, c.power), c.want, 1e-4f) << c.t << " power " << c.power;
}

TEST_F(ParticlesGLTest, ConstructionSeedsTheGeneratorAndAddShapeCapturesStarts)
{
    velmo_srand(12345);
    Particles p(vec3(0.2f, 0.5f, 1.0f), 5, "");
    const int afterSeven = [] {
        velmo_srand(7);
        return velmo_rand();
    }();
    velmo_srand(7);
    Particles q(vec3(1, 1, 1), 5, "");
    EXPECT_EQ(velmo_rand(), afterSeven);

    EXPECT_EQ(p.count(), 5u);
    EXPECT_FLOAT_EQ(p.size, 0.25f);
    EXPECT_EQ(p.current_shape, -1);
    EXPECT_FALSE(p.depth_sort);
    EXPECT_EQ(p.positions_bytes, 5u * 48);
    EXPECT_EQ(p.texcoords_bytes, 5u * 32);
    EXPECT_EQ(p.colors_bytes, 5u * 64);

    Effects::ParticleShape& s = p.addShape(5.0f, true);
    EXPECT_FLOAT_EQ(s.scale, 1.0f);
    EXPECT_TRUE(s.exact);
    ASSERT_EQ(s.verts.size(), 15u);
    for (std::size_t i = 0; i < 5; ++i) {
        const vec3 v(s.verts[3 * i], s.verts[3 * i + 1], s.verts[3 * i + 2]);
        EXPECT_NEAR(v.length(), 5.0f, 1e-4f);
        expect_near(p.particle(i).start, v, "start is the captured point");
        expect_near(p.particle(i).current, vec3(0, 0, 0), "current untouched");
    }
}

TEST_F(ParticlesGLTest, WalkThroughShapes)
{
    Particles p(vec3(1, 1, 1), 4, "");
    add_line_shape(p, vec3(0, 0, 0), vec3(1, 0, 0));
    add_line_shape(p, vec3(0, 10, 0), vec3(0, 1, 0));
    add_line_shape(p, vec3(0, 0, 20), vec3(0, 0, 1), 2.0f);

    // First morph: start shape 0, target shape 1.
    p.morph(0.2f, 0);
    expect_morph(p, 0, 1, 0.2f, "first");
    // Forward: start = the previous target, target = shape 2 (scaled by 2);
    // an eased half is a half.
    p.morph(1.5f, 3);
    expect_morph(p, 1, 2, 0.5f, "forward");
    // Backward: target = the previous start, start = shape 0.
    p.morph(0.7f, 0);
    expect_morph(p, 0, 1, 0.7f, "backward");
    EXPECT_EQ(p.current_shape, 0);
    EXPECT_FLOAT_EQ(p.last_position, 0.7f);

    // Same shape index: only the fraction moves.
    p.morph(0.1f, 0);
    EXPECT_EQ(p.current_shape, 0);
    EXPECT_FLOAT_EQ(p.last_position, 0.7f);
}

TEST_F(ParticlesGLTest, PositionsWrapAroundTheShapeList)
{
    struct Case {
        float position;
        int a;
        std::size_t start, target;
    };
    // Two or three shapes; positions past the end and at or below -1 (which
    // used to index a negative shape) wrap into the list.
    const Case cases[] = {{2.3f, 0, 0, 1}, {-1.0f, 1, 1, 0}, {-1.5f, 1, 1, 0}, {-4.2f, 0, 0, 1}};
    for (const Case& c : cases) {
        Particles p(vec3(1, 1, 1), 3, "");
        add_line_shape(p, vec3(0, 0, 0), vec3(1, 0, 0));
        add_line_shape(p, vec3(5, 5, 5), vec3(0, 1, 0));
        p.morph(c.position, 0);
        EXPECT_EQ(p.current_shape, c.a) << c.position;
        expect_morph(p, c.start, c.target, c.position - std::trunc(c.position), "wrapped");
    }
}

TEST_F(ParticlesGLTest, MorphWithoutShapesOrWithNonFinitePositionsLeavesParticles)
{
    Particles p(vec3(1, 1, 1), 3, "");
    p.morph(0.5f, 3);  // used to divide by zero
    EXPECT_EQ(p.current_shape, -1);
    add_line_shape(p, vec3(1, 2, 3), vec3(1, 0, 0));
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()})
        p.morph(bad, 0);
    EXPECT_EQ(p.current_shape, -1);
    for (std::size_t i = 0; i < 3; ++i)
        expect_near(p.particle(i).current, vec3(0, 0, 0), "never moved");
}

TEST_F(ParticlesGLTest, LooseShapes)
{
    Particles p(vec3(1, 1, 1), 50, "");
    // Two points: every particle on the segment between them.
    p.applyShape(2, {0, 0, 0, 2, 4, 6}, false);
    for (std::size_t i = 0; i < p.count(); ++i) {
        const vec3& v = p.particle(i).start;
        EXPECT_NEAR(v.y, 2 * v.x, 1e-4f);
        EXPECT_NEAR(v.z, 3 * v.x, 1e-4f);
        EXPECT_GE(v.x, 0.0f);
        EXPECT_LE(v.x, 2.0f);
        expect_near(p.particle(i).target, v, "dst 2 writes both ends alike");
    }
    // One point: every particle takes it (it used to read past the list).
    p.applyShape(1, {7, 8, 9}, false);
    for (std::size_t i = 0; i < p.count(); ++i)
        expect_near(p.particle(i).target, vec3(7, 8, 9), "one-point shape");
    // A triangle list: particles on the edges 0-1 and 1-2 of each triangle,
    // never on the joint 2-3 between triangles.
    const std::vector<float> tris = {0, 0, 0, 1, 0, 0, 1, 1, 0, 10, 10, 10, 11, 10, 10, 11, 11, 10};
    p.applyShape(0, tris, false);
    for (std::size_t i = 0; i < p.count(); ++i) {
        const vec3& v = p.particle(i).start;
        auto near = [](float a, float b) { return std::fabs(a - b) < 1e-5f; };
        auto within = [](float a, float lo, float hi) { return a >= lo - 1e-5f && a <= hi + 1e-5f; };
        const bool first = near(v.z, 0) && ((near(v.y, 0) && within(v.x, 0, 1)) || (near(v.x, 1) && within(v.y, 0, 1)));
        const bool second =
            near(v.z, 10) && ((near(v.y, 10) && within(v.x, 10, 11)) || (near(v.x, 11) && within(v.y, 10, 11)));
        EXPECT_TRUE(first || second) << v.x << " " << v.y << " " << v.z;
    }

    EXPECT_EQ(fatal_message([&] { p.applyShape(0, {}, false); }), "Failed assert verts.size() > 0");
    EXPECT_EQ(fatal_message([&] { p.applyShape(0, {1, 2, 3, 4}, false); }), "Failed assert verts.size() % 3 == 0");
    EXPECT_EQ(fatal_message([&] { p.applyShape(0, {1, 2, 3}, true); }),
              "Failed assert verts.size() == particles.size() * 3");
    EXPECT_EQ(fatal_message([&] { p.applyShape(3, std::vector<float>(150), true); }),
              "Failed assert dst >= 0 && dst <= 2");
    EXPECT_EQ(fatal_message([&] { p.scaleVectors(0, 2, 1.0f); }), "Failed assert src >= 0 && src <= 1");
    EXPECT_EQ(fatal_message([&] { p.scatter(-1, 1.0f); }), "Failed assert dst >= 0 && dst <= 2");
}

// The largest draw the generator gives lands on the last segment of a
// loose shape, never on its last point's index (whose segment would end on
// the point past the shape), at sizes where the float bound rounds up.
TEST_F(ParticlesGLTest, LooseShapesOfManyPointsStayInsideThem)
{
    unsigned seed = 0;  // a seed whose first draw is the largest
    for (velmo_srand(seed); velmo_rand() != VELMO_RAND_MAX; velmo_srand(++seed)) {
    }
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Particles p(vec3(1, 1, 1), 16, "");
    for (const std::size_t points : {std::size_t(100000), std::size_t(1000000)}) {
        SCOPED_TRACE(points);
        std::vector<float> verts;
        verts.reserve(3 * points + 3);
        for (std::size_t i = 0; i < points; ++i)
            verts.insert(verts.end(), {float(i), 1.0f, 2.0f});
        verts.insert(verts.end(), {nan, nan, nan});  // a sentinel just past the shape's end
        verts.resize(3 * points);
        velmo_srand(seed);
        p.applyShape(0, verts, false);
        for (std::size_t i = 0; i < p.count(); ++i) {
            const vec3& v = p.particle(i).start;
            ASSERT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z)) << "particle " << i;
            EXPECT_LT(v.x, float(points) - 0.5f);
            EXPECT_EQ(v.y, 1.0f);
        }
    }
}

TEST_F(ParticlesGLTest, CountsOfZeroAndPastTheDrawableLimit)
{
    Particles none(vec3(1, 1, 1), 0, "");
    none.addShape(3.0f, false);
    none.morph(0.0f, 3);
    none.render(0.0f);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_EQ(fatal_message([] { Particles huge(vec3(1, 1, 1), 0xFFFFFFFFu, ""); }),
              "Too many particles: 4294967295 (at most 536870911)");
    EXPECT_NE(fatal_message([] { Particles missing(vec3(1, 1, 1), 1, "data/common/images/missing.png"); })
                  .find("missing.png"),
              std::string::npos);
}

TEST_F(ParticlesGLTest, OneParticleReadBack)
{
    glViewport(0, 0, 64, 64);
    Particles p(vec3(0.2f, 0.5f, 1.0f), 1, "");
    Effects::ParticleShape& s = p.addShape(1.0f, true);
    s.verts = {0, 0, 0};
    p.size = 0.5f;
    p.morph(0.0f, 3);
    p.render(0.0f);

    // A square of side 0.5 around the centre: 16 pixels of 64. The sprite
    // is bright at its centre and empty at its rim; its alpha scales the
    // colour (additive blending onto black).
    const std::uint32_t centre = gltest::read_pixel(32, 32);
    const int r = int(centre >> 24);
    EXPECT_GE(r, 51 * 7 / 10);
    EXPECT_LE(r, 52);
    EXPECT_NEAR(int((centre >> 16) & 255), r * 5 / 2, 3);
    EXPECT_NEAR(int((centre >> 8) & 255), r * 5, 6);
    EXPECT_EQ(gltest::read_pixel(22, 32) & 0xFFFFFF00u, 0u);
    EXPECT_EQ(gltest::read_pixel(10, 50) & 0xFFFFFF00u, 0u);

    // The model matrix moves it; additive blending doubles a second draw.
    glClear(GL_COLOR_BUFFER_BIT);
    p.model_matrix.translate(0.5f, 0.0f, 0.0f);
    p.render(0.0f);
    p.render(0.0f);
    EXPECT_EQ(gltest::read_pixel(32, 32) & 0xFFFFFF00u, 0u);
    EXPECT_NEAR(int(gltest::read_pixel(48, 32) >> 24), 2 * r, 2);

    GLint src = 0, dst = 0;
    glGetIntegerv(GL_BLEND_SRC_RGB, &src);
    glGetIntegerv(GL_BLEND_DST_RGB, &dst);
    EXPECT_EQ(src, GL_SRC_ALPHA);
    EXPECT_EQ(dst, GL_ONE);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
}

TEST_F(ParticlesGLTest, DepthSortedBufferIsFarthestFirst)
{
    glViewport(0, 0, 64, 64);
    Particles p(vec3(0.25f, 0.5f, 0.75f), 3, "");
    Effects::ParticleShape& s = p.addShape(1.0f, true);
    s.verts = {1, 0, -1, 2, 0, -5, 3, 0, -3};
    p.morph(0.0f, 0);

    auto positions_in_slots = [&] {
        const std::vector<float> v = buffer_contents(p);
        std::vector<vec3> out;
        for (int j = 0; j < 3; ++j) {
            for (int k = 1; k < 4; ++k)
                for (int c = 0; c < 3; ++c)
                    EXPECT_EQ(v[j * 12 + k * 3 + c], v[j * 12 + c]) << "every corner carries the point";
            out.emplace_back(v[j * 12], v[j * 12 + 1], v[j * 12 + 2]);
        }
        // Texture coordinates and colours do not depend on the order.
        const float corners[8] = {0, 0, 1, 0, 1, 1, 0, 1};
        for (int j = 0; j < 3; ++j)
            for (int c = 0; c < 8; ++c)
                EXPECT_EQ(v[36 + j * 8 + c], corners[c]);
        for (int j = 0; j < 12; ++j) {
            EXPECT_FLOAT_EQ(v[60 + j * 4], 0.25f);
            EXPECT_FLOAT_EQ(v[60 + j * 4 + 1], 0.5f);
            EXPECT_FLOAT_EQ(v[60 + j * 4 + 2], 0.75f);
            EXPECT_FLOAT_EQ(v[60 + j * 4 + 3], 1.0f);
        }
        return out;
    };

    p.render(0.0f);
    auto unsorted = positions_in_slots();
    EXPECT_FLOAT_EQ(unsorted[0].z, -1.0f);
    EXPECT_FLOAT_EQ(unsorted[1].z, -5.0f);
    EXPECT_FLOAT_EQ(unsorted[2].z, -3.0f);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));

    // A camera moved along z keeps the order; the points come back in the
    // particles' own space.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -2.0f);
    p.depth_sort = true;
    p.render(0.0f);
    auto sorted = positions_in_slots();
    expect_near(sorted[0], vec3(2, 0, -5), "farthest first");
    expect_near(sorted[1], vec3(3, 0, -3), "middle");
    expect_near(sorted[2], vec3(1, 0, -1), "nearest last");
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLint dst = 0;
    glGetIntegerv(GL_BLEND_DST_RGB, &dst);
    EXPECT_EQ(dst, GL_ONE);
    // Client arrays and the buffer binding are left off.
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_COLOR_ARRAY));
    GLint bound = -1;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);
}

}  // namespace
