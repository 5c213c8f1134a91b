#pragma once
// Shared set-up of the 3D scene graph's GL tests: loose files from the
// source tree, a current context, fatal errors thrown, and a small offscreen
// target that stands in for the scene manager's framebuffer.
#include <GL/glew.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "support/fatal_message.h"
#include "support/gl_context.h"
#include "util/camera/camera.h"
#include "util/data/data_layer.h"
#include "util/fbo/fbo.h"
#include "util/objects3d/objects3d.h"
#include "util/objects3d/primitive_meshes.h"

namespace objects3dtest {

constexpr int kSize = 64;

class Objects3DGL : public gltest::GLTest {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(chdir(VELMO_SOURCE_DIR), 0);
        set_datafile_mode(DataFileMode::Off);
        set_loading_tick_hook([](float, bool) {});
    }

    void TearDown() override { gltest::reset_state(); }

    // A scene with one camera at `eye` looking at the origin, sized kSize.
    std::unique_ptr<Objects3D> make_scene(vec3 eye = vec3(0, 0, 6), vec3 up = vec3(0, 1, 0))
    {
        auto scene = std::make_unique<Objects3D>();
        Camera* camera = new Camera();
        cameras.emplace_back(camera);
        camera->look_at(eye.x, eye.y, eye.z, 0, 0, 0, up.x, up.y, up.z);
        camera->set_near_far(0.5f, 50.0f);
        scene->cameras.push_back(camera);
        scene->set_size(kSize, kSize, 1.0f);
        return scene;
    }

    // Window pixel of a world point as the scene's current camera sees it.
    static void project(Objects3D& scene, vec3 p, int& x, int& y)
    {
        Camera* c = scene.cameras[scene.cur_cam];
        const vec4 clip = c->get_projection_matrix() * (c->get_view_matrix() * vec4(p, 1.0f));
        x = static_cast<int>((clip.x / clip.w * 0.5f + 0.5f) * kSize);
        y = static_cast<int>((clip.y / clip.w * 0.5f + 0.5f) * kSize);
    }

    // RGBA8 picture of the target framebuffer, bottom row first.
    struct Picture {
        std::vector<std::uint8_t> rgba;
        const std::uint8_t* at(int x, int y) const { return &rgba[(y * kSize + x) * 4]; }
        int luma(int x, int y) const { return at(x, y)[0] + at(x, y)[1] + at(x, y)[2]; }
    };

    // Draws the scene into a fresh target the way the scene manager does
    // (target pushed, cleared, depth test on) and reads it back.
    Picture render(Objects3D& scene)
    {
        FBO target(kSize, kSize, FBO_TYPE_RGBA8, 0);
        target.push(true);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        scene.draw();
        Picture p;
        p.rgba.resize(kSize * kSize * 4);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, target.get_id());
        glReadBuffer(GL_COLOR_ATTACHMENT0);
        glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_UNSIGNED_BYTE, p.rgba.data());
        target.pop();
        return p;
    }

    testsupport::ThrowingFatalErrors fatalErrors;
    std::vector<std::unique_ptr<Camera>> cameras;
};

}  // namespace objects3dtest
