// Every program the draw passes can ask for compiles and links on this
// renderer from our shader pieces, and declares what the render context
// uploads for its mode.
#include "objects3d_fixture.h"

#include <string>

#include "util/shaderprogram/shaderprogram.h"

namespace {

using objects3dtest::Objects3DGL;
using testsupport::fatal_message;

Texture* const kTexture = reinterpret_cast<Texture*>(0x10);

struct Textures {
    const char* what;
    bool diffuse, emission, normal, glow;
};

const Textures kTextureSets[] = {
    {"none", false, false, false, false}, {"diffuse", true, false, false, false},
    {"emission", false, true, false, false}, {"normal", false, false, true, false},
    {"glow", false, false, false, true},   {"all", true, true, true, true},
};

Material material_with(const Textures& t, bool colours)
{
    Material m;
    m.name = t.what;
    m.diffuse_texture = t.diffuse ? kTexture : nullptr;
    m.emission_texture = t.emission ? kTexture : nullptr;
    m.normal_texture = t.normal ? kTexture : nullptr;
    m.glow_texture = t.glow ? kTexture : nullptr;
    if (colours)
        m.diffuseColors.assign(3, vec4(1, 0, 0, 1));
    return m;
}

bool has_uniform(ShaderProgram* p, const char* name) { return glGetUniformLocation(p->get_program(), name) >= 0; }

TEST_F(Objects3DGL, EveryReachableProgramLinks)
{
    RenderContextShaderPieces pieces;
    int programs = 0;
    for (int mode = 0; mode <= 4; mode++)
        for (unsigned lights : {0u, 1u, 3u}) {
            if (mode == DRAW_MODE_SHADOW_LIGHTING && lights != 1)
                continue;
            for (const Textures& t : kTextureSets)
                for (bool textured : {false, true})
                    for (int instancing = 0; instancing < 3; instancing++) {
                        if (!textured && &t != &kTextureSets[0])
                            continue;  // textures unused: the same program as none
                        SCOPED_TRACE(draw_mode_name(mode) + " lights " + std::to_string(lights) + " textures "
                                     + t.what + (textured ? " used" : " unused") + " instancing "
                                     + std::to_string(instancing));
                        const Material m = material_with(t, instancing == 2);
                        ShaderProgram* p = nullptr;
                        const std::string error =
                            fatal_message([&] { p = pieces.GetShader(mode, lights, textured, instancing > 0, &m); });
                        ASSERT_EQ(error, "(no fatal error)");
                        ASSERT_NE(p, nullptr);
                        programs++;
                        const bool lit = lights > 0 && (mode == 0 || mode == 3);
                        EXPECT_EQ(has_uniform(p, "LightPosition"), lit);
                        EXPECT_EQ(has_uniform(p, "ModelViewMatrix"), instancing == 0);
                        EXPECT_EQ(glGetAttribLocation(p->get_program(), "ModelViewMatrix"), instancing > 0 ? 8 : -1);
                        if (mode == 3) {
                            EXPECT_TRUE(has_uniform(p, "ShadowMap"));
                        }
                        if (mode == 0 && textured && t.diffuse) {
                            EXPECT_TRUE(has_uniform(p, "DiffuseMap"));
                        }
                        if (lit && textured && t.normal) {
                            EXPECT_TRUE(has_uniform(p, "NormalMap"));
                        }
                        if (mode == 4) {
                            EXPECT_EQ(has_uniform(p, "GlowMap"), textured && t.glow);
                        }
                        delete p;
                    }
        }
    EXPECT_GT(programs, 100);
}

TEST_F(Objects3DGL, NormalMapProgramsLinkUpToTheirLightCap)
{
    RenderContextShaderPieces pieces;
    const Material m = material_with(kTextureSets[5], true);
    ShaderProgram* p = nullptr;
    ASSERT_EQ(fatal_message([&] { p = pieces.GetShader(DRAW_MODE_NORMAL, kMaxNormalMapLights, true, true, &m); }),
              "(no fatal error)");
    EXPECT_TRUE(has_uniform(p, "NormalMap"));
    delete p;
    // One light more: lit without the normal map, so the program still links.
    ASSERT_EQ(
        fatal_message([&] { p = pieces.GetShader(DRAW_MODE_NORMAL, kMaxNormalMapLights + 1, true, true, &m); }),
        "(no fatal error)");
    EXPECT_FALSE(has_uniform(p, "NormalMap"));
    delete p;
    // A mesh without tangents gets no normal map either.
    p = pieces.GetShader(DRAW_MODE_NORMAL, 1, true, false, &m, false);
    EXPECT_FALSE(has_uniform(p, "NormalMap"));
    delete p;
}

TEST_F(Objects3DGL, GeneratorChecks)
{
    RenderContextShaderPieces pieces;
    Material m;
    EXPECT_EQ(fatal_message([&] { pieces.GetShader(DRAW_MODE_SHADOW_LIGHTING, 2, false, false, &m); }),
              "Failed assert 1 == num_lights");
    RenderContextShaderPieces::initialized = false;
    EXPECT_EQ(fatal_message([&] { pieces.GetShader(DRAW_MODE_NORMAL, 0, false, false, &m); }),
              "GetShader called without RenderContextShaderPieces being initialized!");
    RenderContextShaderPieces::initialized = true;
}

}  // namespace
