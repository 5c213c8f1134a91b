#include <gtest/gtest.h>

#include "util/colorutils/colorutils.h"

namespace {

TEST(HslToRgb, Table)
{
    struct Case {
        vec3 hsl;
        float r, g, b;
        float eps;
    };
    const Case cases[] = {
        {vec3(0.33333334f, 1, 0.5f), 0, 1, 0, 0},
        {vec3(0.3f, 0, 0.25f), 0.25f, 0.25f, 0.25f, 0},
        {vec3(0.6666667f, 1, 0.5f), 0, 0, 1, 1e-6f},
        {vec3(0.5f, 1, 0.75f), 0.5f, 1, 1, 1e-6f},
        {vec3(0.0f, 0.5f, 0.5f), 0.75f, 0.25f, 0.25f, 1e-6f},
    };
    for (const Case& c : cases) {
        const vec3 rgb = hsl_to_rgb(c.hsl);
        EXPECT_NEAR(rgb.x, c.r, c.eps) << c.hsl.x;
        EXPECT_NEAR(rgb.y, c.g, c.eps) << c.hsl.x;
        EXPECT_NEAR(rgb.z, c.b, c.eps) << c.hsl.x;
        EXPECT_EQ(rgb.w, 1.0f);
    }
    const vec3 red = hsl_to_rgb(vec3(0, 1, 0.5f));
    EXPECT_EQ(red.x, 1.0f);
    EXPECT_EQ(red.y, 0.0f);
    EXPECT_GT(red.z, 0.0f);
    EXPECT_LT(red.z, 1e-6f);
}

}
