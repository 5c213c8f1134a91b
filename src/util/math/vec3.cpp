#include "util/math/vec3.h"

#include <cmath>

#include "util/math/mathutils.h"

vec3::vec3() { set(0.0f, 0.0f, 0.0f); }
vec3::vec3(float x_, float y_, float z_) : x(x_), y(y_), z(z_), w(1.0f) {}
vec3::vec3(float s) : x(s), y(s), z(s), w(1.0f) {}

vec3& vec3::set(float x_, float y_, float z_)
{
    x = x_;
    y = y_;
    z = z_;
    w = 1.0f;
    return *this;
}

vec3& vec3::operator=(const vec3& o)
{
    x = o.x;
    y = o.y;
    z = o.z;
    return *this;
}

vec3 vec3::operator+(const vec3& o) const { return vec3(x + o.x, y + o.y, z + o.z); }
vec3 vec3::operator-(const vec3& o) const { return vec3(x - o.x, y - o.y, z - o.z); }
vec3 vec3::operator*(float s) const { return vec3(x * s, y * s, z * s); }
vec3 vec3::operator/(float s) const { return vec3(x / s, y / s, z / s); }

vec3& vec3::operator+=(const vec3& o)
{
    x += o.x;
    y += o.y;
    z += o.z;
    return *this;
}

vec3& vec3::operator*=(float s)
{
    x *= s;
    y *= s;
    z *= s;
    return *this;
}

float vec3::length() const { return std::sqrt(x * x + y * y + z * z); }

vec3& vec3::normalize()
{
    const float len = length();
    x /= len;
    y /= len;
    z /= len;
    return *this;
}

vec3 vec3::rotatedZ(float degrees) const
{
    if (degrees == 0.0f) {
        vec3 copy(x, y, z);
        copy.w = w;
        return copy;
    }
    const double a = degrees * 3.141592653589793 / 180.0;
    const float sa = static_cast<float>(std::sin(a));
    const float ca = static_cast<float>(std::cos(a));
    return vec3(x * ca - y * sa, x * sa + y * ca, z);
}

void vec3::rotateZ(float degrees)
{
    const vec3 r = rotatedZ(degrees);
    x = r.x;
    y = r.y;
    z = r.z;
}

void vec3::lerp(const vec3& a, const vec3& b, float t)
{
    x = ::lerp(a.x, b.x, t);
    y = ::lerp(a.y, b.y, t);
    z = ::lerp(a.z, b.z, t);
}

void vec3::setRandomUnit()
{
    z = random_float(-1.0f, 1.0f);
    const float r = std::sqrt(1.0f - z * z);
    const float t = random_float(-3.1415927f, 3.1415927f);
    x = std::cos(t) * r;
    y = std::sin(t) * r;
}

vec3 cross(const vec3& a, const vec3& b)
{
    return vec3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}
