#pragma once
// Shared by the scene-effect GL tests: loose files from the source tree, no
// loading screen, fatal errors thrown; uniform read-back from the current
// program; a silent music object for the effects that read one.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "support/fatal_message.h"
#include "support/gl_context.h"
#include "support/scene_fixtures.h"
#include "util/data/data_layer.h"
#include "util/music/music.h"

namespace effecttest {

class EffectGLTest : public gltest::GLTest {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(chdir(VELMO_SOURCE_DIR), 0);
        set_datafile_mode(DataFileMode::Off);
        set_loading_tick_hook([](float, bool) {});
    }

    // A music object on the silent clock (no music file).
    static std::unique_ptr<Music> silent_music()
    {
        scenetest::use_scene_settings(64, 64, false, "", "Effect Test");
        return std::make_unique<Music>();
    }

    testsupport::ThrowingFatalErrors fatal;
};

// Values of a uniform of the current program (floats; ints read as floats).
inline std::vector<float> uniform(const char* name, int count)
{
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    const GLint location = glGetUniformLocation(program, name);
    EXPECT_GE(location, 0) << name;
    std::vector<float> v(16, -12345.0f);
    if (location >= 0)
        glGetUniformfv(program, location, v.data());
    v.resize(count);
    return v;
}

inline int uniform_int(const char* name)
{
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    GLint value = -12345;
    glGetUniformiv(program, glGetUniformLocation(program, name), &value);
    return value;
}

// Red, green, blue, alpha of a packed 0xRRGGBBAA pixel.
inline int red(std::uint32_t p) { return int(p >> 24); }
inline int green(std::uint32_t p) { return int((p >> 16) & 255); }
inline int blue(std::uint32_t p) { return int((p >> 8) & 255); }

}  // namespace effecttest
