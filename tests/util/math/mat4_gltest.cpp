// The matrix builders against the fixed-function stack of the real driver.
#include <GL/glew.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>

#include "support/gl_context.h"
#include "util/math/mat4.h"

namespace {

class Mat4AgainstGL : public gltest::GLTest {};

mat4 modelview()
{
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    return mat4(m);
}

void expect_near(const mat4& a, const mat4& b, float eps)
{
    for (int i = 0; i < 16; i++)
        EXPECT_NEAR(a.get(i), b.get(i), eps) << "element " << i;
}

TEST_F(Mat4AgainstGL, BuilderChainsMatchTheMatrixStack)
{
    struct Step {
        float rot[4];
        float trans[3];
        float scl[3];
    };
    const Step steps[] = {
        {{90, 0, 0, 1}, {1, 2, 3}, {1, 1, 1}},
        {{33, 1, 2, 3}, {-4, 0.5f, 7}, {2, 0.5f, 3}},
        {{-170, 0, 1, 0}, {0, 0, -10}, {1, -1, 1}},
    };
    for (const Step& s : steps) {
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(s.trans[0], s.trans[1], s.trans[2]);
        glRotatef(s.rot[0], s.rot[1], s.rot[2], s.rot[3]);
        glScalef(s.scl[0], s.scl[1], s.scl[2]);
        mat4 m;
        m.translate(s.trans[0], s.trans[1], s.trans[2]);
        m.rotate(s.rot[0], s.rot[1], s.rot[2], s.rot[3]);
        m.scale(s.scl[0], s.scl[1], s.scl[2]);
        expect_near(m, modelview(), 1e-5f);
    }
}

TEST_F(Mat4AgainstGL, PerspectiveAndLookAtMatchGlu)
{
    const float fovs[][4] = {{45, 16.0f / 9.0f, 1, 1000}, {60, 1.0f, 0.1f, 100}, {90, 0.5f, 2, 50}};
    for (const auto& f : fovs) {
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluPerspective(f[0], f[1], f[2], f[3]);
        mat4 p;
        p.perspective(f[0], f[1], f[2], f[3]);
        expect_near(p, modelview(), 1e-6f);
        // The same frustum through glFrustum.
        const double top = std::tan(f[0] * 3.14159265358979 / 360.0) * f[2];
        const double right = top * f[1];
        glLoadIdentity();
        glFrustum(-right, right, -top, top, f[2], f[3]);
        expect_near(p, modelview(), 1e-6f);
    }
    const float looks[][9] = {{0, 10, -150, 0, 0, 0, 0, 0, -1}, {3, 4, 5, -1, 2, 0, 0, 1, 0}, {0, 0, 0, 0, 0, -1, 0, 1, 0}};
    for (const auto& l : looks) {
        glLoadIdentity();
        glRotatef(15, 0, 1, 0);
        gluLookAt(l[0], l[1], l[2], l[3], l[4], l[5], l[6], l[7], l[8]);
        mat4 m;
        m.rotate(15, 0, 1, 0);
        m.lookAt(l[0], l[1], l[2], l[3], l[4], l[5], l[6], l[7], l[8]);
        expect_near(m, modelview(), 2e-5f);
    }
    glLoadIdentity();
    glOrtho(-2, 3, -1, 4, 0.5, 20);
    mat4 o;
    o.ortho(-2, 3, -1, 4, 0.5f, 20);
    expect_near(o, modelview(), 1e-6f);
}

}
