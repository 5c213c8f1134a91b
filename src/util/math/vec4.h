#pragma once
// Four-component float vector: colours (r, g, b, a), homogeneous points and
// vec4 uniforms. All four components take part in every operation.
#include "util/math/vec3.h"

class vec4 {
public:
    float x, y, z, w;

    vec4();
    vec4(float x, float y, float z, float w);
    explicit vec4(float s);
    vec4(vec3 xyz, float w);
    vec4(const vec4& other) = default;

    vec4& set(float x, float y, float z, float w);
    vec4& operator=(const vec4& other);
    vec4 operator+(const vec4& other) const;
    void lerp(const vec4& a, const vec4& b, float t);

    float& operator[](int i) { return (&x)[i]; }
    const float& operator[](int i) const { return (&x)[i]; }
    float* data() { return &x; }
    const float* data() const { return &x; }
};
