#include "util/texture/raster_to_texture.h"

#include <cstdio>

#include "platform/messagebox.h"
#include "system/fatal_error.h"
#include "util/texture/imageraster.h"
#include "util/texture/texture.h"

bool raster_to_texture(Texture* tex, ImageRaster* raster, const char* sourcePath, int line)
{
    tex->width = raster->width;
    tex->height = raster->height;
    tex->bpp = 32;
    unsigned char* pixels = nullptr;
    if (tex->width > 0 && tex->height > 0 && (tex->bpp == 24 || tex->bpp == 32))
        pixels = raster->to_rgba();
    if (!pixels) {
        char caption[512];
        std::snprintf(caption, sizeof(caption), "ERROR at %s:%i", fatal_error_source_path(sourcePath).c_str(), line);
        MessageBoxA(nullptr, "Invalid texture information", caption, MB_OK);
        tex->imageData = nullptr;
        delete raster;
        return false;
    }
    tex->format = tex->bpp == 24 ? GL_RGB : GL_RGBA;
    tex->imageData = pixels;
    delete raster;
    return true;
}
