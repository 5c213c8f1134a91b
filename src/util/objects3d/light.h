#pragma once
// The point light of the 3D scene graph: colours and attenuation for the
// generated lighting programs and, with shadows on, an omnidirectional
// shadow map (a depth cube map, one 90-degree view per face).
#include <GL/glew.h>

#include <string>

#include "util/math/mat4.h"
#include "util/math/vec3.h"
#include "util/math/vec4.h"

class Light {
public:
    Light();
    ~Light();
    Light(const Light&) = delete;
    Light& operator=(const Light&) = delete;

    void set_position(float x, float y, float z);
    vec3 get_position() const { return vec3(position.x, position.y, position.z); }
    void set_diffuse(float r, float g, float b, float a) { diffuse.set(r, g, b, a); }
    void set_specular(float r, float g, float b, float a) { specular.set(r, g, b, a); }
    void set_ambient(float r, float g, float b, float a) { ambient.set(r, g, b, a); }
    vec4 get_diffuse() const { return diffuse; }
    vec4 get_specular() const { return specular; }

    void set_attenuation_constant(float c) { attenuation[0] = c; }
    void set_attenuation_linear(float l) { attenuation[1] = l; }
    void set_attenuation_quadratic(float q) { attenuation[2] = q; }
    vec3 get_attenuation() const { return vec3(attenuation[0], attenuation[1], attenuation[2]); }
    // Linear falloff reaching 1/2 at a tenth of the distance to p (p must not
    // lie at the light), or at a twentieth of the range (above 0).
    void set_attenuation_from_point(vec3 p);
    void set_attenuation_range(float range);

    // Near r / 1000 and far 2r (r above 0).
    void set_shadow_range(float r);
    // 0 < near < far.
    void set_near_far(float near, float far);
    mat4 get_projection_matrix() const { return projection; }
    mat4 get_view_matrix() const { return view_matrix; }
    int get_type() const { return type; }

    void set_shadows(bool on);
    void set_size(int width, int height);
    mat4 begin_shadow_face(int face);
    void end_shadow_face();
    void bind_shadow_map();
    void unbind_shadow_map();

    void create_shadow_map();
    void update_view_matrix();

    std::string name;
    vec4 position;
    mat4 view_matrix;
    mat4 face_matrices[6];
    mat4 projection;
    vec4 ambient;
    vec4 diffuse;
    vec4 specular;
    float attenuation[3];
    float cutoff;
    float exponent;
    int type;
    bool shadows;
    float shadow_near;
    float shadow_far;
    int shadow_map_size;
    GLuint shadow_cube_texture;
    GLuint shadow_fbo;
    int last_width;
    int last_height;

private:
    void check_shadow_framebuffer();

    GLint saved_framebuffer = 0;
    GLint saved_draw_buffer = 0;
    GLint saved_read_buffer = 0;
    GLint saved_viewport[4] = {0, 0, 0, 0};
};
