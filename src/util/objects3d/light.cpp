#include "util/objects3d/light.h"

#include <algorithm>
#include <climits>
#include <string>

#include "system/fatal_error.h"
#include "util/ioutils/ioutils.h"
#include "util/objects3d/framebuffer_binding_keeper.h"

namespace {

// The line, lighting, depth-buffer, accumulation-buffer and viewport groups.
const GLbitfield kShadowFaceAttribs = 0x0B44;

// Cube faces in OpenGL's order, positive X first: look-at target and up.
const float kFaceViews[6][6] = {
    {1, 0, 0, 0, -1, 0}, {-1, 0, 0, 0, -1, 0}, {0, 1, 0, 0, 0, 1},
    {0, -1, 0, 0, 0, -1}, {0, 0, 1, 0, -1, 0}, {0, 0, -1, 0, -1, 0},
};

std::string number(float value) { return to_string(value, 6); }

}

Light::Light()
    : position(0, 0, 0, 1), ambient(0.002f, 0.002f, 0.002f, 1), diffuse(1, 1, 1, 1), specular(1, 1, 1, 1),
      attenuation{1, 0, 0}, cutoff(180.0f), exponent(0.0f), type(1), shadows(false), shadow_near(0.01f),
      shadow_far(20.0f), shadow_map_size(2048), shadow_cube_texture(0), shadow_fbo(0), last_width(INT_MIN),
      last_height(INT_MIN)
{
    for (int i = 0; i < 6; i++) {
        const float* v = kFaceViews[i];
        face_matrices[i].lookAt(0, 0, 0, v[0], v[1], v[2], v[3], v[4], v[5]);
    }
    set_shadow_range(10.0f);
    set_attenuation_from_point(vec3(10, 10, 10));
}

Light::~Light()
{
    if (shadow_cube_texture)
        glDeleteTextures(1, &shadow_cube_texture);
    if (shadow_fbo)
        glDeleteFramebuffers(1, &shadow_fbo);
}

void Light::set_position(float x, float y, float z)
{
    position.set(x, y, z, 1.0f);
    update_view_matrix();
}

void Light::update_view_matrix()
{
    view_matrix.setIdentity();
    view_matrix.translate(-position.x, -position.y, -position.z);
}

void Light::set_attenuation_from_point(vec3 p)
{
    const float d = (get_position() - p).length();
    if (!(d > 0.0f))
        FATAL_ERROR("Light attenuation point (" + number(p.x) + ", " + number(p.y) + ", " + number(p.z)
                    + ") lies at the light");
    attenuation[0] = 1.0f;
    attenuation[1] = 1.0f / (d * 10.0f);
    attenuation[2] = 0.0f;
}

void Light::set_attenuation_range(float range)
{
    if (!(range > 0.0f))
        FATAL_ERROR("Light attenuation range must be above 0, not " + number(range));
    attenuation[0] = 1.0f;
    attenuation[1] = 1.0f / ((range / 2.0f) * 10.0f);
    attenuation[2] = 0.0f;
}

void Light::set_shadow_range(float r)
{
    if (!(r > 0.0f))
        FATAL_ERROR("Light shadow range must be above 0, not " + number(r));
    set_near_far(r * 0.001f, r * 2.0f);
}

void Light::set_near_far(float near, float far)
{
    if (!(near > 0.0f) || !(far > near))
        FATAL_ERROR("Light shadow near/far must satisfy 0 < near < far, not " + number(near) + "/" + number(far));
    shadow_near = near;
    shadow_far = far;
    projection.perspective(90.0f, 1.0f, near, far);
}

void Light::set_shadows(bool on)
{
    shadows = on;
    if (on)
        create_shadow_map();
}

void Light::create_shadow_map()
{
    if (shadow_cube_texture != 0 && shadow_fbo != 0)
        return;
    if (shadow_cube_texture == 0) {
        glGenTextures(1, &shadow_cube_texture);
        glBindTexture(GL_TEXTURE_CUBE_MAP, shadow_cube_texture);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_DEPTH_TEXTURE_MODE, GL_LUMINANCE);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_R_TO_TEXTURE);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_COMPARE_FUNC, GL_LEQUAL);
        for (int face = 0; face < 6; face++)
            glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_DEPTH_COMPONENT24, shadow_map_size,
                         shadow_map_size, 0, GL_DEPTH_COMPONENT, GL_FLOAT, nullptr);
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    }
    if (shadow_fbo == 0)
        glGenFramebuffers(1, &shadow_fbo);
    check_shadow_framebuffer();
}

