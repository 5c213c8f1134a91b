// The light's values without a GL context: defaults, attenuation, shadow
// range, face matrices, and the checks on bad input.
#include <gtest/gtest.h>

#include <cmath>

#include "support/fatal_message.h"
#include "util/objects3d/light.h"

namespace {

using testsupport::fatal_message;

TEST(Light, NewLight)
{
    Light l;
    const vec3 a = l.get_attenuation();
    EXPECT_FLOAT_EQ(a.x, 1.0f);
    EXPECT_NEAR(a.y, 1.0f / (std::sqrt(300.0f) * 10.0f), 1e-7f);
    EXPECT_FLOAT_EQ(a.z, 0.0f);
    EXPECT_FLOAT_EQ(l.shadow_near, 0.01f);
    EXPECT_FLOAT_EQ(l.shadow_far, 20.0f);
    EXPECT_EQ(l.shadow_map_size, 2048);
    EXPECT_EQ(l.get_type(), 1);
    EXPECT_FALSE(l.shadows);
    EXPECT_EQ(l.shadow_cube_texture, 0u);
    EXPECT_FLOAT_EQ(l.get_diffuse().x, 1.0f);
}

TEST(Light, AttenuationAndRanges)
{
    Light l;
    l.set_attenuation_range(40);
    EXPECT_FLOAT_EQ(l.get_attenuation().y, 0.005f);
    l.set_position(1, 2, 3);
    l.set_attenuation_from_point(vec3(1, 2, 13));
    EXPECT_FLOAT_EQ(l.get_attenuation().y, 0.01f);
    l.set_shadow_range(100);
    EXPECT_FLOAT_EQ(l.shadow_near, 0.1f);
    EXPECT_FLOAT_EQ(l.shadow_far, 200.0f);
    mat4 p;
    p.perspective(90, 1, 0.1f, 200);
    for (int i = 0; i < 16; i++)
        EXPECT_EQ(l.get_projection_matrix().get(i), p.get(i));
    // The view matrix is the translation by minus the position.
    vec3 origin(1, 2, 3);
    l.get_view_matrix().transformPoint(origin);
    EXPECT_FLOAT_EQ(origin.length(), 0.0f);
}

TEST(Light, BadValuesAreRefusedInsteadOfDividingByZero)
{
    testsupport::ThrowingFatalErrors fatal;
    Light l;
    l.set_position(5, 0, 0);
    EXPECT_EQ(fatal_message([&] { l.set_attenuation_from_point(vec3(5, 0, 0)); }),
              "Light attenuation point (5, 0, 0) lies at the light");
    EXPECT_EQ(fatal_message([&] { l.set_attenuation_range(0); }), "Light attenuation range must be above 0, not 0");
    EXPECT_EQ(fatal_message([&] { l.set_shadow_range(0); }), "Light shadow range must be above 0, not 0");
    EXPECT_EQ(fatal_message([&] { l.set_near_far(1, 1); }),
              "Light shadow near/far must satisfy 0 < near < far, not 1/1");
    // Nothing changed.
    EXPECT_FLOAT_EQ(l.shadow_far, 20.0f);
    EXPECT_TRUE(std::isfinite(l.get_attenuation().y));
}

TEST(Light, FacesLookAlongTheCubeAxes)
{
    // A light at (5, 0, 0): a caster at the origin lies straight ahead
    // (negative eye z) in face 1, the negative X face, and behind face 0.
    Light l;
    l.set_position(5, 0, 0);
    for (int face = 0; face < 6; face++) {
        vec3 p(0, 0, 0);
        (l.face_matrices[face] * l.get_view_matrix()).transformPoint(p);
        if (face == 1) {
            EXPECT_NEAR(p.z, -5.0f, 1e-5f);
            EXPECT_NEAR(p.x, 0.0f, 1e-5f);
            EXPECT_NEAR(p.y, 0.0f, 1e-5f);
        } else {
            EXPECT_GT(p.z, -4.0f) << "face " << face;
        }
    }
}

TEST(Light, WithoutShadowsFacesAndSizesTouchNothing)
{
    Light l;
    for (int face : {-1, 0, 6}) {
        const mat4 m = l.begin_shadow_face(face);
        EXPECT_EQ(m.get(0), 1.0f);
        EXPECT_EQ(m.get(12), 0.0f);
        l.end_shadow_face();
    }
    // No cube map yet: the size is only recorded.
    l.set_size(1280, 720);
    EXPECT_EQ(l.last_width, 1280);
    EXPECT_EQ(l.last_height, 720);
    EXPECT_EQ(l.shadow_map_size, 2048);
}

}  // namespace
