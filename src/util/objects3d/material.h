#pragma once
// How the geometry objects that use it are shaded: six colours, a
// shininess, optional per-instance diffuse colours and up to four textures
// (not owned). Built as the default material or from one of six presets.
#include <string>
#include <vector>

#include "util/math/vec4.h"

class Texture;

class Material {
public:
    Material();
    explicit Material(int preset);

    // Overwrites shininess and the colours but tint with the preset's values;
    // preset 6 or more (unsigned) is fatal.
    void set_preset(unsigned preset);

    // The diffuse colour as it is uploaded (tint added) and the transparency
    // the draw passes decide on it: alpha below 0.99 is transparent.
    vec4 effective_diffuse() const { return diffuse + tint; }
    bool is_transparent() const { return effective_diffuse().w < 0.99f; }

    std::string name;
    vec4 emission;
    vec4 glow;
    vec4 ambient;
    vec4 diffuse;
    vec4 specular;
    vec4 tint;
    float shininess;
    std::vector<vec4> diffuseColors;
    Texture* diffuse_texture = nullptr;
    Texture* glow_texture = nullptr;
    Texture* normal_texture = nullptr;
    Texture* emission_texture = nullptr;
};
