// The BMP reader: any file either reads into a raster or is refused with its
// error code, never touching memory outside its buffers.
#include <cstdint>
#include <cstdlib>

#include "fuzz_support.h"
#include "system/fatal_error.h"
#include "util/texture/imageraster.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz_init();
    const std::string path = fuzz_write_input(data, size, ".bmp");
    ImageRaster raster(3);
    try {
        if (raster.read_bmp(path.c_str()) == 0)
            std::free(raster.to_rgba());
    } catch (const FatalErrorException&) {
    }
    return 0;
}
