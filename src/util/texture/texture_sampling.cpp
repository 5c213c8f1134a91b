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
