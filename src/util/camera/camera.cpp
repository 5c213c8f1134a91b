#include "util/camera/camera.h"

#include <GL/glew.h>

#include <sstream>
#include <string>

#include "system/fatal_error.h"

Camera::Camera()
    : eye(0, 10, -150), target(0, 0, 0), up(0, 0, -1), hfov(-1.0f), vfov(-1.0f), znear(1.0f), zfar(1000.0f),
      focus(0.2f), focus_range(0.1f), focus_falloff(0.3f), own_width(-1), own_height(-1), own_aspect(-1.0f),
      offset(0, 0, 0)
{
}

void Camera::look_at(float eyeX, float eyeY, float eyeZ, float targetX, float targetY, float targetZ, float upX,
                     float upY, float upZ)
{
    eye.set(eyeX, eyeY, eyeZ);
    target.set(targetX, targetY, targetZ);
    up.set(upX, upY, upZ);
    view.setIdentity();
    view.lookAt(eyeX, eyeY, eyeZ, targetX, targetY, targetZ, upX, upY, upZ);
}

mat4 Camera::setup(int width, int height, float aspect, float scale)
{
    if (width < 0 || width > 10000 || height < 0 || height > 10000)
        FATAL_ERROR("Sanity check failed on width/height " + std::to_string(width) + "/" + std::to_string(height));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (own_width >= 1 && own_height >= 1 && own_aspect > 0.0f) {
        width = own_width;
        height = own_height;
        aspect = own_aspect;
    }
    if (height == 0)
        height = 1;
    const int viewportHeight = static_cast<int>(static_cast<float>(width) / aspect);
    glViewport(0, (height - viewportHeight) / 2, width, viewportHeight);
    if (vfov < 0.0f)
        vfov = hfov >= 0.0f ? hfov / aspect : 45.0f;
    if (znear < 0.0f || zfar < 0.0f) {
        std::ostringstream message;
        message << "Invalid znear/zfar of " << znear << "/" << zfar;
        FATAL_ERROR(message.str());
    }
    projection.perspective(vfov, aspect, znear * scale, zfar * scale);
    glLoadMatrixf(projection.data());
    load_modelview();
    return projection;
}

void Camera::load_modelview()
{
    glMatrixMode(GL_MODELVIEW);
    mat4 m = view;
    m.translate(offset);
    glLoadMatrixf(m.data());
}

void Camera::rotate(float degrees, float x, float y, float z)
{
    mat4 r;
    r.rotate(degrees, x, y, z);
    view = r * view;
}

void Camera::move_along(const vec3& axis, float distance)
{
    vec3 a = axis;
    view.inverse().transformDirection(a);
    a.normalize();
    const vec3 step = a * distance;
    view.translate(step.x, step.y, step.z);
}

void Camera::move_forward(float distance) { move_along(vec3(0, 0, 1), distance); }
void Camera::move_left(float distance) { move_along(vec3(1, 0, 0), distance); }
void Camera::move_up(float distance) { move_along(vec3(0, -1, 0), distance); }

void Camera::add_fov(float delta)
{
    vfov += delta;
    hfov += delta;
}

void Camera::set_near_far(float n, float f)
{
    set_znear(n);
    set_zfar(f);
}

void Camera::set_range(float range) { set_near_far(range * 0.001f, range * 10.0f); }
