#include "util/texture/texturecube.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "system/fatal_error.h"
#include "util/texture/texture_sampling.h"

TextureCube::TextureCube() { reset(); }

TextureCube::~TextureCube()
{
    if (id != 0) {
        glDeleteTextures(1, &id);
        id = 0;
    }
    std::free(data_negx);
    std::free(data_posx);
    std::free(data_negy);
    std::free(data_posy);
    std::free(data_negz);
    std::free(data_posz);
}

void TextureCube::reset()
{
    data_negx = data_posx = data_negy = data_posy = data_negz = data_posz = nullptr;
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

bool TextureCube::load(const char* negx, const char* posx, const char* negy, const char* posy, const char* negz,
                       const char* posz)
{
    wrap = GL_CLAMP_TO_EDGE;
    mipmaps = true;
    minFilter = GL_LINEAR_MIPMAP_LINEAR;
    magFilter = GL_LINEAR;
    bpp = 32;
    const char* files[6] = {negx, posx, negy, posy, negz, posz};
    for (int i = 0; i < 6; i++)
        if (!tex_array[i].load(files[i], true, true, GL_LINEAR, GL_LINEAR))
            return false;
    width = tex_array[0].get_width();
    height = tex_array[0].get_height();
    // Every face must have the first face's size; the message names both.
    const auto sizes = [&](int i) {
        const auto size = [&](int f) {
            return std::string(files[f]) + " is " + std::to_string(tex_array[f].get_width()) + "x" +
                   std::to_string(tex_array[f].get_height());
        };
        return "\n" + size(i) + ", " + size(0) + ": every face of a cube map must have the first face's size";
    };
    for (int i = 1; i < 6; i++) {
        if (width != tex_array[i].get_width())
            FATAL_ERROR("Failed assert width == tex_array[i].get_width()" + sizes(i));
        if (height != tex_array[i].get_height())
            FATAL_ERROR("Failed assert height == tex_array[i].get_height()" + sizes(i));
    }
    // OpenGL takes square cube faces only; any other size gives no texture.
    if (width != height)
        FATAL_ERROR("Cube map faces must be square, but " + std::string(negx) + " is " + std::to_string(width) +
                    "x" + std::to_string(height));
    const size_t rowBytes = size_t(bpp / 8) * width;
    uint8_t** buffers[6] = {&data_negx, &data_posx, &data_negy, &data_posy, &data_negz, &data_posz};
    for (int i = 0; i < 6; i++) {
        uint8_t* pixels = tex_array[i].read_pixels();
        std::free(*buffers[i]);
        *buffers[i] = static_cast<uint8_t*>(std::malloc(rowBytes * height));
        if (*buffers[i])
            for (int r = 0; r < height; r++)
                std::memcpy(*buffers[i] + r * rowBytes, pixels + (height - 1 - r) * rowBytes, rowBytes);
        std::free(pixels);
    }
    VELMO_ASSERT(data_negx);
    VELMO_ASSERT(data_posx);
    VELMO_ASSERT(data_negy);
    VELMO_ASSERT(data_posy);
    VELMO_ASSERT(data_negz);
    VELMO_ASSERT(data_posz);
    internalFormat = GL_RGBA8;
    format = GL_RGBA;
    return create();
}

bool TextureCube::create()
{
    if (id != 0)
        FATAL_ERROR("Attempt to create an already initialized texture!");
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_CUBE_MAP, id);
    set_texture_filtering(GL_TEXTURE_CUBE_MAP, mipmaps, minFilter, magFilter);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, wrap);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, wrap);

    const GLenum targets[6] = {GL_TEXTURE_CUBE_MAP_NEGATIVE_X, GL_TEXTURE_CUBE_MAP_POSITIVE_X,
                               GL_TEXTURE_CUBE_MAP_NEGATIVE_Y, GL_TEXTURE_CUBE_MAP_POSITIVE_Y,
                               GL_TEXTURE_CUBE_MAP_NEGATIVE_Z, GL_TEXTURE_CUBE_MAP_POSITIVE_Z};
    uint8_t** buffers[6] = {&data_negx, &data_posx, &data_negy, &data_posy, &data_negz, &data_posz};
    for (int i = 0; i < 6; i++)
        glTexImage2D(targets[i], 0, internalFormat, width, height, 0, format, GL_UNSIGNED_BYTE, *buffers[i]);

    finish_texture_mipmaps(GL_TEXTURE_CUBE_MAP, mipmaps);
    for (int i = 0; i < 6; i++) {
        std::free(*buffers[i]);
        *buffers[i] = nullptr;
    }
    return true;
}

void TextureCube::bind(int unit)
{
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_CUBE_MAP, id);
}

void TextureCube::unbind(int unit)
{
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
}
