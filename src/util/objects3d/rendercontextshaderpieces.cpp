#include "util/objects3d/rendercontextshaderpieces.h"

#include <string>

#include "system/fatal_error.h"
#include "util/ioutils/ioutils.h"
#include "util/objects3d/material.h"
#include "util/objects3d/rendercontext.h"
#include "util/shaderprogram/shaderconstructor.h"
#include "util/shaderprogram/shaderprogram.h"

bool RenderContextShaderPieces::initialized = false;

namespace {

const char* const kPieceFiles[] = {
    "body_assign_color.frag", "body_assign_diffuse.frag", "body_assign_diffusemap.frag",
    "body_calc_light.frag", "body_calc_mixed_emission_ambient.frag", "body_calc_shadow.frag",
    "body_color.frag", "body_gl_position.vert", "body_cs_position_normal.vert",
    "body_material_alpha.frag", "body_mixed_ambient.frag", "body_mixed_ambient_texture.frag",
    "body_mixed_colors.frag", "body_mixed_colors_texture.frag", "body_mixed_emission.frag",
    "body_mixed_emission_texture.frag", "body_tbn.vert", "body_texcoords.vert",
    "function_calc_light.frag", "function_calc_light_normalmap.frag", "function_shadow.frag",
    "function_tbn.vert", "global_common.frag", "global_common.vert",
    "global_cs_position_normal.frag", "global_cs_position_normal.vert", "global_diffusemap.frag",
    "global_emissionmap.frag", "global_mixed_ambient_emission.frag", "global_shadow.frag",
    "global_tbn.frag", "global_tbn.vert", "body_assign_glowmap.frag",
};

const char* const kTexturedSpecular =
    "\tmixed_specular = vec4( mix( MaterialSpecular.rgb, MaterialSpecular.rgb*texcolor.rgb, texcolor.a ), "
    "MaterialSpecular.a );";

std::string piece(const char* file) { return std::string(RenderContextShaderPieces::kPieceDirectory) + file; }

const char* yes_no(bool b) { return b ? "true" : "false"; }

// What one generated program is made for.
struct Want {
    int mode;
    unsigned n;
    std::string count;  // n in decimal
    bool textured;
    bool diffuse;       // textured, with a diffuse texture
    bool emission;      // textured, with an emission texture
    bool glow;          // textured, with a glow texture
    bool normal;        // the normal map is used
};

std::string program_name(const Want& w, bool instanced, const Material* m)
{
    return std::string("RenderContextShaderPieces\n") + "//  draw_mode:      " + draw_mode_name(w.mode) + "\n"
           + "//  num_lights:     " + w.count + "\n" + "//  using_texture:  " + yes_no(w.textured) + "\n"
           + "//  draw_instanced: " + yes_no(instanced) + "\n" + "//  material:       " + m->name + "\n"
           + "//    diffuse_tex:  " + yes_no(m->diffuse_texture) + "\n"
           + "//    normal_tex:   " + yes_no(m->normal_texture) + "\n"
           + "//    emission_tex: " + yes_no(m->emission_texture) + "\n"
           + "//    glow_tex:     " + yes_no(m->glow_texture);
}

void add_glow_lines(ShaderConstructor& sc, const Want& w)
{
    sc.add_frag_global_line("uniform vec4 MaterialGlow;");
    if (w.glow) {
        sc.add_frag_global_line("uniform sampler2D GlowMap;");
        sc.add_frag_body_piece(piece("body_assign_glowmap.frag"));
    } else {
        sc.add_frag_body_line("\tFragColor = MaterialGlow;");
    }
}

void add_ambient_lines(ShaderConstructor& sc, const Want& w)
{
    if (w.emission)
        sc.add_frag_global_piece(piece("global_emissionmap.frag"));
    if (w.diffuse)
        sc.add_frag_global_piece(piece("global_diffusemap.frag"));
    sc.add_frag_body_piece(piece("body_color.frag"));
    sc.add_frag_body_piece(piece(w.diffuse ? "body_mixed_ambient_texture.frag" : "body_mixed_ambient.frag"));
    sc.add_frag_body_piece(piece(w.emission ? "body_mixed_emission_texture.frag" : "body_mixed_emission.frag"));
    sc.add_frag_body_piece(piece("body_calc_mixed_emission_ambient.frag"));
    sc.add_frag_body_piece(piece("body_assign_color.frag"));
}

// The vertex side of eye-space lighting, with the tangent frame when the
// normal map is used; `dirs` is the size of the light-direction arrays.
void add_lit_vertex_lines(ShaderConstructor& sc, const Want& w, const std::string& dirs)
{
    sc.add_vert_global_piece(piece("global_cs_position_normal.vert"));
    if (w.normal) {
        sc.add_vert_global_piece(piece("global_tbn.vert"));
        sc.add_vert_global_line("uniform vec3 LightPosition[" + w.count + "];");
        sc.add_vert_global_line("out vec3 lightdir_tbn[" + dirs + "];");
        sc.add_vert_function_piece(piece("function_tbn.vert"));
    }
    sc.add_vert_body_piece(piece("body_cs_position_normal.vert"));
    if (w.normal) {
        sc.add_vert_body_piece(piece("body_tbn.vert"));
        for (unsigned i = 0; i < w.n; i++)
            sc.add_vert_body_line("\tcalc_tbn( " + std::to_string(i) + " );");
    }
}

void add_normal_lines(ShaderConstructor& sc, const Want& w)
{
    const bool lit = w.n > 0;
    if (lit)
        add_lit_vertex_lines(sc, w, w.count);
    if (lit)
        sc.add_frag_global_piece(piece("global_cs_position_normal.frag"));
    if (w.emission)
        sc.add_frag_global_piece(piece("global_emissionmap.frag"));
    if (w.diffuse)
        sc.add_frag_global_piece(piece("global_diffusemap.frag"));
    if (w.normal) {
        sc.add_frag_global_piece(piece("global_tbn.frag"));
        sc.add_frag_global_line("in vec3 lightdir_tbn[" + w.count + "];");
    }
    if (lit)
        sc.add_frag_function_piece(
            piece(w.normal ? "function_calc_light_normalmap.frag" : "function_calc_light.frag"));
    sc.add_frag_body_piece(piece("body_color.frag"));
    if (w.diffuse) {
        sc.add_frag_body_piece(piece("body_mixed_ambient_texture.frag"));
        sc.add_frag_body_piece(piece("body_mixed_colors_texture.frag"));
        if (lit)
            sc.add_frag_body_line(kTexturedSpecular);
    } else {
        sc.add_frag_body_piece(piece("body_mixed_ambient.frag"));
        sc.add_frag_body_piece(piece("body_mixed_colors.frag"));
        if (lit)
            sc.add_frag_body_line("\tmixed_specular = MaterialSpecular;");
    }
    sc.add_frag_body_piece(piece(w.emission ? "body_mixed_emission_texture.frag" : "body_mixed_emission.frag"));
    sc.add_frag_body_piece(piece("body_calc_mixed_emission_ambient.frag"));
    for (unsigned i = 0; i < w.n; i++)
        sc.add_frag_body_line("\tcolor += calc_light( " + std::to_string(i) + " );");
    if (!lit)
        sc.add_frag_body_line("\tcolor.rgb += mixed_diffuse.rgb;");
    sc.add_frag_body_piece(piece("body_material_alpha.frag"));
    sc.add_frag_body_piece(piece("body_assign_color.frag"));
}

void add_lighting_lines(ShaderConstructor& sc, const Want& w)
{
    add_lit_vertex_lines(sc, w, "1");
    sc.add_frag_global_piece(piece("global_cs_position_normal.frag"));
    sc.add_frag_global_piece(piece("global_shadow.frag"));
    if (w.diffuse)
        sc.add_frag_global_piece(piece("global_diffusemap.frag"));
    if (w.normal) {
        sc.add_frag_global_piece(piece("global_tbn.frag"));
        sc.add_frag_global_line("in vec3 lightdir_tbn[1];");
    }
    sc.add_frag_function_piece(piece("function_shadow.frag"));
    sc.add_frag_function_piece(piece(w.normal ? "function_calc_light_normalmap.frag" : "function_calc_light.frag"));
    sc.add_frag_body_piece(piece("body_color.frag"));
    if (w.diffuse) {
        sc.add_frag_body_piece(piece("body_mixed_colors_texture.frag"));
        sc.add_frag_body_line(kTexturedSpecular);
    } else {
        sc.add_frag_body_piece(piece("body_mixed_colors.frag"));
        sc.add_frag_body_line("\tmixed_specular = MaterialSpecular;");
    }
    for (const char* f : {"body_calc_light.frag", "body_calc_shadow.frag", "body_material_alpha.frag",
                          "body_assign_color.frag"})
        sc.add_frag_body_piece(piece(f));
}

}

