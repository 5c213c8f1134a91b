// SquarePeeps: camera and light orbit with the beat, and the middle cube
// wears the sky picture (blue) under the shadowed light.
#include <gtest/gtest.h>

#include <cmath>

#include "scenes/scene3d_fixture.h"
#include "scenes/squarepeeps.h"
#include "util/camera/camera.h"
#include "util/objects3d/objects3d.h"

namespace {

using scene3dtest::apply;
using scene3dtest::kSize;

struct SquarePeepsProbe : SquarePeeps {
    using SquarePeeps::objects;
};

class SquarePeepsTest : public scene3dtest::Scene3DTest {};

TEST_F(SquarePeepsTest, CameraAndLightOrbitWithTheBeat) {
    SquarePeepsProbe scene;
    start(scene);
    struct Case {
        float beat;
        vec3 eye, light;
    };
    const Case cases[] = {
        {0.0f, vec3(0, 2, 5), vec3(0, 2, 3)},
        {5.0f, vec3(5 * std::sin(0.5f), 2, 5 * std::cos(0.5f)), vec3(3 * std::sin(3.5f), 2, 3 * std::cos(3.5f))},
    };
    for (const Case& c : cases) {
        drawAt(scene, c.beat);
        const Camera* camera = scene.objects->cameras.back();
        const vec3 eye = apply(camera->get_view_matrix_inverse(), vec3(0, 0, 0));
        EXPECT_LT((eye - c.eye).length(), 1e-3f) << c.beat;
        EXPECT_LT((scene.objects->lights.back()->get_position() - c.light).length(), 1e-4f) << c.beat;
        EXPECT_FLOAT_EQ(camera->get_znear(), 0.5f);
        EXPECT_FLOAT_EQ(camera->get_zfar(), 15.0f);
    }
    EXPECT_TRUE(scene.objects->shadows_enabled);
    EXPECT_TRUE(scene.objects->depth_of_field_enabled);
}

TEST_F(SquarePeepsTest, TheMiddleCubeShowsTheSkyPicture) {
    SquarePeepsProbe scene;
    start(scene);
    const std::vector<std::uint8_t> rgba = drawAt(scene, 0.0f);
    // The camera at (0, 2, 5) looks at the origin: the middle of the picture
    // is the middle cube's face towards it, lit from (0, 2, 3).
    int blue = 0;
    for (int y = kSize / 2 - 3; y <= kSize / 2 + 3; ++y)
        for (int x = kSize / 2 - 3; x <= kSize / 2 + 3; ++x) {
            const std::uint8_t* p = &rgba[(y * kSize + x) * 4];
            blue += p[2] > 40 && p[2] > p[0] + 15;
        }
    EXPECT_GT(blue, 40) << "of the 49 middle pixels";
    EXPECT_GT(litPixels(rgba), kSize * kSize / 4) << "floor and cubes";
}

}  // namespace
