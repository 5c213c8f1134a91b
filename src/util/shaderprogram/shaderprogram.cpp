#include "util/shaderprogram/shaderprogram.h"

#include <cctype>
#include <cstdlib>
#include <vector>

#include "platform/messagebox.h"
#include "system/fatal_error.h"
#include "util/data/data_layer.h"
#include "util/ioutils/ioutils.h"
#include "util/shaderprogram/shaderconstructor.h"

ShaderProgram::ShaderProgram(std::string vertexFile, std::string fragmentFile)
    : constructor(nullptr)
{
    if (vertexFile.empty() || fragmentFile.empty())
        FATAL_ERROR("Need to specif shader filenames!");
    vertex_file = std::move(vertexFile);
    fragment_file = std::move(fragmentFile);
    origin = 0;
    if (!compile())
        FATAL_ERROR("Shader compile and link failed! (" + vertex_file + ", " + fragment_file + ")");
}

ShaderProgram::ShaderProgram(ShaderConstructor* constructor_)
    : constructor(constructor_)
{
    if (!constructor)
        FATAL_ERROR("Need to specify Shader Constructor!");
    origin = 1;
    if (!compile())
        FATAL_ERROR("Shader compile and link failed! (generated program " + constructor->get_name() + ")");
}

ShaderProgram::~ShaderProgram()
{
    glDetachShader(program, vertex_shader);
    glDetachShader(program, fragment_shader);
    glDeleteProgram(program);
}

void ShaderProgram::bind() { glUseProgram(program); }

void ShaderProgram::set_float(const char* name, float value)
{
    glUniform1f(glGetUniformLocation(program, name), value);
}

void ShaderProgram::set_float2(const char* name, float x, float y)
{
    glUniform2f(glGetUniformLocation(program, name), x, y);
}

void ShaderProgram::set_float4(const char* name, float x, float y, float z, float w)
{
    glUniform4f(glGetUniformLocation(program, name), x, y, z, w);
}

void ShaderProgram::set_int(const char* name, int32_t value)
{
    glUniform1i(glGetUniformLocation(program, name), value);
}

void ShaderProgram::set_vec3(const char* name, const vec3& value, int32_t count)
{
    // count values of three floats, read on from the vector's x.
    glUniform3fv(glGetUniformLocation(program, name), count, value.data());
}

void ShaderProgram::set_vec4(const char* name, const vec4& value, int32_t count)
{
    glUniform4fv(glGetUniformLocation(program, name), count, value.data());
}

void ShaderProgram::set_vec3_array(const char* name, const float* data, int32_t count)
{
    glUniform3fv(glGetUniformLocation(program, name), count, data);
}

void ShaderProgram::set_vec4_array(const char* name, const float* data, int32_t count)
{
    glUniform4fv(glGetUniformLocation(program, name), count, data);
}

bool ShaderProgram::set_mat4(const char* name, const float* matrix, int32_t count, bool transpose)
{
    const GLint location = glGetUniformLocation(program, name);
    if (location == -1)
        return false;
    glUniformMatrix4fv(location, count, transpose ? GL_TRUE : GL_FALSE, matrix);
    return true;
}

char* ShaderProgram::read_shader_file(std::string name)
{
    int size = 0;
    uint8_t* data = load_file(name.c_str(), "rt", &size, true);
    if (!data) {
        const std::string fallback = "data/common/shaders/" + name;
        data = load_file(fallback.c_str(), "rt", &size, true);
    }
    return reinterpret_cast<char*>(data);
}

std::string ShaderProgram::replace_attrib_words(std::string source)
{
    replace_all(source, "VERTEX_ATTRIB_POSITION", to_string(0));
    replace_all(source, "VERTEX_ATTRIB_NORMAL", to_string(1));
    replace_all(source, "VERTEX_ATTRIB_TEXCOORD", to_string(2));
    replace_all(source, "VERTEX_ATTRIB_TANGENT", to_string(3));
    return source;
}

