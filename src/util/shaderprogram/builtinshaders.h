#pragma once
// Builders of the shader sources the engine uses again and again. Each returns
// a new ShaderConstructor ("#version 420") for a ShaderProgram to keep.
#include <string>

#include "util/shaderprogram/shaderconstructor.h"

ShaderConstructor* make_blur_shader(std::string name);
ShaderConstructor* make_color3d_shader(std::string name);
ShaderConstructor* make_color2d_shader(std::string name);
ShaderConstructor* make_vertex_color3d_shader(std::string name);
ShaderConstructor* make_texture2d_shader(std::string name);
ShaderConstructor* make_texture_color2d_shader(std::string name);
