// Scene::setViewport leaves identity matrices, the viewport and the scissor
// box of the requested size, and the size fields, whatever came before.
#include <gtest/gtest.h>

#include "support/gl_context.h"
#include "scenes/scene.h"

namespace {

class SizedScene : public Scene {
public:
    void init() override {}
    void draw() override {}
    int w() const { return width; }
    int h() const { return height; }
};

bool is_identity(GLenum which)
{
    GLfloat m[16];
    glGetFloatv(which, m);
    for (int i = 0; i < 16; ++i)
        if (m[i] != (i % 5 == 0 ? 1.0f : 0.0f))
            return false;
    return true;
}

class SceneGLTest : public gltest::GLTest {};

TEST_F(SceneGLTest, SetViewportResetsMatricesViewportAndScissor)
{
    SizedScene scene;
    for (auto size : {std::pair{200, 100}, std::pair{37, 251}}) {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 5, 0, 7, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glTranslatef(3, 4, 5);
        glMatrixMode(GL_TEXTURE);
        glViewport(5, 6, 7, 8);
        glScissor(1, 2, 3, 4);

        scene.setViewport(size.first, size.second);

        EXPECT_EQ(scene.w(), size.first);
        EXPECT_EQ(scene.h(), size.second);
        EXPECT_TRUE(is_identity(GL_PROJECTION_MATRIX));
        EXPECT_TRUE(is_identity(GL_MODELVIEW_MATRIX));
        GLint mode = 0;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(mode, GL_MODELVIEW);
        GLint viewport[4], scissor[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        glGetIntegerv(GL_SCISSOR_BOX, scissor);
        for (const GLint* box : {viewport, scissor}) {
            EXPECT_EQ(box[0], 0);
            EXPECT_EQ(box[1], 0);
            EXPECT_EQ(box[2], size.first);
            EXPECT_EQ(box[3], size.second);
        }
    }
}

}  // namespace