bool ShaderProgram::compile()
{
    if (origin == 0) {
        char* vertexText = read_shader_file(vertex_file);
        if (!vertexText)
            FATAL_ERROR("Can't read shader file " + vertex_file);
        char* fragmentText = read_shader_file(fragment_file);
        if (!fragmentText) {
            std::free(vertexText);
            FATAL_ERROR("Can't read shader file " + fragment_file);
        }
        const std::string vertexSource = replace_attrib_words(vertexText);
        const std::string fragmentSource = replace_attrib_words(fragmentText);
        const bool ok = compile_and_link(vertexSource.c_str(), fragmentSource.c_str());
        std::free(vertexText);
        std::free(fragmentText);
        return ok;
    }
    if (origin == 1) {
        const std::string vertexSource = replace_attrib_words(constructor->get_vertex_source());
        const std::string fragmentSource = replace_attrib_words(constructor->get_fragment_source());
        return compile_and_link(vertexSource.c_str(), fragmentSource.c_str());
    }
    FATAL_ERROR("Unsupported shader origin!");
}

namespace {

// The info log of a shader (glGetShaderiv, glGetShaderInfoLog) or a program
// (glGetProgramiv, glGetProgramInfoLog).
std::string info_log(GLuint object, PFNGLGETSHADERIVPROC get_param, PFNGLGETSHADERINFOLOGPROC get_log)
{
    GLint length = 0;
    get_param(object, GL_INFO_LOG_LENGTH, &length);
    if (length <= 0)
        return std::string();
    std::vector<char> log(static_cast<size_t>(length) + 1, '\0');
    get_log(object, length, nullptr, log.data());
    return std::string(log.data());
}

std::string shader_log(GLuint shader)
{
    return info_log(shader, glGetShaderiv, glGetShaderInfoLog);
}

std::string program_log(GLuint program)
{
    return info_log(program, glGetProgramiv, glGetProgramInfoLog);
}

bool compile_stage(GLuint shader, const char* source)
{
    const std::string driverText = add_compatibility_profile(source);
    const char* text = driverText.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint status = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    return status == GL_TRUE;
}

bool is_profile_word(const std::string& word)
{
    return word == "core" || word == "compatibility" || word == "es";
}

}

std::string add_compatibility_profile(const std::string& source)
{
    size_t pos = 0;
    while (pos < source.size()) {
        const size_t lineEnd = source.find('\n', pos);
        const size_t end = lineEnd == std::string::npos ? source.size() : lineEnd;
        size_t i = pos;
        while (i < end && (source[i] == ' ' || source[i] == '\t'))
            i++;
        if (source.compare(i, 1, "#") == 0) {
            size_t j = i + 1;
            while (j < end && (source[j] == ' ' || source[j] == '\t'))
                j++;
            if (source.compare(j, 7, "version") == 0) {
                j += 7;
                while (j < end && (source[j] == ' ' || source[j] == '\t'))
                    j++;
                size_t k = j;
                while (k < end && std::isdigit(static_cast<unsigned char>(source[k])))
                    k++;
                const int number = k > j ? std::atoi(source.substr(j, k - j).c_str()) : 0;
                size_t w = k;
                while (w < end && (source[w] == ' ' || source[w] == '\t'))
                    w++;
                size_t we = w;
                while (we < end && std::isalpha(static_cast<unsigned char>(source[we])))
                    we++;
                if (number >= 150 && !is_profile_word(source.substr(w, we - w)))
                    return source.substr(0, k) + " compatibility" + source.substr(k);
                return source;
            }
        }
        if (lineEnd == std::string::npos)
            break;
        pos = lineEnd + 1;
    }
    return source;
}

bool ShaderProgram::compile_and_link(const char* vertexSource, const char* fragmentSource)
{
    vertex_shader = glCreateShader(GL_VERTEX_SHADER);
    fragment_shader = glCreateShader(GL_FRAGMENT_SHADER);

    if (!compile_stage(vertex_shader, vertexSource)) {
        const std::string text = "--- Vertex shader compile failed, log:\n " + shader_log(vertex_shader);
        const std::string caption = "Vertex shader compilation failed: " + vertex_file;
        MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK);
        return false;
    }
    if (!compile_stage(fragment_shader, fragmentSource)) {
        const std::string text = "--- Fragment shader compile failed, log:\n " + shader_log(fragment_shader);
        const std::string caption = "Fragment shader compilation failed: " + fragment_file;
        MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK);
        return false;
    }

    program = glCreateProgram();
    glAttachShader(program, vertex_shader);
    glAttachShader(program, fragment_shader);
    glLinkProgram(program);
    GLint status = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    if (status != GL_TRUE) {
        const std::string text = "--- Shader linking failed, log:\n " + program_log(program);
        MessageBoxA(nullptr, text.c_str(), "Shader linking failed", MB_OK);
        return false;
    }
    // A linked program is accepted whatever validation says.
    glValidateProgram(program);
    return true;
}
