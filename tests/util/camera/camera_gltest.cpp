#include <GL/glew.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/messagebox.h"
#include "support/fatal_message.h"
#include "support/gl_context.h"
#include "system/fatal_error.h"
#include "util/camera/camera.h"

namespace {

using testsupport::fatal_message;

class CameraGL : public gltest::GLTest {
protected:
    testsupport::ThrowingFatalErrors fatalErrors;
    static void expect_near(const mat4& a, const mat4& b, float eps)
    {
        for (int i = 0; i < 16; i++)
            EXPECT_NEAR(a.get(i), b.get(i), eps) << "element " << i;
    }
};

TEST_F(CameraGL, DefaultsAndLookAt)
{
    Camera c;
    EXPECT_EQ(c.eye.z, -150.0f);
    EXPECT_EQ(c.up.z, -1.0f);
    expect_near(c.get_view_matrix(), mat4(), 0);
    EXPECT_EQ(c.get_znear(), 1.0f);
    EXPECT_EQ(c.get_zfar(), 1000.0f);
    EXPECT_FLOAT_EQ(c.get_focus(), 0.2f);
    EXPECT_FLOAT_EQ(c.get_focus_range(), 0.1f);
    EXPECT_FLOAT_EQ(c.get_focus_falloff(), 0.3f);
    c.look_at(0, 0, 0, 0, 0, -1, 0, 1, 0);
    expect_near(c.get_view_matrix(), mat4(), 1e-6f);
    c.look_at(3, 4, 5, 0, 0, 0, 0, 1, 0);
    expect_near(c.get_view_matrix() * c.get_view_matrix_inverse(), mat4(), 1e-5f);
    c.set_range(1000);
    EXPECT_FLOAT_EQ(c.get_znear(), 1.0f);
    EXPECT_FLOAT_EQ(c.get_zfar(), 10000.0f);
}

TEST_F(CameraGL, SetupViewportTable)
{
    struct Case {
        int width, height;
        int viewport[4];
    };
    const Case cases[] = {{1280, 720, {0, 0, 1280, 720}}, {1280, 800, {0, 40, 1280, 720}},
                          {1280, 600, {0, -60, 1280, 720}}, {1280, 0, {0, -359, 1280, 720}}};
    for (const Case& k : cases) {
        Camera c;
        c.setup(k.width, k.height, 16.0f / 9.0f, 1.0f);
        GLint v[4];
        glGetIntegerv(GL_VIEWPORT, v);
        for (int i = 0; i < 4; i++)
            EXPECT_EQ(v[i], k.viewport[i]) << k.width << "x" << k.height << " [" << i << "]";
    }
}

TEST_F(CameraGL, SetupLoadsMatricesAndFieldOfView)
{
    Camera c;
    c.look_at(0, 10, -150, 0, 0, 0, 0, 0, -1);
    c.offset = vec3(1, 2, 3);
    const mat4 p = c.setup(640, 480, 4.0f / 3.0f, 2.0f);
    mat4 want;
    want.perspective(45, 4.0f / 3.0f, 2, 2000);
    expect_near(p, want, 0);
    EXPECT_EQ(c.get_znear(), 1.0f) << "the scale does not change the stored planes";
    float gl[16];
    glGetFloatv(GL_PROJECTION_MATRIX, gl);
    expect_near(mat4(gl), want, 0);
    glGetFloatv(GL_MODELVIEW_MATRIX, gl);
    mat4 mv = c.get_view_matrix();
    mv.translate(1, 2, 3);
    expect_near(mat4(gl), mv, 1e-5f);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);

    Camera h;
    h.set_hfov(60);
    h.setup(100, 50, 2.0f, 1.0f);
    EXPECT_FLOAT_EQ(h.get_vfov(), 30.0f);
    h.setup(100, 100, 1.0f, 1.0f);
    EXPECT_FLOAT_EQ(h.get_vfov(), 30.0f) << "derived once, then kept";

    Camera own;
    own.own_width = 320;
    own.own_height = 240;
    own.own_aspect = 4.0f / 3.0f;
    own.setup(1280, 720, 16.0f / 9.0f, 1.0f);
    GLint v[4];
    glGetIntegerv(GL_VIEWPORT, v);
    EXPECT_EQ(v[2], 320);
    EXPECT_EQ(v[3], 240);
}

TEST_F(CameraGL, SetupFailures)
{
    Camera c;
    EXPECT_EQ(fatal_message([&] { c.setup(10001, 100, 1, 1); }), "Sanity check failed on width/height 10001/100");
    EXPECT_EQ(fatal_message([&] { c.setup(100, -1, 1, 1); }), "Sanity check failed on width/height 100/-1");
    EXPECT_EQ(fatal_message([&] { c.setup(10000, 0, 1, 1); }), "(no fatal error)");
    c.set_znear(-0.5f);
    EXPECT_EQ(fatal_message([&] { c.setup(100, 100, 1, 1); }), "Invalid znear/zfar of -0.5/1000");
    c.set_near_far(0, 0);
    EXPECT_EQ(fatal_message([&] { c.setup(100, 100, 1, 1); }), "(no fatal error)");
}

TEST_F(CameraGL, MovesAlongItsOwnAxes)
{
    Camera c;
    c.look_at(0, 0, 0, 0, 0, -1, 0, 1, 0);
    c.move_forward(10);
    EXPECT_NEAR(c.get_view_matrix().get(14), 10.0f, 1e-5f);
    vec3 eye(0, 0, 0);
    c.get_view_matrix_inverse().transformPoint(eye);
    EXPECT_NEAR(eye.z, -10.0f, 1e-5f);

    Camera side;
    side.look_at(0, 0, 0, 1, 0, 0, 0, 1, 0); // looking down +x
    side.move_forward(5);
    side.move_up(2);
    side.move_left(3);
    vec3 e(0, 0, 0);
    side.get_view_matrix_inverse().transformPoint(e);
    EXPECT_NEAR(e.x, 5.0f, 1e-5f);
    EXPECT_NEAR(e.y, 2.0f, 1e-5f);
    EXPECT_NEAR(e.z, -3.0f, 1e-5f) << "left of +x with y up is -z";

    // A rotation about the camera's own axis: it turns where it stands
    // (a rotation applied on the world side would carry the eye around).
    Camera r;
    r.look_at(3, 4, 5, 0, 0, 0, 0, 1, 0);
    const mat4 placed = r.get_view_matrix();
    r.rotate(90, 0, 1, 0);
    mat4 turn;
    turn.rotate(90, 0, 1, 0);
    expect_near(r.get_view_matrix(), turn * placed, 1e-5f);
    vec3 stand(0, 0, 0);
    r.get_view_matrix_inverse().transformPoint(stand);
    EXPECT_NEAR(stand.x, 3.0f, 1e-4f);
    EXPECT_NEAR(stand.y, 4.0f, 1e-4f);
    EXPECT_NEAR(stand.z, 5.0f, 1e-4f);
    r.add_fov(5);
    EXPECT_EQ(r.get_vfov(), 4.0f);
    EXPECT_EQ(r.get_hfov(), 4.0f);
}

}
