#include "util/math/vec4.h"

#include "util/math/mathutils.h"

vec4::vec4() : x(0.0f), y(0.0f), z(0.0f), w(0.0f) {}
vec4::vec4(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
vec4::vec4(float s) : x(s), y(s), z(s), w(s) {}
vec4::vec4(vec3 xyz, float w_) : x(xyz.x), y(xyz.y), z(xyz.z), w(w_) {}

vec4& vec4::set(float x_, float y_, float z_, float w_)
{
    x = x_;
    y = y_;
    z = z_;
    w = w_;
    return *this;
}

vec4& vec4::operator=(const vec4& o)
{
    x = o.x;
    y = o.y;
    z = o.z;
    w = o.w;
    return *this;
}

vec4 vec4::operator+(const vec4& o) const { return vec4(x + o.x, y + o.y, z + o.z, w + o.w); }

void vec4::lerp(const vec4& a, const vec4& b, float t)
{
    x = ::lerp(a.x, b.x, t);
    y = ::lerp(a.y, b.y, t);
    z = ::lerp(a.z, b.z, t);
    w = ::lerp(a.w, b.w, t);
}
