#include "util/texture/texture.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "platform/messagebox.h"
#include "system/fatal_error.h"
#include "system/log_message.h"
#include "util/easydraw/easydraw.h"
#include "util/math/mat4.h"
#include "util/shaderprogram/builtinshaders.h"
#include "util/shaderprogram/shaderprogram.h"
#include "util/texture/bmp_loader.h"
#include "util/texture/jpg_loader.h"
#include "util/texture/png_loader.h"
#include "util/texture/texture_sampling.h"

namespace {

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

bool ends_with(const std::string& s, const std::string& end)
{
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

bool is_depth_format(int f)
{
    return f == GL_DEPTH_COMPONENT16 || f == GL_DEPTH_COMPONENT24 || f == GL_DEPTH_COMPONENT32
           || f == GL_DEPTH_COMPONENT32F;
}

}

Texture::Texture() { reset(); }

Texture::Texture(std::string file, bool mipmaps_, bool repeat) : Texture(file, mipmaps_, repeat, GL_LINEAR, GL_LINEAR) {}

Texture::Texture(std::string file, bool mipmaps_, bool repeat, int minFilter_, int magFilter_)
{
    reset();
    if (!load(file, mipmaps_, repeat, minFilter_, magFilter_))
        FATAL_ERROR("Failed to load texture " + file);
}

Texture::~Texture()
{
    if (id != 0) {
        glDeleteTextures(1, &id);
        id = 0;
    }
}

void Texture::reset()
{
    imageData = nullptr;
    bpp = 0;
    width = 0;
    height = 0;
    format = 0;
    id = 0;
    wrap = GL_CLAMP_TO_EDGE;
    internalFormat = 0;
    mipmaps = false;
    minFilter = GL_LINEAR;
    magFilter = GL_LINEAR;
    samples = 0;
}

bool Texture::create()
{
    const GLenum target = get_target();
    const bool multisample = samples > 0;
    if (id != 0)
        FATAL_ERROR("Attempt to create an already initialized texture!");

    GLenum pixelType;
    const bool depth = is_depth_format(internalFormat);
    if (internalFormat == 1 || internalFormat == 2 || internalFormat == 3 || internalFormat == 4
        || internalFormat == GL_RGBA8)
        pixelType = GL_UNSIGNED_BYTE;
    else if (internalFormat == GL_RGBA32F || internalFormat == GL_RGB32F || internalFormat == GL_RGBA16F
             || internalFormat == GL_RGB16F)
        pixelType = GL_FLOAT;
    else if (depth)
        pixelType = GL_FLOAT;
    else
        FATAL_ERROR("Unrecognized texture format " + std::to_string(internalFormat));

    glGenTextures(1, &id);
    glBindTexture(target, id);

    // Multisample textures take no sampler state and no mipmaps.
    if (!multisample) {
        set_texture_filtering(target, mipmaps, minFilter, magFilter);
        glTexParameteri(target, GL_TEXTURE_WRAP_S, wrap);
        glTexParameteri(target, GL_TEXTURE_WRAP_T, wrap);
        if (depth) {
            glTexParameteri(target, GL_DEPTH_TEXTURE_MODE, GL_INTENSITY);
            glTexParameteri(target, GL_TEXTURE_COMPARE_MODE, GL_NONE);
            glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        }
    }

    if (multisample) {
        GLint maxSamples = 0;
        glGetIntegerv(depth ? GL_MAX_DEPTH_TEXTURE_SAMPLES : GL_MAX_COLOR_TEXTURE_SAMPLES, &maxSamples);
        if (maxSamples > 0 && samples > maxSamples) {
            log_message("Texture: " + std::to_string(samples) + " samples asked, the driver offers "
                        + std::to_string(maxSamples) + "; using " + std::to_string(maxSamples) + "\n");
            samples = maxSamples;
        }
        glTexImage2DMultisample(target, samples, internalFormat, width, height, GL_TRUE);
    } else if (imageData || !mipmaps || !make_empty_mip_chain(target, internalFormat, width, height)) {
        const GLenum pixelFormat = depth ? GL_DEPTH_COMPONENT : static_cast<GLenum>(format);
        glTexImage2D(target, 0, internalFormat, width, height, 0, pixelFormat, pixelType, imageData);
        finish_texture_mipmaps(target, mipmaps);
    }

    if (imageData) {
        std::free(imageData);
        imageData = nullptr;
    }
    return true;
}

bool Texture::load(std::string file, bool mipmaps_, bool repeat, int minFilter_, int magFilter_)
{
    if (file.empty())
        return true;
    wrap = repeat ? GL_REPEAT : GL_CLAMP_TO_EDGE;
    mipmaps = mipmaps_;
    minFilter = minFilter_;
    magFilter = magFilter_;

    const std::string name = lower(file);
    bool loaded;
    if (ends_with(name, ".png")) {
        loaded = load_png(this, file.c_str());
    } else if (ends_with(name, ".jpg") || ends_with(name, ".jpeg")) {
        loaded = load_jpg(this, file.c_str());
    } else if (ends_with(name, ".bmp")) {
        loaded = load_bmp(this, file.c_str());
    } else {
        const std::string ending = name.size() >= 4 ? name.substr(name.size() - 4) : name;
        const std::string text = "Sorry, image format " + ending + " is not yet supported.\nTry .tga or .png.";
        MessageBoxA(nullptr, text.c_str(), "Unsupported image format!", MB_OK);
        loaded = false;
    }
    if (!loaded)
        FATAL_ERROR("Failed to load texture " + file);
    internalFormat = bpp / 8;
    return create();
}

bool Texture::load_png_buffer(const uint8_t* buffer, int size, bool mipmaps_, bool repeat, int minFilter_,
                              int magFilter_)
{
    if (!buffer)
        FATAL_ERROR("buffer is NULL");
    if (size <= 0)
        FATAL_ERROR("Failed assert size > 0");
    wrap = repeat ? GL_REPEAT : GL_CLAMP_TO_EDGE;
    mipmaps = mipmaps_;
    minFilter = minFilter_;
    magFilter = magFilter_;
    if (!::load_png_buffer(this, buffer, size))
        FATAL_ERROR("Failed to load png texture of size " + std::to_string(size));
    internalFormat = bpp / 8;
    return create();
}

bool Texture::create_empty(int width_, int height_, bool mipmaps_, bool repeat, int internalFormat_, int samples_)
{
    samples = samples_;
    return create_empty(width_, height_, mipmaps_, repeat, internalFormat_);
}

bool Texture::create_empty(int width_, int height_, bool mipmaps_, bool repeat, int internalFormat_)
{
    wrap = repeat ? GL_REPEAT : GL_CLAMP_TO_EDGE;
    mipmaps = mipmaps_;
    internalFormat = internalFormat_;
    minFilter = GL_LINEAR;
    magFilter = GL_LINEAR;
    format = GL_RGBA;
    bpp = 32;
    width = width_;
    height = height_;
    return create();
}

bool Texture::resize(int width_, int height_)
{
    if (imageData)
        FATAL_ERROR("Attempted to resize a texture with imageData not null");
    if (id == 0)
        FATAL_ERROR("Attempted to resize a texture that is not initialized!");
    glDeleteTextures(1, &id);
    id = 0;
    width = width_;
    height = height_;
    return create();
}

uint8_t* Texture::read_pixels()
{
    const int bytespp = bpp / 8;
    VELMO_ASSERT(4 == bytespp);
    uint8_t* tempdata = static_cast<uint8_t*>(std::malloc(size_t(width) * height * 4));
    VELMO_ASSERT(tempdata);
    bind(0);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, tempdata);
    return tempdata;
}

void Texture::bind(int unit)
{
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(get_target(), id);
}

void Texture::unbind(int unit)
{
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE0);
}

void Texture::bind_and_enable()
{
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(get_target(), id);
    glEnable(GL_TEXTURE_2D);
}

void Texture::draw_fullscreen(float x, float y, float w, float h)
{
    glDisable(GL_DEPTH_TEST);
    bind(0);
    EasyDraw::draw_quad(x, y, w, h);
}

void Texture::bind_default_shader()
{
    static const mat4 projection(1);
    static ShaderProgram program(make_texture2d_shader("TextureDefaultShader"));
    program.bind();
    program.set_mat4("ProjectionMatrix", projection.data(), 1, false);
}
