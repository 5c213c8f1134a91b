#pragma once
// Generates the GLSL program of one 3D draw (draw mode, light count, the
// material's textures in use, instancing) from literal lines and the shader
// piece files under "data/util/objects3d/shaderpieces/".
#include <string>

class Material;
class ShaderProgram;

// Normal-map programs carry one tangent-space light direction per light from
// the vertex to the fragment stage, and the varyings run out: on this renderer
// the fullest of them (textures, per-instance colours) links with 38 lights
// and fails from 40. Above this count a draw is lit without its normal map.
constexpr unsigned kMaxNormalMapLights = 38;

class RenderContextShaderPieces {
public:
    static constexpr const char* kPieceDirectory = "data/util/objects3d/shaderpieces/";

    // The first construction in the process declares every piece file to the
    // data layer; later ones do nothing.
    RenderContextShaderPieces();

    // A new compiled and linked program for the combination; the caller owns it.
    ShaderProgram* GetShader(int draw_mode, unsigned num_lights, bool using_texture, bool draw_instanced,
                             const Material* material, bool has_tangents = true);

    // Whether a draw uses the material's normal map: a textured draw of a mesh
    // with tangents, lit by 1 to kMaxNormalMapLights lights.
    static bool uses_normal_map(unsigned num_lights, bool using_texture, const Material* material,
                                bool has_tangents);

    static bool initialized;
};
