#include <gtest/gtest.h>

#include <cmath>

#include "system/fatal_error.h"
#include "util/math/mat4.h"

namespace {

void expect_near(const mat4& a, const float (&want)[16], float eps = 1e-6f)
{
    for (int i = 0; i < 16; i++)
        EXPECT_NEAR(a.get(i), want[i], eps) << "element " << i;
}

void expect_near(const mat4& a, const mat4& b, float eps = 1e-6f)
{
    for (int i = 0; i < 16; i++)
        EXPECT_NEAR(a.get(i), b.get(i), eps) << "element " << i;
}

void expect_bits(const mat4& a, const mat4& b)
{
    for (int i = 0; i < 16; i++)
        EXPECT_EQ(a.get(i), b.get(i)) << "element " << i;
}

TEST(Mat4, PresetsAndConstruction)
{
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    expect_near(mat4(), identity, 0);
    expect_near(mat4(0), identity, 0);
    const float unitOrtho[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, -1, 0, -1, -1, 0, 1};
    const mat4 p(1);
    expect_near(p, unitOrtho, 0);
    EXPECT_TRUE(std::signbit(p.get(14))) << "element 14 is negative zero";

    mat4 o;
    o.ortho(0, 1, 0, 1, -1, 1);
    expect_bits(o, p);

    set_fatal_error_throws(true);
    for (int bad : {2, -1}) {
        try {
            mat4 m(bad);
            ADD_FAILURE() << "preset " << bad << " accepted";
        } catch (const FatalErrorException& e) {
            EXPECT_STREQ(e.what(), "Invalid matrix preset type");
        }
    }
    set_fatal_error_throws(false);
}

TEST(Mat4, ElementAccessOutOfRange)
{
    mat4 m;
    m.set(6, 7.0f);
    EXPECT_EQ(m.get(1, 2), 7.0f);
    EXPECT_EQ(m.get(16), 0.0f);
    EXPECT_EQ(m.get(-1), 0.0f);
    const mat4 before = m;
    m.set(16, 3.0f);
    m.set(-1, 3.0f);
    expect_bits(m, before);
}

TEST(Mat4, TranslateScaleRotate)
{
    mat4 t;
    t.translate(1, 2, 3);
    EXPECT_EQ(t.get(12), 1.0f);
    EXPECT_EQ(t.get(13), 2.0f);
    EXPECT_EQ(t.get(14), 3.0f);

    mat4 st;
    st.scale(2, 3, 4);
    st.translate(1, 1, 1);
    EXPECT_EQ(st.get(12), 2.0f);
    EXPECT_EQ(st.get(13), 3.0f);
    EXPECT_EQ(st.get(14), 4.0f);

    mat4 persp;
    persp.perspective(45, 16.0f / 9.0f, 1, 1000);
    mat4 moved = persp;
    moved.translate(1, 2, 3);
    for (int i = 0; i < 12; i++)
        EXPECT_EQ(moved.get(i), persp.get(i));
    EXPECT_EQ(moved.get(15), 0.0f);

    mat4 r;
    r.rotate(90, 0, 0, 1);
    vec3 p(1, 0, 0);
    r.transformPoint(p);
    EXPECT_NEAR(p.x, 0.0f, 1e-6f);
    EXPECT_NEAR(p.y, 1.0f, 1e-6f);
    mat4 r2;
    r2.rotate(90, 0, 0, 2);
    expect_near(r2, r, 1e-7f);
    mat4 none;
    none.rotate(45, 0, 0, 0);
    expect_bits(none, mat4());
}

TEST(Mat4, InverseTable)
{
    struct Case {
        const char* name;
        mat4 m;
    };
    mat4 rt;
    rt.translate(3, -2, 5);
    rt.rotate(33, 1, 2, 3);
    rt.scale(2, 0.5f, 4);
    mat4 persp;
    persp.perspective(60, 1.5f, 0.5f, 100);
    const mat4 general(2, 1, 0, 1, 0, 3, 1, 0, 1, 0, 4, 2, 1, 2, 0, 5);
    const Case cases[] = {{"affine", rt}, {"perspective", persp}, {"general", general}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        expect_near(c.m * c.m.inverse(), mat4(), 2e-5f);
        expect_near(c.m.transposedInverse(), c.m.inverse().transposed(), 0);
    }
    // Hand-inverted: diag(2, 4, 8) with translation (1, 2, 3).
    const mat4 d(2, 0, 0, 0, 0, 4, 0, 0, 0, 0, 8, 0, 1, 2, 3, 1);
    const float dinv[16] = {0.5f, 0, 0, 0, 0, 0.25f, 0, 0, 0, 0, 0.125f, 0, -0.5f, -0.5f, -0.375f, 1};
    expect_near(d.inverse(), dinv);

    mat4 zero(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    expect_bits(zero.inverse(), mat4());

    mat4 rot;
    rot.rotate(37, 1, 1, 0);
    expect_near(rot.inverse(), rot.transposed(), 1e-6f);
}

TEST(Mat4, ProductPaths)
{
    mat4 a;
    a.rotate(30, 0, 1, 0);
    a.translate(1, 2, 3);
    mat4 b;
    b.scale(2, 2, 2);
    b.translate(-1, 0, 4);
    const mat4 ab = a * b;
    EXPECT_EQ(ab.get(3), 0.0f);
    EXPECT_EQ(ab.get(7), 0.0f);
    EXPECT_EQ(ab.get(11), 0.0f);
    EXPECT_EQ(ab.get(15), 1.0f);

    // Every path against the plain four-term product.
    const mat4 n1(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    const mat4 n2(2, 0, 1, 0.5f, 1, 3, 0, 0.25f, 0, 1, 2, 1, 4, 5, 6, 2);
    const mat4* ops[] = {&a, &b, &n1, &n2};
    for (const mat4* x : ops)
        for (const mat4* y : ops) {
            const mat4 got = *x * *y;
            for (int c = 0; c < 4; c++)
                for (int r = 0; r < 4; r++) {
                    float want = 0;
                    for (int k = 0; k < 4; k++)
                        want += x->get(k * 4 + r) * y->get(c * 4 + k);
                    EXPECT_NEAR(got.get(c * 4 + r), want, 1e-4f);
                }
        }
}

TEST(Mat4, VectorsAndDivision)
{
    mat4 a;
    a.rotate(20, 1, 0, 0);
    a.translate(1, 1, 1);
    const vec4 v(1, 2, 3, 0.3f);
    EXPECT_EQ((a * v).w, 0.3f);

    expect_bits(a / 0.0f, a);
    expect_bits(a / 1.0f, a);

    mat4 persp;
    persp.perspective(90, 1, 1, 10);
    float p[3] = {0, 0, -2};
    persp.transformPoint(p);
    EXPECT_NEAR(p[2], (22.0f / 9.0f - 20.0f / 9.0f) / 2.0f, 1e-6f); // clip z over w = 2
    float atEye[3] = {0, 0, 0};
    persp.transformPoint(atEye);
    EXPECT_FALSE(std::isfinite(atEye[2]));

    vec3 dir(1, 0, 0);
    dir.w = 7;
    mat4 r;
    r.rotate(90, 0, 0, 1);
    r.translate(5, 5, 5);
    r.transformDirection(dir);
    EXPECT_NEAR(dir.x, 0, 1e-6f);
    EXPECT_NEAR(dir.y, 1, 1e-6f);
    EXPECT_EQ(dir.w, 7);
}

TEST(Mat4, PerspectiveAndLookAt)
{
    mat4 p;
    p.perspective(45, 16.0f / 9.0f, 1, 1000);
    const float top = std::tan(45 * 3.1415927 / 360);
    const float want[16] = {1 / (top * 16 / 9.0f), 0, 0, 0, 0, 1 / top, 0, 0,
                            0, 0, -1001.0f / 999.0f, -1, 0, 0, -2000.0f / 999.0f, 0};
    expect_near(p, want, 1e-5f);
    EXPECT_EQ(p.get(11), -1.0f);
    EXPECT_EQ(p.get(15), 0.0f);

    mat4 l;
    l.lookAt(0, 0, 0, 0, 0, -1, 0, 1, 0);
    expect_near(l, mat4(), 1e-6f);

    // Eye on +x looking at the origin: the world's -x axis becomes view -z.
    mat4 side;
    side.lookAt(5, 0, 0, 0, 0, 0, 0, 1, 0);
    const float sideWant[16] = {0, 0, 1, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, -5, 1};
    expect_near(side, sideWant, 1e-6f);
}

}
