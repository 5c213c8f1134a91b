#include "util/texture/bmp_loader.h"

#include <string>

#include "system/fatal_error.h"
#include "util/texture/imageraster.h"
#include "util/texture/raster_to_texture.h"

namespace {

const char* bmp_problem(int code)
{
    switch (code) {
    case 1:
        return "the file cannot be read";
    case 2:
        return "not an uncompressed 24-bit picture of a usable size";
    case 3:
        return "its pixel data starts or ends past the end of the file";
    default:
        return "the file is cut short";
    }
}

} // namespace

bool load_bmp(Texture* tex, const char* file)
{
    ImageRaster* raster = new ImageRaster(3);
    const int code = raster->read_bmp(file);
    if (code != 0) {
        delete raster;
        FATAL_ERROR(std::string("Failed reading ") + file + ", error code " + std::to_string(code) + "\n(" +
                    bmp_problem(code) + ")");
    }
    return raster_to_texture(tex, raster, __FILE__, __LINE__);
}
