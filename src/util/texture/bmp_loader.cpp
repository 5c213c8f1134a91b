#include "util/texture/bmp_loader.h"

#include <string>

#include "system/fatal_error.h"
#include "util/texture/imageraster.h"
#include "util/texture/raster_to_texture.h"

bool load_bmp(Texture* tex, const char* file)
{
    ImageRaster* raster = new ImageRaster(3);
    const int code = raster->read_bmp(file);
    if (code != 0) {
        delete raster;
        FATAL_ERROR(std::string("Failed reading ") + file + ", error code " + std::to_string(code) + "\n");
    }
    return raster_to_texture(tex, raster, __FILE__, __LINE__);
}
