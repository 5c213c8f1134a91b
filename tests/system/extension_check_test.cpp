#include <gtest/gtest.h>

#include <GL/glew.h>

#include <string>
#include <vector>

#include "platform/messagebox.h"
#include "system/os_windows.h"

namespace {

GLboolean* const kFlags[] = {
    &__GLEW_ARB_vertex_program,     &__GLEW_ARB_fragment_program,
    &__GLEW_ARB_multitexture,       &__GLEW_ARB_vertex_shader,
    &__GLEW_ARB_fragment_shader,    &__GLEW_ARB_multisample,
    &__GLEW_ARB_point_sprite,       &__GLEW_EXT_texture_filter_anisotropic,
    &__GLEW_ARB_vertex_buffer_object, &__GLEW_EXT_framebuffer_object,
    &__GLEW_ARB_texture_non_power_of_two, &__GLEW_ARB_texture_float,
    &__GLEW_ARB_draw_buffers,       &__GLEW_ARB_depth_texture,
};

const std::string kTail =
    " not supported, which means this demo probably won't run very well or at all. If you still want to "
    "risk it, press OK. \n\n(Side effects may include bubonic plague, outbreaks of cholera, Spontaneous "
    "Massive Existence Failures and other conditions too horrible for mere words. The author of this "
    "application does not take responsibility for any damages, injuries or death resulting from the "
    "erroneous use of this product.)";

struct Box {
    int shown = 0;
    std::string text, caption;
    UINT type = 0;
};

// Every extension present except those at the given table positions.
void presentExcept(std::vector<int> missing)
{
    for (GLboolean* flag : kFlags)
        *flag = GL_TRUE;
    for (int i : missing)
        *kFlags[i] = GL_FALSE;
}

Box answer(int reply)
{
    Box box;
    set_message_box_responder([&box, reply](const char* text, const char* caption, UINT type) {
        ++box.shown;
        box.text = text;
        box.caption = caption;
        box.type = type;
        return reply;
    });
    checkExtensions();
    set_message_box_responder({});
    return box;
}

TEST(ExtensionCheck, AllPresentAsksNothing)
{
    presentExcept({});
    EXPECT_EQ(answer(IDOK).shown, 0);
}

TEST(ExtensionCheck, QuestionNamesTheMissingOnesInTableOrder)
{
    struct Case {
        std::vector<int> missing;
        std::string head;
    };
    const Case cases[] = {
        {{11}, "Extension GLEW_ARB_texture_float"},
        {{13, 0, 7},
         "Extensions GLEW_ARB_vertex_program, GLEW_EXT_texture_filter_anisotropic, GLEW_ARB_depth_texture"},
    };
    for (const Case& c : cases) {
        presentExcept(c.missing);
        const Box box = answer(IDOK); // OK goes on
        EXPECT_EQ(box.shown, 1);
        EXPECT_EQ(box.text, c.head + kTail);
        EXPECT_EQ(box.caption, "Missing extension(s)");
        EXPECT_EQ(box.type, MB_OKCANCEL | MB_ICONQUESTION);
    }
    presentExcept({});
}

TEST(ExtensionCheckDeath, CancelEndsWithExitCodeOne)
{
    EXPECT_EXIT(
        {
            presentExcept({3});
            answer(IDCANCEL);
            std::exit(7);
        },
        testing::ExitedWithCode(1), "");
}

} // namespace
