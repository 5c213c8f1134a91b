#pragma once
// 4x4 float matrix in OpenGL's column-major order (row r, column c at index
// c * 4 + r). Builders post-multiply (M = M * X) like the fixed-function stack;
// angles are in degrees.
#include "util/math/vec3.h"
#include "util/math/vec4.h"

class mat4 {
public:
    mat4();
    explicit mat4(int preset);
    explicit mat4(const float* values);
    mat4(float m0, float m1, float m2, float m3, float m4, float m5, float m6, float m7,
         float m8, float m9, float m10, float m11, float m12, float m13, float m14, float m15);
    mat4(const mat4& other) = default;
    mat4& operator=(const mat4& other) = default;

    mat4& setIdentity();
    float get(int index) const;
    float get(int column, int row) const;
    void set(int index, float value);
    float* data() { return m; }
    const float* data() const { return m; }

    mat4 operator*(const mat4& n) const;
    mat4& operator*=(const mat4& n);
    vec4 operator*(vec4 v) const;
    mat4 operator*(float s) const;
    mat4 operator/(float s) const;

    void transpose();
    mat4 transposed() const;
    mat4 transposedInverse() const;
    mat4 inverse() const;

    void scale(float x, float y, float z);
    void translate(float x, float y, float z);
    void translate(const vec3& v);
    void rotate(float degrees, float x, float y, float z);
    void lookAt(float eyeX, float eyeY, float eyeZ, float centreX, float centreY, float centreZ,
                float upX, float upY, float upZ);
    void perspective(float fovy, float aspect, float znear, float zfar);
    void ortho(float left, float right, float bottom, float top, float znear, float zfar);

    vec3 multiply3x3(const vec3& v) const;
    void transformDirection(vec3& v) const;
    void transformPoint(float* p) const;
    void transformPoint(vec3& p) const;

private:
    bool isAffine() const;
    float m[16];
};
