// RenderContext::apply in a real context: the program it picks and caches,
// the texture units of the samplers, the light uniforms in eye space, the
// depth-write mask and the checks on the light list.
#include "objects3d_fixture.h"

#include "util/shaderprogram/shaderprogram.h"
#include "util/texture/texture.h"

namespace {

using objects3dtest::Objects3DGL;
using testsupport::fatal_message;

class RenderContextGL : public Objects3DGL {
protected:
    void SetUp() override
    {
        Objects3DGL::SetUp();
        camera.look_at(0, 0, 5, 0, 0, 0, 0, 1, 0);
        camera.setup(64, 64, 1.0f, 1.0f);
        for (Texture* t : {&diffuse, &normal, &emission, &glow})
            ASSERT_TRUE(t->create_empty(4, 4, false, true, GL_RGBA8));
    }

    GLuint current_program()
    {
        GLint p = 0;
        glGetIntegerv(GL_CURRENT_PROGRAM, &p);
        return static_cast<GLuint>(p);
    }
    int sampler_unit(const char* name)
    {
        const GLuint p = current_program();
        const GLint at = glGetUniformLocation(p, name);
        if (at < 0)
            return -1;
        GLint unit = -1;
        glGetUniformiv(p, at, &unit);
        return unit;
    }

    Camera camera;
    Texture diffuse, normal, emission, glow;
    const std::vector<mat4> one{mat4()};
    const std::vector<mat4> three{mat4(), mat4(), mat4()};
};

TEST_F(RenderContextGL, SamplersTakeUnitsInOrder)
{
    RenderContext rc;
    Light light;
    Material m;
    m.diffuse_texture = &diffuse;
    m.normal_texture = &normal;
    m.emission_texture = &emission;
    m.glow_texture = &glow;

    rc.set_light(&light);
    rc.set_shadow_pass(true);
    rc.apply(DRAW_MODE_SHADOW_LIGHTING, true, one, &m, &camera, true);
    EXPECT_EQ(sampler_unit("ShadowMap"), 0);
    EXPECT_EQ(sampler_unit("DiffuseMap"), 1);
    EXPECT_EQ(sampler_unit("NormalMap"), 2);
    EXPECT_EQ(sampler_unit("EmissionMap"), -1) << "no emission in the lighting pass";
    GLint bound = 0;
    glActiveTexture(GL_TEXTURE2);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), normal.get_id());

    rc.set_shadow_pass(false);
    rc.apply(DRAW_MODE_NORMAL, true, one, &m, &camera, true);
    EXPECT_EQ(sampler_unit("EmissionMap"), 0);
    EXPECT_EQ(sampler_unit("DiffuseMap"), 1);
    EXPECT_EQ(sampler_unit("NormalMap"), 2);

    // A mesh without tangents: no normal map, and its unit is not taken.
    rc.apply(DRAW_MODE_NORMAL, true, one, &m, &camera, false);
    EXPECT_EQ(sampler_unit("NormalMap"), -1);

    rc.clear_lights();
    rc.apply(DRAW_MODE_GLOW, true, one, &m, &camera, true);
    EXPECT_EQ(sampler_unit("GlowMap"), 0);
    glActiveTexture(GL_TEXTURE0);
}

TEST_F(RenderContextGL, LightsArriveInEyeSpaceInListOrder)
{
    RenderContext rc;
    Light a, b;
    a.set_position(1, 2, 3);
    b.set_position(-4, 0, 1);
    b.set_diffuse(0.25f, 0.5f, 0.75f, 1);
    b.set_attenuation_range(40);
    rc.set_lights({&a, &b});
    Material m;
    rc.apply(DRAW_MODE_NORMAL, false, one, &m, &camera);
    const GLuint p = current_program();
    float position[3], diffuse_[4], attenuation[3];
    glGetUniformfv(p, glGetUniformLocation(p, "LightPosition[1]"), position);
    glGetUniformfv(p, glGetUniformLocation(p, "LightDiffuse[1]"), diffuse_);
    glGetUniformfv(p, glGetUniformLocation(p, "LightAttenuation[1]"), attenuation);
    // The camera at z = 5 looking down -z: eye space is world space moved by -5 in z.
    EXPECT_FLOAT_EQ(position[0], -4.0f);
    EXPECT_FLOAT_EQ(position[1], 0.0f);
    EXPECT_FLOAT_EQ(position[2], -4.0f);
    EXPECT_FLOAT_EQ(diffuse_[2], 0.75f);
    EXPECT_FLOAT_EQ(attenuation[1], 0.005f);
}

TEST_F(RenderContextGL, ProgramsAreCachedByKey)
{
    RenderContext rc;
    Material a, b;
    b.name = "other";
    rc.apply(DRAW_MODE_NORMAL, false, one, &a, &camera);
    const GLuint first = current_program();
    rc.apply(DRAW_MODE_NORMAL, false, one, &b, &camera);
    EXPECT_EQ(current_program(), first) << "same textures, lights and mode: one program";
    rc.apply(DRAW_MODE_NORMAL, false, three, &a, &camera);
    EXPECT_NE(current_program(), first) << "instanced: its own program";
    EXPECT_EQ(rc.shader_cache.size(), 2u);
}

TEST_F(RenderContextGL, DepthWritesFollowTheUploadedAlpha)
{
    RenderContext rc;
    Material m;
    for (int mode : {0, 1, 4}) {
        struct Case {
            float alpha, tint;
            GLboolean writes;
        };
        for (const Case& c : {Case{0.99f, 0, GL_TRUE}, Case{0.98f, 0, GL_FALSE}, Case{1.0f, -0.5f, GL_FALSE}}) {
            m.diffuse.w = c.alpha;
            m.tint.w = c.tint;
            rc.apply(mode, false, one, &m, &camera);
            GLboolean mask = 2;
            glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
            EXPECT_EQ(mask, c.writes) << "mode " << mode << " alpha " << c.alpha << " tint " << c.tint;
        }
    }
    glDepthMask(GL_TRUE);
}

TEST_F(RenderContextGL, DepthWriteAndShadowDrawsNeedExactlyOneLight)
{
    RenderContext rc;
    Material m;
    Light a, b;
    EXPECT_EQ(fatal_message([&] { rc.apply(DRAW_MODE_SHADOW_DEPTHWRITE, false, one, &m, &camera); }),
              "Failed assert 1 == lights.size()");
    rc.set_lights({&a, &b});
    EXPECT_EQ(fatal_message([&] { rc.apply(DRAW_MODE_SHADOW_DEPTHWRITE, false, one, &m, &camera); }),
              "Failed assert 1 == lights.size()");
    rc.set_shadow_pass(true);
    EXPECT_EQ(fatal_message([&] { rc.apply(DRAW_MODE_NORMAL, false, one, &m, &camera); }),
              "Failed assert 1 == lights.size()");
}

}  // namespace
