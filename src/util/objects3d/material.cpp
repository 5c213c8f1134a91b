#include "util/objects3d/material.h"

#include <string>

#include "system/fatal_error.h"

namespace {

struct Preset {
    vec4 ambient;
    vec4 diffuse;
};

const Preset kPresets[6] = {
    {vec4(0.34f, 0.06f, 0.06f, 1.0f), vec4(0.67f, 0.12f, 0.12f, 1.0f)},  // red
    {vec4(0.0f, 0.37f, 0.09f, 1.0f), vec4(0.0f, 0.75f, 0.18f, 1.0f)},    // green
    {vec4(0.0f, 0.23f, 0.31f, 1.0f), vec4(0.0f, 0.45f, 0.63f, 1.0f)},    // blue
    {vec4(0.47f, 0.37f, 0.09f, 1.0f), vec4(0.94f, 0.75f, 0.18f, 1.0f)},  // yellow
    {vec4(0.0f, 0.0f, 0.0f, 1.0f), vec4(0.0f, 0.0f, 0.0f, 1.0f)},        // black
    {vec4(0.5f, 0.47f, 0.44f, 1.0f), vec4(0.99f, 0.95f, 0.9f, 1.0f)},    // white
};

}

Material::Material()
    : name("dummy"), emission(0, 0, 0, 1), glow(0, 0, 0, 1), ambient(0.1f, 0.1f, 0.1f, 1), diffuse(1, 1, 1, 1),
      specular(0.5f, 0.5f, 0.5f, 1), tint(0, 0, 0, 0), shininess(20.0f)
{
}

Material::Material(int preset) : Material() { set_preset(static_cast<unsigned>(preset)); }

void Material::set_preset(unsigned preset)
{
    if (preset >= 6)
        FATAL_ERROR("Material default " + std::to_string(preset) + " out of range!");
    shininess = 12.5f;
    emission.set(0, 0, 0, 1);
    glow.set(0, 0, 0, 1);
    ambient = kPresets[preset].ambient;
    diffuse = kPresets[preset].diffuse;
    specular.set(0.5f, 0.5f, 0.5f, 1);
}
