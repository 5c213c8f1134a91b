// A 3D scene inside the scene manager's frame: its picture lands in the
// manager's framebuffer from the first frame on, and the scene drawn after it
// and the next frame are not disturbed by the state the 3D passes leave.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include "scenes/scene.h"
#include "support/gl_context.h"
#include "support/scene_fixtures.h"
#include "util/camera/camera.h"
#include "util/music/music.h"
#include "util/objects3d/objects3d.h"
#include "util/objects3d/primitive_meshes.h"

namespace {

constexpr int kWidth = 256;
constexpr int kHeight = 144;  // 16:9: the view is the whole window

// A white sphere that moves away by one unit each frame (so a depth buffer
// left uncleared from the frame before would hide it), a transparent mirrored
// cube drawn last (so the last depth mask is off), one shadowed light, depth
// of field.
class Tiny3DScene : public Scene {
public:
    void init() override
    {
        objects = new Objects3D();
        Camera* camera = new Camera();
        camera->look_at(0, 0, 6, 0, 0, 0, 0, 1, 0);
        camera->set_near_far(0.5f, 50);
        objects->cameras.push_back(camera);
        Light* light = new Light();
        light->shadow_map_size = 32;
        light->set_position(0, 0, 8);
        light->set_attenuation_range(100);
        objects->lights.push_back(light);
        Material* white = new Material();
        white->ambient.set(1, 1, 1, 1);
        objects->set_global_ambient(vec4(1, 1, 1, 1));
        sphere = objects->add_object(make_icosahedron_mesh(1.5f, 2, false), white, nullptr);
        Material* glass = new Material(2);
        glass->diffuse.w = 0.3f;
        Node* cube = objects->add_object(make_cube_mesh(1, false), glass, nullptr);
        cube->modelViewMatrices[0].translate(3, 0, -4);
        cube->mirrored = true;
        objects->set_depth_of_field(true);
        objects->set_shadows(true);
    }
    void setViewport(int w, int h) override
    {
        Scene::setViewport(w, h);
        objects->set_size(w, h, aspect);
    }
    void draw() override
    {
        sphere->modelViewMatrices[0].translate(0, 0, -1);
        objects->draw();
    }

    Objects3D* objects = nullptr;
    Node* sphere = nullptr;
};

TEST(Objects3DSceneManagerGL, A3DSceneLeavesTheFrameToTheScenesAfterIt)
{
    ASSERT_TRUE(gltest::ensure_context(kWidth, kHeight));
    std::vector<scenetest::ColourScene::Draw> draws;
    SceneManager* manager = scenetest::make_scene_manager(kWidth, kHeight);
    manager->addScene(new Tiny3DScene());
    manager->addScene(new scenetest::ColourScene("green", 0, 1, 0, 1, &draws, 0, 0, 0.25f, 1));
    for (const char* t : {"ActiveScene1st", "ActiveScene2nd", "ActiveScene3rd", "ActiveScene4rd", "ppDither",
                          "ppFade", "ppBlur", "ppRadblur", "ppFilm"})
        scenetest::set_track(manager->music, t, -1);
    scenetest::set_track(manager->music, "ActiveScene1st", 0);
    scenetest::set_track(manager->music, "ActiveScene2nd", 1);

    for (int frame = 0; frame < 2; frame++) {
        SCOPED_TRACE("frame " + std::to_string(frame));
        manager->run();
        const std::uint32_t centre = gltest::read_pixel(kWidth / 2, kHeight / 2);
        EXPECT_GE((centre >> 24) & 0xff, 200u) << std::hex << centre;
        EXPECT_EQ(gltest::read_pixel(10, kHeight / 2) & 0xffffff00u, 0x00ff0000u) << "the scene drawn after it";
        EXPECT_EQ(gltest::read_pixel(kWidth - 3, 3) & 0xffffff00u, 0u) << "background";
    }
}

}  // namespace