// A face of the cube as the only attachment must make a complete framebuffer;
// otherwise every shadow face would draw nowhere without a word.
void Light::check_shadow_framebuffer()
{
    GLenum status = 0;
    {
        FramebufferBindingKeeper keep;
        glBindFramebuffer(GL_FRAMEBUFFER, shadow_fbo);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_CUBE_MAP_POSITIVE_X,
                               shadow_cube_texture, 0);
        glDrawBuffer(GL_NONE);
        glReadBuffer(GL_NONE);
        status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    }
    if (status != GL_FRAMEBUFFER_COMPLETE)
        FATAL_ERROR("Shadow cube map framebuffer of " + std::to_string(shadow_map_size) + " x "
                    + std::to_string(shadow_map_size) + " texels is incomplete (status "
                    + std::to_string(status) + ")");
}

void Light::set_size(int width, int height)
{
    if ((width != last_width || height != last_height) && shadow_cube_texture != 0) {
        // The faces follow the larger side of the picture, within what the
        // driver takes; a size below 1 keeps the current faces.
        GLint most = 0;
        glGetIntegerv(GL_MAX_CUBE_MAP_TEXTURE_SIZE, &most);
        int size = std::max(width, height);
        if (most > 0)
            size = std::min(size, static_cast<int>(most));
        if (size >= 1 && size != shadow_map_size) {
            shadow_map_size = size;
            glDeleteTextures(1, &shadow_cube_texture);
            shadow_cube_texture = 0;
            create_shadow_map();
        }
    }
    last_width = width;
    last_height = height;
}

mat4 Light::begin_shadow_face(int face)
{
    if (!shadows || face < 0 || face > 5)
        return mat4();
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &saved_framebuffer);
    glGetIntegerv(GL_DRAW_BUFFER, &saved_draw_buffer);
    glGetIntegerv(GL_READ_BUFFER, &saved_read_buffer);
    glGetIntegerv(GL_VIEWPORT, saved_viewport);
    glPushAttrib(kShadowFaceAttribs);
    glBindFramebuffer(GL_FRAMEBUFFER, shadow_fbo);
    glDrawBuffer(GL_NONE);
    glReadBuffer(GL_NONE);
    glViewport(0, 0, shadow_map_size, shadow_map_size);
    glCullFace(GL_FRONT);
    glDisable(GL_LIGHTING);
    const mat4 m = face_matrices[face] * view_matrix;
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadMatrixf(projection.data());
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadMatrixf(m.data());
    glEnable(GL_POLYGON_OFFSET_FILL);
    glEnable(GL_POLYGON_OFFSET_LINE);
    glEnable(GL_POLYGON_OFFSET_POINT);
    glPolygonOffset(1.0f, 1.0f);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_CUBE_MAP_POSITIVE_X + face,
                           shadow_cube_texture, 0);
    // The pass before may have left depth writes off (a transparent object
    // drawn last), which would leave last frame's depths in the face. The
    // attribute push above saved the mask; end_shadow_face puts it back.
    glDepthMask(GL_TRUE);
    glClear(GL_DEPTH_BUFFER_BIT);
    return m;
}

void Light::end_shadow_face()
{
    if (!shadows)
        return;
    glDisable(GL_POLYGON_OFFSET_FILL);
    glDisable(GL_POLYGON_OFFSET_LINE);
    glDisable(GL_POLYGON_OFFSET_POINT);
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(saved_framebuffer));
    glDrawBuffer(static_cast<GLenum>(saved_draw_buffer));
    glReadBuffer(static_cast<GLenum>(saved_read_buffer));
    glViewport(saved_viewport[0], saved_viewport[1], saved_viewport[2], saved_viewport[3]);
    glPopAttrib();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

void Light::bind_shadow_map()
{
    glActiveTexture(GL_TEXTURE0);
    glEnable(GL_TEXTURE_CUBE_MAP);
    glBindTexture(GL_TEXTURE_CUBE_MAP, shadow_cube_texture);
}

void Light::unbind_shadow_map()
{
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    glDisable(GL_TEXTURE_CUBE_MAP);
}
