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

// "#version 120" billboards: each vertex is the centre of its quad, pushed
// out by half of the uniform "size" along the uniforms "right" and "up"
// according to its corner's texture coordinate; the fragment is the
// "texture" sampler times the vertex colour.
ShaderConstructor* make_billboard_shader(std::string name);
