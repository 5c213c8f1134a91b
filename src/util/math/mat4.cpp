#include "util/math/mat4.h"

#include <cmath>

#include "system/fatal_error.h"

mat4::mat4() { setIdentity(); }

mat4::mat4(int preset)
{
    if (preset == 0)
        setIdentity();
    else if (preset == 1)
        ortho(0.0f, 1.0f, 0.0f, 1.0f, -1.0f, 1.0f);
    else
        FATAL_ERROR("Invalid matrix preset type");
}

mat4::mat4(const float* values)
{
    for (int i = 0; i < 16; i++)
        m[i] = values[i];
}

mat4::mat4(float m0, float m1, float m2, float m3, float m4, float m5, float m6, float m7,
           float m8, float m9, float m10, float m11, float m12, float m13, float m14, float m15)
    : m{m0, m1, m2, m3, m4, m5, m6, m7, m8, m9, m10, m11, m12, m13, m14, m15}
{
}

mat4& mat4::setIdentity()
{
    for (float& e : m)
        e = 0.0f;
    m[0] = m[5] = m[10] = m[15] = 1.0f;
    return *this;
}

float mat4::get(int index) const
{
    if (index < 0 || index > 15)
        return 0.0f;
    return m[index];
}

float mat4::get(int column, int row) const { return get(column * 4 + row); }

void mat4::set(int index, float value)
{
    if (index < 0 || index > 15)
        return;
    m[index] = value;
}

bool mat4::isAffine() const
{
    return m[3] == 0.0f && m[7] == 0.0f && m[11] == 0.0f && m[15] == 1.0f;
}

mat4 mat4::operator*(const mat4& n) const
{
    const float* a = m;
    const float* b = n.m;
    mat4 r;
    const bool affineA = isAffine();
    const bool affineB = n.isAffine();
    if (affineA && affineB) {
        for (int c = 0; c < 3; c++)
            for (int row = 0; row < 3; row++)
                r.m[c * 4 + row] = a[row] * b[c * 4] + a[4 + row] * b[c * 4 + 1] + a[8 + row] * b[c * 4 + 2];
        for (int row = 0; row < 3; row++)
            r.m[12 + row] = a[row] * b[12] + a[4 + row] * b[13] + a[8 + row] * b[14] + a[12 + row];
        r.m[3] = r.m[7] = r.m[11] = 0.0f;
        r.m[15] = 1.0f;
    } else if (!affineA && !affineB) {
        for (int c = 0; c < 4; c++)
            for (int row = 0; row < 4; row++)
                r.m[c * 4 + row] = a[row] * b[c * 4] + a[4 + row] * b[c * 4 + 1] + a[8 + row] * b[c * 4 + 2]
                                   + a[12 + row] * b[c * 4 + 3];
    } else if (!affineA) {
        // b's bottom row is (0, 0, 0, 1).
        for (int c = 0; c < 3; c++)
            for (int row = 0; row < 4; row++)
                r.m[c * 4 + row] = a[row] * b[c * 4] + a[4 + row] * b[c * 4 + 1] + a[8 + row] * b[c * 4 + 2];
        for (int row = 0; row < 4; row++)
            r.m[12 + row] = a[row] * b[12] + a[4 + row] * b[13] + a[8 + row] * b[14] + a[12 + row];
    } else {
        // a's bottom row is (0, 0, 0, 1): the result's bottom row is b's.
        for (int c = 0; c < 4; c++) {
            for (int row = 0; row < 3; row++)
                r.m[c * 4 + row] = a[row] * b[c * 4] + a[4 + row] * b[c * 4 + 1] + a[8 + row] * b[c * 4 + 2]
                                   + a[12 + row] * b[c * 4 + 3];
            r.m[c * 4 + 3] = b[c * 4 + 3];
        }
    }
    return r;
}

mat4& mat4::operator*=(const mat4& n)
{
    *this = *this * n;
    return *this;
}

