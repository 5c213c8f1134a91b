#include "util/objects3d/rendercontext.h"

#include <GL/glew.h>

#include "system/fatal_error.h"
#include "util/camera/camera.h"
#include "util/objects3d/light.h"
#include "util/objects3d/material.h"
#include "util/shaderprogram/shaderprogram.h"
#include "util/texture/texture.h"

std::string draw_mode_name(int draw_mode)
{
    switch (draw_mode) {
    case DRAW_MODE_NORMAL: return "DRAW_MODE_NORMAL";
    case DRAW_MODE_SHADOW_AMBIENT: return "DRAW_MODE_SHADOW_AMBIENT";
    case DRAW_MODE_SHADOW_DEPTHWRITE: return "DRAW_MODE_SHADOW_DEPTHWRITE";
    case DRAW_MODE_SHADOW_LIGHTING: return "DRAW_MODE_SHADOW_LIGHTING";
    case DRAW_MODE_GLOW: return "DRAW_MODE_GLOW";
    default: return "INVALID";
    }
}

RenderContext::RenderContext()
{
    reset();
    global_ambient.set(0.2f, 0.2f, 0.2f, 1.0f);
}

void RenderContext::reset()
{
    shadow_pass = false;
    lights.clear();
}

ShaderKey RenderContext::make_shader_key(unsigned draw_mode, unsigned num_lights, bool using_texture,
                                         const Material* material, bool draw_instanced, bool has_tangents) const
{
    ShaderKey key = 0;
    if (using_texture) {
        if (material->diffuse_texture)
            key |= 1u << 0;
        if (material->emission_texture)
            key |= 1u << 1;
        if (material->normal_texture && has_tangents)
            key |= 1u << 2;
        if (material->glow_texture)
            key |= 1u << 3;
    }
    if (material->diffuseColors.size() >= 2)
        key |= 1u << 5;
    if (draw_mode > 0xff)
        FATAL_ERROR("Failed assert draw_mode <= 0xff");
    if (num_lights > 0xff)
        FATAL_ERROR("Failed assert num_lights <= 0xff");
    if (shadow_pass)
        key |= 1u << 4;
    if (draw_instanced)
        key |= kShaderKeyInstancedBit;
    return key | (num_lights << 16) | (draw_mode << 24);
}

void RenderContext::apply(int draw_mode, bool using_texture, const std::vector<mat4>& instance_matrices,
                          Material* material, Camera* camera, bool has_tangents)
{
    const unsigned n = static_cast<unsigned>(lights.size());
    const bool draw_instanced = instance_matrices.size() >= 2;
    const ShaderKey key = make_shader_key(static_cast<unsigned>(draw_mode), n, using_texture, material,
                                          draw_instanced, has_tangents);
    auto found = shader_cache.find(key);
    if (found == shader_cache.end())
        found = shader_cache
                    .emplace(key, shader_pieces.GetShader(draw_mode, n, using_texture, draw_instanced, material,
                                                          has_tangents))
                    .first;
    ShaderProgram* shader = found->second;
    if (!shader)
        FATAL_ERROR("shader is NULL");
    shader->bind();

    glDepthMask(material->is_transparent() ? GL_FALSE : GL_TRUE);

    const Material& m = *material;
    const bool modeNormal = draw_mode == DRAW_MODE_NORMAL;
    const bool modeAmbient = draw_mode == DRAW_MODE_SHADOW_AMBIENT;
    const bool modeLighting = draw_mode == DRAW_MODE_SHADOW_LIGHTING;
    const bool lit = n > 0 && (modeNormal || modeLighting);
    auto require_one_light = [&] {
        if (lights.size() != 1)
            FATAL_ERROR("Failed assert 1 == lights.size()");
    };

    if (modeNormal || modeAmbient) {
        shader->set_vec4("GlobalAmbient", global_ambient, 1);
        shader->set_vec4("MaterialAmbient", m.ambient + m.tint, 1);
        shader->set_vec4("MaterialEmission", m.emission + m.tint, 1);
    }
    if (lit) {
        shader->set_float("MaterialShininess", m.shininess);
        shader->set_vec4("MaterialSpecular", m.specular + m.tint, 1);
        std::vector<float> attenuation, position, diffuse, specular;
        const mat4 view = camera->get_view_matrix();
        for (Light* light : lights) {
            attenuation.insert(attenuation.end(), light->attenuation, light->attenuation + 3);
            vec3 p = light->get_position();
            view.transformPoint(p);
            position.insert(position.end(), {p.x, p.y, p.z});
            const vec4 d = light->get_diffuse();
            const vec4 s = light->get_specular();
            diffuse.insert(diffuse.end(), d.data(), d.data() + 4);
            specular.insert(specular.end(), s.data(), s.data() + 4);
        }
        const int count = static_cast<int>(n);
        shader->set_vec3_array("LightAttenuation", attenuation.data(), count);
        shader->set_vec3_array("LightPosition", position.data(), count);
        shader->set_vec4_array("LightDiffuse", diffuse.data(), count);
        shader->set_vec4_array("LightSpecular", specular.data(), count);
    }
    if (modeNormal || modeAmbient || modeLighting)
        shader->set_vec4("MaterialDiffuse", m.effective_diffuse(), 1);
    if (draw_mode == DRAW_MODE_SHADOW_DEPTHWRITE) {
        require_one_light();
        shader->set_mat4("ProjectionMatrix", lights[0]->get_projection_matrix().data(), 1, false);
    } else {
        shader->set_mat4("ProjectionMatrix", camera->get_projection_matrix().data(), 1, false);
    }
    if (!draw_instanced && !instance_matrices.empty())
        shader->set_mat4("ModelViewMatrix", instance_matrices.front().data(), 1, false);

    int unit = 0;
    auto sampler = [&](const char* name, Texture* texture) {
        shader->set_int(name, unit);
        if (texture)
            texture->bind(unit);
        unit++;
    };
    if (n > 0 && shadow_pass) {
        require_one_light();
        sampler("ShadowMap", nullptr);  // the caller bound the light's cube map on unit 0
        shader->set_mat4("camera_view_matrix_inv", camera->get_view_matrix_inverse().data(), 1, false);
        shader->set_mat4("light_view_matrix", lights[0]->get_view_matrix().data(), 1, false);
        shader->set_mat4("light_projection_matrix", lights[0]->get_projection_matrix().data(), 1, false);
    }
    if (using_texture && m.emission_texture && (modeNormal || modeAmbient))
        sampler("EmissionMap", m.emission_texture);
    if (using_texture && m.diffuse_texture && (modeNormal || modeAmbient || modeLighting))
        sampler("DiffuseMap", m.diffuse_texture);
    if (lit && RenderContextShaderPieces::uses_normal_map(n, using_texture, material, has_tangents))
        sampler("NormalMap", m.normal_texture);
    if (draw_mode == DRAW_MODE_GLOW) {
        shader->set_vec4("MaterialGlow", m.glow, 1);
        if (using_texture && m.glow_texture)
            sampler("GlowMap", m.glow_texture);
    }
}
