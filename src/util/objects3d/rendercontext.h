#pragma once
// The render state the 3D draw passes set before they walk the node tree
// (the lights of the pass, the shadow-pass flag, the global ambient colour)
// and the cache of generated programs. apply() prepares each object's draw:
// chooses and binds its program, sets the depth-write mask and uploads the
// uniforms and textures the program reads.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "util/math/mat4.h"
#include "util/math/vec4.h"
#include "util/objects3d/rendercontextshaderpieces.h"

class Camera;
class Light;
class Material;
class ShaderProgram;

enum DrawMode : int {
    DRAW_MODE_NORMAL = 0,
    DRAW_MODE_SHADOW_AMBIENT = 1,
    DRAW_MODE_SHADOW_DEPTHWRITE = 2,
    DRAW_MODE_SHADOW_LIGHTING = 3,
    DRAW_MODE_GLOW = 4,
};

// "DRAW_MODE_NORMAL" ... "DRAW_MODE_GLOW"; "INVALID" for any other value.
std::string draw_mode_name(int draw_mode);

// Identifies one generated program: bits 0-3 the diffuse, emission, normal
// and glow textures in use, 4 the shadow pass, 5 per-instance colours,
// 6 an instanced draw, 16-23 the light count, 24-31 the draw mode.
using ShaderKey = uint32_t;
constexpr ShaderKey kShaderKeyInstancedBit = 1u << 6;

class RenderContext {
public:
    RenderContext();
    RenderContext(const RenderContext&) = delete;
    RenderContext& operator=(const RenderContext&) = delete;

    void reset();
    void clear_lights() { lights.clear(); }
    void set_light(Light* light) { lights.assign(1, light); }
    void set_lights(std::vector<Light*> list) { lights = std::move(list); }
    void set_shadow_pass(bool on) { shadow_pass = on; }
    void set_global_ambient(const vec4& colour) { global_ambient = colour; }

    // has_tangents: whether the drawn mesh has tangents; normal maps need them.
    ShaderKey make_shader_key(unsigned draw_mode, unsigned num_lights, bool using_texture, const Material* material,
                              bool draw_instanced, bool has_tangents = true) const;
    void apply(int draw_mode, bool using_texture, const std::vector<mat4>& instance_matrices, Material* material,
               Camera* camera, bool has_tangents = true);

    bool shadow_pass;
    vec4 global_ambient;
    std::unordered_map<ShaderKey, ShaderProgram*> shader_cache;
    std::vector<Light*> lights;
    RenderContextShaderPieces shader_pieces;
};