vec4 mat4::operator*(vec4 v) const
{
    vec4 r;
    r.x = m[0] * v.x + m[4] * v.y + m[8] * v.z + m[12] * v.w;
    r.y = m[1] * v.x + m[5] * v.y + m[9] * v.z + m[13] * v.w;
    r.z = m[2] * v.x + m[6] * v.y + m[10] * v.z + m[14] * v.w;
    if (isAffine())
        r.w = v.w;
    else
        r.w = m[3] * v.x + m[7] * v.y + m[11] * v.z + m[15] * v.w;
    return r;
}

mat4 mat4::operator*(float s) const
{
    mat4 r(*this);
    for (float& e : r.m)
        e *= s;
    return r;
}

mat4 mat4::operator/(float s) const
{
    if (s == 0.0f || s == 1.0f)
        return *this;
    return *this * (1.0f / s);
}

void mat4::transpose() { *this = transposed(); }

mat4 mat4::transposed() const
{
    mat4 r;
    for (int c = 0; c < 4; c++)
        for (int row = 0; row < 4; row++)
            r.m[row * 4 + c] = m[c * 4 + row];
    return r;
}

mat4 mat4::transposedInverse() const
{
    // Columns a, b, c, d; 2x2 minors of the two right columns (s) and of the
    // two left columns (t) for the row pairs.
    const float* a = m;
    const float* b = m + 4;
    const float* c = m + 8;
    const float* d = m + 12;
    auto s = [&](int i, int j) { return c[i] * d[j] - c[j] * d[i]; };
    auto t = [&](int i, int j) { return a[i] * b[j] - a[j] * b[i]; };
    const float s01 = s(0, 1), s02 = s(0, 2), s03 = s(0, 3), s12 = s(1, 2), s13 = s(1, 3), s23 = s(2, 3);
    const float t01 = t(0, 1), t02 = t(0, 2), t03 = t(0, 3), t12 = t(1, 2), t13 = t(1, 3), t23 = t(2, 3);

    mat4 cof;
    float* k = cof.m;
    // Cofactors of column 0 (minors from columns b, c, d) and column 1 (a, c, d).
    k[0] = (b[1] * s23 - b[2] * s13 + b[3] * s12);
    k[1] = -(b[0] * s23 - b[2] * s03 + b[3] * s02);
    k[2] = (b[0] * s13 - b[1] * s03 + b[3] * s01);
    k[3] = -(b[0] * s12 - b[1] * s02 + b[2] * s01);
    k[4] = -(a[1] * s23 - a[2] * s13 + a[3] * s12);
    k[5] = (a[0] * s23 - a[2] * s03 + a[3] * s02);
    k[6] = -(a[0] * s13 - a[1] * s03 + a[3] * s01);
    k[7] = (a[0] * s12 - a[1] * s02 + a[2] * s01);
    // Cofactors of column 2 (minors from columns a, b, d) and column 3 (a, b, c).
    k[8] = (d[1] * t23 - d[2] * t13 + d[3] * t12);
    k[9] = -(d[0] * t23 - d[2] * t03 + d[3] * t02);
    k[10] = (d[0] * t13 - d[1] * t03 + d[3] * t01);
    k[11] = -(d[0] * t12 - d[1] * t02 + d[2] * t01);
    k[12] = -(c[1] * t23 - c[2] * t13 + c[3] * t12);
    k[13] = (c[0] * t23 - c[2] * t03 + c[3] * t02);
    k[14] = -(c[0] * t13 - c[1] * t03 + c[3] * t01);
    k[15] = (c[0] * t12 - c[1] * t02 + c[2] * t01);

    const float det = a[0] * k[0] + a[1] * k[1] + a[2] * k[2] + a[3] * k[3];
    if (det == 0.0f)
        return mat4();
    return cof / det;
}

mat4 mat4::inverse() const { return transposedInverse().transposed(); }

void mat4::scale(float x, float y, float z)
{
    mat4 s;
    s.m[0] = x;
    s.m[5] = y;
    s.m[10] = z;
    *this *= s;
}

void mat4::translate(float x, float y, float z)
{
    const vec4 t = *this * vec4(x, y, z, 1.0f);
    m[12] = t.x;
    m[13] = t.y;
    m[14] = t.z;
}

