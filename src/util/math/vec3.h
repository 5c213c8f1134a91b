#pragma once
// Three-component float vector with a fourth component w that every new vector
// carries as 1.0; assignment and the in-place operators leave the target's w.

class vec3 {
public:
    float x, y, z, w;

    vec3();
    vec3(float x, float y, float z);
    explicit vec3(float s);
    vec3(const vec3& other) = default;

    vec3& set(float x, float y, float z);
    vec3& operator=(const vec3& other);

    vec3 operator+(const vec3& other) const;
    vec3 operator-(const vec3& other) const;
    vec3 operator*(float s) const;
    vec3 operator/(float s) const;
    vec3& operator+=(const vec3& other);
    vec3& operator*=(float s);

    float length() const;
    vec3& normalize();
    vec3 rotatedZ(float degrees) const;
    void rotateZ(float degrees);
    void lerp(const vec3& a, const vec3& b, float t);
    void setRandomUnit();

    float& operator[](int i) { return (&x)[i]; }
    const float& operator[](int i) const { return (&x)[i]; }
    float* data() { return &x; }
    const float* data() const { return &x; }
};

vec3 cross(const vec3& a, const vec3& b);
