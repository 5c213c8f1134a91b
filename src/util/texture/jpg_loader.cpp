#include "util/texture/jpg_loader.h"

#include <string>

#include "system/fatal_error.h"
#include "util/texture/imageraster.h"
#include "util/texture/raster_to_texture.h"

bool load_jpg(Texture* tex, const char* file)
{
    ImageRaster* raster = new ImageRaster(3);
    if (!raster->read_jpeg(file)) {
        delete raster;
        FATAL_ERROR(std::string("Failed reading ") + file + "\n");
    }
    return raster_to_texture(tex, raster, __FILE__, __LINE__);
}