void mat4::translate(const vec3& v) { translate(v.x, v.y, v.z); }

void mat4::rotate(float degrees, float x, float y, float z)
{
    const float angle = degrees * 0.017453292f;
    const float s = std::sin(angle);
    const float c = std::cos(angle);
    const float len = std::sqrt(x * x + y * y + z * z);
    if (len < 1e-4f)
        return;
    const float inv = 1.0f / len;
    x *= inv;
    y *= inv;
    z *= inv;
    const float k = 1.0f - c;
    mat4 r;
    for (float& e : r.m)
        e = 0.0f;
    r.m[0] = x * x * k + c;
    r.m[1] = x * y * k + z * s;
    r.m[2] = x * z * k - y * s;
    r.m[4] = x * y * k - z * s;
    r.m[5] = y * y * k + c;
    r.m[6] = y * z * k + x * s;
    r.m[8] = x * z * k + y * s;
    r.m[9] = y * z * k - x * s;
    r.m[10] = z * z * k + c;
    r.m[15] = 1.0f;
    *this *= r;
}

void mat4::lookAt(float eyeX, float eyeY, float eyeZ, float centreX, float centreY, float centreZ,
                  float upX, float upY, float upZ)
{
    vec3 f(centreX - eyeX, centreY - eyeY, centreZ - eyeZ);
    f.normalize();
    vec3 s = cross(f, vec3(upX, upY, upZ));
    s.normalize();
    const vec3 u = cross(s, f);
    mat4 l;
    for (float& e : l.m)
        e = 0.0f;
    l.m[0] = s.x;
    l.m[4] = s.y;
    l.m[8] = s.z;
    l.m[1] = u.x;
    l.m[5] = u.y;
    l.m[9] = u.z;
    l.m[2] = -f.x;
    l.m[6] = -f.y;
    l.m[10] = -f.z;
    l.m[15] = 1.0f;
    *this *= l;
    translate(-eyeX, -eyeY, -eyeZ);
}

void mat4::perspective(float fovy, float aspect, float znear, float zfar)
{
    const float top = static_cast<float>(std::tan(static_cast<double>(fovy * 3.1415927f / 360.0f))) * znear;
    const float right = top * aspect;
    const float left = -right;
    const float bottom = -top;
    for (float& e : m)
        e = 0.0f;
    m[0] = 2.0f * znear / (right - left);
    m[5] = 2.0f * znear / (top - bottom);
    m[8] = (right + left) / (right - left);
    m[9] = (top + bottom) / (top - bottom);
    m[10] = (-zfar - znear) / (zfar - znear);
    m[11] = -1.0f;
    m[14] = -(2.0f * znear) * zfar / (zfar - znear);
}

void mat4::ortho(float left, float right, float bottom, float top, float znear, float zfar)
{
    setIdentity();
    m[0] = 2.0f / (right - left);
    m[5] = 2.0f / (top - bottom);
    m[10] = -2.0f / (zfar - znear);
    m[12] = -(right + left) / (right - left);
    m[13] = -(top + bottom) / (top - bottom);
    m[14] = -(zfar + znear) / (zfar - znear);
}

vec3 mat4::multiply3x3(const vec3& v) const
{
    return vec3(m[0] * v.x + m[4] * v.y + m[8] * v.z,
                m[1] * v.x + m[5] * v.y + m[9] * v.z,
                m[2] * v.x + m[6] * v.y + m[10] * v.z);
}

void mat4::transformDirection(vec3& v) const
{
    const vec3 r = multiply3x3(v);
    v.x = r.x;
    v.y = r.y;
    v.z = r.z;
}

void mat4::transformPoint(float* p) const
{
    const vec4 r = *this * vec4(p[0], p[1], p[2], 1.0f);
    const float inv = 1.0f / r.w;
    p[0] = r.x * inv;
    p[1] = r.y * inv;
    p[2] = r.z * inv;
}

void mat4::transformPoint(vec3& p) const
{
    float xyz[3] = {p.x, p.y, p.z};
    transformPoint(xyz);
    p.set(xyz[0], xyz[1], xyz[2]);
}
