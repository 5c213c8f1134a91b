#pragma once
// One linked GLSL program (vertex + fragment stage), built from two shader
// files or from a ShaderConstructor. Construction either yields a linked
// program or ends the process through the fatal-error path.
#include <GL/glew.h>

#include <cstdint>
#include <string>

#include "util/math/vec3.h"
#include "util/math/vec4.h"

class ShaderConstructor;

class ShaderProgram {
public:
    ShaderProgram(std::string vertexFile, std::string fragmentFile);
    explicit ShaderProgram(ShaderConstructor* constructor);
    ~ShaderProgram();
    ShaderProgram(const ShaderProgram&) = delete;
    ShaderProgram& operator=(const ShaderProgram&) = delete;

    void bind();

    void set_float(const char* name, float value);
    void set_float2(const char* name, float x, float y);
    void set_float4(const char* name, float x, float y, float z, float w);
    void set_int(const char* name, int32_t value);
    void set_vec3(const char* name, const vec3& value, int32_t count);
    void set_vec4(const char* name, const vec4& value, int32_t count);
    void set_vec3_array(const char* name, const float* data, int32_t count);
    void set_vec4_array(const char* name, const float* data, int32_t count);
    // False (and no write) when the program has no active uniform of that name.
    bool set_mat4(const char* name, const float* matrix, int32_t count, bool transpose);

    GLuint get_program() const { return program; }

    static std::string replace_attrib_words(std::string source);

private:
    static char* read_shader_file(std::string name);
    bool compile();
    bool compile_and_link(const char* vertexSource, const char* fragmentSource);

    ShaderConstructor* constructor;
    std::string vertex_file;
    std::string fragment_file;
    GLuint vertex_shader = 0;
    GLuint fragment_shader = 0;
    GLuint program = 0;
    int32_t origin = 0;
};

// Mesa reads a "#version" of 150 or more without a profile word as core GLSL,
// where the compatibility built-ins (gl_FragColor, texture2D, ftransform) are
// missing. The engine's shaders are written for the compatibility profile, so
// the text handed to the driver names it; the generated text itself is kept.
std::string add_compatibility_profile(const std::string& source);
