#pragma once
// Shared set-up of the 3D scenes' GL tests: a scene world (textscene_fixture.h)
// with the camera tracks, the scene graph's shaders and the effects' images
// linked in, and a small offscreen target that stands in for the scene
// manager's framebuffer.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "scenes/scene.h"
#include "scenes/textscene_fixture.h"
#include "support/gl_context.h"
#include "system/input_state.h"
#include "util/fbo/fbo.h"
#include "util/math/mat4.h"

namespace scene3dtest {

constexpr int kSize = 64;

class Scene3DTest : public gltest::GLTest {
protected:
    void SetUp() override
    {
        gltest::GLTest::SetUp();
        world = std::make_unique<scenetest::SceneWorld>(trackNames());
        for (const char* shared : {"util", "effects"})
            std::filesystem::create_directory_symlink(std::string(VELMO_SOURCE_DIR) + "/data/" + shared,
                                                      std::filesystem::current_path() / "data" / shared);
        world->addCameraTracks();
    }
    void TearDown() override
    {
        world.reset();
        gltest::reset_state();
    }

    // The tracks the scene registers (each starts at the scene's default).
    virtual std::vector<std::string> trackNames() const { return {}; }

    void start(Scene& scene)
    {
        scene.setMusic(world->music);
        scene.setKeyTable(keys);
        scene.setInput(&input);
        scene.setAspect(1.0f);
        scene.init();
    }

    // One frame at the beat drawn into a fresh kSize target the way the
    // scene manager does it (target pushed and cleared, depth test on),
    // read back bottom row first.
    std::vector<std::uint8_t> drawAt(Scene& scene, float beat)
    {
        world->setBeat(beat);
        FBO target(kSize, kSize, FBO_TYPE_RGBA8, 0);
        target.push(true);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        scene.setViewport(kSize, kSize);
        scene.draw();
        std::vector<std::uint8_t> rgba(kSize * kSize * 4);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, target.get_id());
        glReadBuffer(GL_COLOR_ATTACHMENT0);
        glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        target.pop();
        return rgba;
    }

    static int litPixels(const std::vector<std::uint8_t>& rgba)
    {
        int lit = 0;
        for (std::size_t i = 0; i < rgba.size(); i += 4)
            lit += rgba[i] + rgba[i + 1] + rgba[i + 2] > 30;
        return lit;
    }

    std::unique_ptr<scenetest::SceneWorld> world;
    std::uint8_t keys[256] = {};
    InputState input;
};

// Where a matrix takes a point.
inline vec3 apply(const mat4& m, vec3 p)
{
    m.transformPoint(p);
    return p;
}

inline bool finite(const mat4& m)
{
    for (int i = 0; i < 16; ++i)
        if (!std::isfinite(m.get(i)))
            return false;
    return true;
}

}  // namespace scene3dtest