RenderContextShaderPieces::RenderContextShaderPieces()
{
    if (initialized)
        return;
    for (const char* file : kPieceFiles)
        declare_file(piece(file));
    initialized = true;
}

bool RenderContextShaderPieces::uses_normal_map(unsigned num_lights, bool using_texture, const Material* material,
                                                bool has_tangents)
{
    return num_lights > 0 && num_lights <= kMaxNormalMapLights && using_texture && material->normal_texture
           && has_tangents;
}

ShaderProgram* RenderContextShaderPieces::GetShader(int draw_mode, unsigned num_lights, bool using_texture,
                                                    bool draw_instanced, const Material* material, bool has_tangents)
{
    if (!initialized)
        FATAL_ERROR("GetShader called without RenderContextShaderPieces being initialized!");
    if (draw_mode == DRAW_MODE_SHADOW_LIGHTING && num_lights != 1)
        FATAL_ERROR("Failed assert 1 == num_lights");

    Want w;
    w.mode = draw_mode;
    w.n = num_lights;
    w.count = std::to_string(num_lights);
    w.textured = using_texture;
    w.diffuse = using_texture && material->diffuse_texture;
    w.emission = using_texture && material->emission_texture;
    w.glow = using_texture && material->glow_texture;
    w.normal = uses_normal_map(num_lights, using_texture, material, has_tangents);
    const bool instancedColors = draw_instanced && material->diffuseColors.size() >= 2;
    const bool ambientModes = draw_mode == DRAW_MODE_NORMAL || draw_mode == DRAW_MODE_SHADOW_AMBIENT;
    const bool lightModes = draw_mode == DRAW_MODE_NORMAL || draw_mode == DRAW_MODE_SHADOW_LIGHTING;

    ShaderConstructor* sc = new ShaderConstructor(program_name(w, draw_instanced, material),
                                                  "#version 420\n#extension GL_EXT_gpu_shader4 : enable");
    sc->add_vert_global_line("uniform mat4 ProjectionMatrix;");
    sc->add_vert_global_line("layout (location = 0) in vec3 Position;");
    sc->add_frag_global_line("out vec4 FragColor;");
    const bool texcoords = using_texture && draw_mode != DRAW_MODE_SHADOW_DEPTHWRITE;
    if (texcoords) {
        sc->add_vert_global_line("layout( location = VERTEX_ATTRIB_TEXCOORD ) in vec2 TexCoord;");
        sc->add_vert_global_line("out vec2 TexCoordFrag;");
        sc->add_frag_global_line("in vec2 TexCoordFrag;");
    }
    if (ambientModes)
        sc->add_frag_global_piece(piece("global_mixed_ambient_emission.frag"));
    if (num_lights > 0 && lightModes) {
        sc->add_frag_global_line("uniform float MaterialShininess;");
        sc->add_frag_global_line("uniform vec3 LightPosition[" + w.count + "];");
        sc->add_frag_global_line("uniform vec4 LightDiffuse[" + w.count + "];");
        sc->add_frag_global_line("uniform vec4 LightSpecular[" + w.count + "];");
        sc->add_frag_global_line("uniform vec3 LightAttenuation[" + w.count + "];");
    }
    if (ambientModes || draw_mode == DRAW_MODE_SHADOW_LIGHTING) {
        sc->add_frag_global_line(instancedColors ? "in vec4 MaterialDiffuse;" : "uniform vec4 MaterialDiffuse;");
        sc->add_frag_global_line("vec4 mixed_diffuse;");
        if (num_lights > 0) {
            sc->add_frag_global_line("uniform vec4 MaterialSpecular;");
            sc->add_frag_global_line("vec4 mixed_specular;");
        }
    }
    if (draw_instanced) {
        sc->add_vert_global_line("layout (location = 8) in mat4 ModelViewMatrix; ");
        if (instancedColors) {
            sc->add_vert_global_line("layout (location = 4) in vec4 MaterialDiffuseVert; ");
            sc->add_vert_global_line("out vec4 MaterialDiffuse;");
            sc->add_vert_body_line("\tMaterialDiffuse = MaterialDiffuseVert;");
        }
    } else {
        sc->add_vert_global_line("uniform mat4 ModelViewMatrix;");
    }
    sc->add_vert_body_piece(piece("body_gl_position.vert"));
    if (texcoords)
        sc->add_vert_body_piece(piece("body_texcoords.vert"));

    switch (draw_mode) {
    case DRAW_MODE_GLOW: add_glow_lines(*sc, w); break;
    case DRAW_MODE_SHADOW_AMBIENT: add_ambient_lines(*sc, w); break;
    case DRAW_MODE_NORMAL: add_normal_lines(*sc, w); break;
    case DRAW_MODE_SHADOW_LIGHTING: add_lighting_lines(*sc, w); break;
    default: break;  // depth only
    }
    return new ShaderProgram(sc);
}
