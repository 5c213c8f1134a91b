// Shader keys and draw-mode names of the render context (no GL context).
#include <gtest/gtest.h>

#include "support/fatal_message.h"
#include "util/data/data_layer.h"
#include "util/objects3d/material.h"
#include "util/objects3d/rendercontext.h"

namespace {

using testsupport::fatal_message;

class RenderContextTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { set_datafile_mode(DataFileMode::Off); }
};

TEST_F(RenderContextTest, NewContext)
{
    RenderContext rc;
    EXPECT_FALSE(rc.shadow_pass);
    EXPECT_TRUE(rc.lights.empty());
    EXPECT_FLOAT_EQ(rc.global_ambient.x, 0.2f);
    EXPECT_FLOAT_EQ(rc.global_ambient.w, 1.0f);
    EXPECT_TRUE(RenderContextShaderPieces::initialized);
}

TEST_F(RenderContextTest, ShaderKeys)
{
    Texture* tex = reinterpret_cast<Texture*>(0x10);
    Material plain;
    Material textured;
    textured.diffuse_texture = tex;
    textured.normal_texture = tex;
    textured.glow_texture = tex;
    textured.emission_texture = tex;
    Material coloured;
    coloured.diffuseColors.assign(2, vec4(1, 1, 1, 1));
    Material oneColour;
    oneColour.diffuseColors.assign(1, vec4(1, 1, 1, 1));

    struct Case {
        const char* what;
        unsigned mode, lights;
        bool textured;
        const Material* material;
        bool instanced, tangents, shadowPass;
        ShaderKey key;
    };
    const Case cases[] = {
        {"plain normal", 0, 0, false, &plain, false, true, false, 0},
        {"lights and mode", 3, 1, false, &plain, false, true, false, 0x03010000},
        {"textures unused", 0, 2, false, &textured, false, true, false, 0x00020000},
        {"all textures", 0, 2, true, &textured, false, true, false, 0x0002000f},
        {"no tangents, no normal map", 0, 2, true, &textured, false, false, false, 0x0002000b},
        {"shadow pass", 3, 1, true, &textured, false, true, true, 0x0301001f},
        {"colours", 4, 0, false, &coloured, false, true, false, 0x04000020},
        {"one colour ignored", 4, 0, false, &oneColour, false, true, false, 0x04000000},
        {"instanced", 0, 255, false, &plain, true, true, false, 0x00ff0000 | kShaderKeyInstancedBit},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RenderContext rc;
        rc.set_shadow_pass(c.shadowPass);
        EXPECT_EQ(rc.make_shader_key(c.mode, c.lights, c.textured, c.material, c.instanced, c.tangents), c.key);
    }
    EXPECT_EQ(kShaderKeyInstancedBit & 0xffff003fu, 0u) << "a free bit between 6 and 15";
}

TEST_F(RenderContextTest, KeyLimitsAreFatal)
{
    testsupport::ThrowingFatalErrors fatal;
    RenderContext rc;
    Material m;
    EXPECT_EQ(fatal_message([&] { rc.make_shader_key(256, 0, false, &m, false); }),
              "Failed assert draw_mode <= 0xff");
    EXPECT_EQ(fatal_message([&] { rc.make_shader_key(0, 256, false, &m, false); }),
              "Failed assert num_lights <= 0xff");
}

TEST_F(RenderContextTest, LightListsAndNames)
{
    RenderContext rc;
    Light* a = reinterpret_cast<Light*>(0x10);
    Light* b = reinterpret_cast<Light*>(0x20);
    rc.set_lights({a, b});
    EXPECT_EQ(rc.lights, (std::vector<Light*>{a, b}));
    rc.set_light(b);
    EXPECT_EQ(rc.lights, (std::vector<Light*>{b}));
    rc.set_shadow_pass(true);
    rc.reset();
    EXPECT_TRUE(rc.lights.empty());
    EXPECT_FALSE(rc.shadow_pass);

    EXPECT_EQ(draw_mode_name(0), "DRAW_MODE_NORMAL");
    EXPECT_EQ(draw_mode_name(1), "DRAW_MODE_SHADOW_AMBIENT");
    EXPECT_EQ(draw_mode_name(2), "DRAW_MODE_SHADOW_DEPTHWRITE");
    EXPECT_EQ(draw_mode_name(3), "DRAW_MODE_SHADOW_LIGHTING");
    EXPECT_EQ(draw_mode_name(4), "DRAW_MODE_GLOW");
    EXPECT_EQ(draw_mode_name(5), "INVALID");
    EXPECT_EQ(draw_mode_name(-1), "INVALID");
}

TEST_F(RenderContextTest, NormalMapsNeedTangentsAndFewLights)
{
    Material m;
    m.normal_texture = reinterpret_cast<Texture*>(0x10);
    EXPECT_TRUE(RenderContextShaderPieces::uses_normal_map(1, true, &m, true));
    EXPECT_FALSE(RenderContextShaderPieces::uses_normal_map(1, true, &m, false));
    EXPECT_FALSE(RenderContextShaderPieces::uses_normal_map(1, false, &m, true));
    EXPECT_FALSE(RenderContextShaderPieces::uses_normal_map(0, true, &m, true));
    EXPECT_TRUE(RenderContextShaderPieces::uses_normal_map(kMaxNormalMapLights, true, &m, true));
    EXPECT_FALSE(RenderContextShaderPieces::uses_normal_map(kMaxNormalMapLights + 1, true, &m, true));
}

}  // namespace
