#pragma once
// The perspective look-at camera of the scenes and the 3-D scene graph: view
// and projection matrices, field of view, clipping distances and the
// depth-of-field parameters (fractions of zfar - znear).
#include <string>

#include "util/math/mat4.h"
#include "util/math/vec3.h"

class Camera {
public:
    Camera();

    void look_at(float eyeX, float eyeY, float eyeZ, float targetX, float targetY, float targetZ, float upX, float upY,
                 float upZ);
    mat4 setup(int width, int height, float aspect, float scale);
    void load_modelview();

    mat4 get_view_matrix() const { return view; }
    mat4 get_projection_matrix() const { return projection; }
    mat4 get_view_matrix_inverse() const { return view.inverse(); }
    void set_view_matrix(mat4 m) { view = m; }

    void rotate(float degrees, float x, float y, float z);
    void move_forward(float distance);
    void move_left(float distance);
    void move_up(float distance);

    void add_fov(float delta);
    void set_hfov(float degrees) { hfov = degrees; }
    void set_vfov(float degrees) { vfov = degrees; }
    void set_znear(float z) { znear = z; }
    void set_zfar(float z) { zfar = z; }
    void set_near_far(float n, float f);
    void set_range(float range);

    float get_znear() const { return znear; }
    float get_zfar() const { return zfar; }
    float get_focus() const { return focus; }
    float get_focus_range() const { return focus_range; }
    float get_focus_falloff() const { return focus_falloff; }
    float get_vfov() const { return vfov; }
    float get_hfov() const { return hfov; }

    void debug_print() {}

    std::string name;
    vec3 eye;
    vec3 target;
    vec3 up;
    mat4 view;
    mat4 projection;
    float hfov;
    float vfov;
    float znear;
    float zfar;
    float focus;
    float focus_range;
    float focus_falloff;
    int own_width;
    int own_height;
    float own_aspect;
    vec3 offset;

private:
    void move_along(const vec3& axis, float distance);
};
