// The JPEG reader over libjpeg: damaged files come back as a failed read
// instead of ending the process inside the library.
#include <cstdint>
#include <cstdlib>

#include "fuzz_support.h"
#include "system/fatal_error.h"
#include "util/texture/imageraster.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz_init();
    const std::string path = fuzz_write_input(data, size, ".jpg");
    ImageRaster raster(3);
    try {
        if (raster.read_jpeg(path.c_str()))
            std::free(raster.to_rgba());
    } catch (const FatalErrorException&) {
    }
    return 0;
}
