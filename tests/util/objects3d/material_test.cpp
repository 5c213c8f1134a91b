#include <gtest/gtest.h>

#include "support/fatal_message.h"
#include "util/objects3d/material.h"

namespace {

using testsupport::fatal_message;

void expect_vec4(const vec4& v, float x, float y, float z, float w)
{
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
    EXPECT_FLOAT_EQ(v.w, w);
}

TEST(Material, DefaultMaterial)
{
    Material m;
    EXPECT_EQ(m.name, "dummy");
    EXPECT_FLOAT_EQ(m.shininess, 20.0f);
    expect_vec4(m.ambient, 0.1f, 0.1f, 0.1f, 1);
    expect_vec4(m.diffuse, 1, 1, 1, 1);
    expect_vec4(m.specular, 0.5f, 0.5f, 0.5f, 1);
    expect_vec4(m.emission, 0, 0, 0, 1);
    expect_vec4(m.glow, 0, 0, 0, 1);
    expect_vec4(m.tint, 0, 0, 0, 0);
    EXPECT_TRUE(m.diffuseColors.empty());
    EXPECT_EQ(m.diffuse_texture, nullptr);
}

TEST(Material, Presets)
{
    const float table[6][8] = {
        {0.34f, 0.06f, 0.06f, 0.67f, 0.12f, 0.12f},
        {0, 0.37f, 0.09f, 0, 0.75f, 0.18f},
        {0, 0.23f, 0.31f, 0, 0.45f, 0.63f},
        {0.47f, 0.37f, 0.09f, 0.94f, 0.75f, 0.18f},
        {0, 0, 0, 0, 0, 0},
        {0.5f, 0.47f, 0.44f, 0.99f, 0.95f, 0.9f},
    };
    for (int p = 0; p < 6; p++) {
        SCOPED_TRACE(p);
        const Material m(p);
        const float* t = table[p];
        expect_vec4(m.ambient, t[0], t[1], t[2], 1);
        expect_vec4(m.diffuse, t[3], t[4], t[5], 1);
        expect_vec4(m.specular, 0.5f, 0.5f, 0.5f, 1);
        EXPECT_FLOAT_EQ(m.shininess, 12.5f);
        EXPECT_FALSE(m.is_transparent());
    }
}

TEST(Material, SetPresetKeepsNameTintAndTextures)
{
    Material m;
    m.name = "mine";
    m.tint.set(0.1f, 0.2f, 0.3f, 0.4f);
    Texture* texture = reinterpret_cast<Texture*>(0x10);
    m.diffuse_texture = texture;
    m.diffuseColors.assign(3, vec4(1, 0, 0, 1));
    m.set_preset(1);
    EXPECT_EQ(m.name, "mine");
    expect_vec4(m.tint, 0.1f, 0.2f, 0.3f, 0.4f);
    EXPECT_EQ(m.diffuse_texture, texture);
    EXPECT_EQ(m.diffuseColors.size(), 3u);
    EXPECT_FLOAT_EQ(m.shininess, 12.5f);
}

TEST(Material, OutOfRangePresetsAreFatal)
{
    testsupport::ThrowingFatalErrors fatal;
    EXPECT_EQ(fatal_message([] { Material m(6); }), "Material default 6 out of range!");
    EXPECT_EQ(fatal_message([] { Material m(-1); }), "Material default 4294967295 out of range!");
}

TEST(Material, TransparencyIsDecidedOnTheUploadedAlpha)
{
    struct Case {
        float alpha, tintAlpha;
        bool transparent;
    };
    for (const Case& c : {Case{0.99f, 0, false}, Case{0.98f, 0, true}, Case{1.0f, -0.5f, true},
                          Case{0.5f, 0.5f, false}}) {
        Material m;
        m.diffuse.w = c.alpha;
        m.tint.w = c.tintAlpha;
        EXPECT_EQ(m.is_transparent(), c.transparent) << c.alpha << " + " << c.tintAlpha;
    }
}

}  // namespace
