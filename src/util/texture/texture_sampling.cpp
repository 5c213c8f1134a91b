#include "util/texture/texture_sampling.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace {

bool old_mipmap_path()
{
    const GLubyte* vendorText = glGetString(GL_VENDOR);
    if (!vendorText)
        return false;
    std::string vendor = reinterpret_cast<const char*>(vendorText);
    std::transform(vendor.begin(), vendor.end(), vendor.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return vendor.find("ati ") != std::string::npos;
}

}

void set_texture_filtering(GLenum target, bool mipmaps, int minFilter, int magFilter)
{
    if (mipmaps) {
        GLfloat maxAnisotropy = 1.0f;
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &maxAnisotropy);
        glTexParameterf(target, GL_TEXTURE_MAX_ANISOTROPY_EXT, maxAnisotropy);
        glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    } else {
        glTexParameteri(target, GL_TEXTURE_MIN_FILTER, minFilter);
        glTexParameteri(target, GL_TEXTURE_MAG_FILTER, magFilter);
    }
}

void finish_texture_mipmaps(GLenum target, bool mipmaps)
{
    if (!mipmaps)
        glTexParameteri(target, GL_GENERATE_MIPMAP, GL_FALSE);
    else if (old_mipmap_path())
        glTexParameteri(target, GL_GENERATE_MIPMAP, GL_TRUE);
    else
        glGenerateMipmap(target);
}

bool make_empty_mip_chain(GLenum target, int internalFormat, int width, int height)
{
    const bool sizedColour = internalFormat == GL_RGBA8 || internalFormat == GL_RGBA32F || internalFormat == GL_RGBA16F
                             || internalFormat == GL_RGB32F || internalFormat == GL_RGB16F;
    if (!sizedColour || width < 1 || height < 1 || !(GLEW_VERSION_4_2 || GLEW_ARB_texture_storage) || old_mipmap_path())
        return false;
    int levels = 1;
    while ((std::max(width, height) >> levels) > 0)
        ++levels;
    glTexStorage2D(target, levels, static_cast<GLenum>(internalFormat), width, height);
    return true;
}
