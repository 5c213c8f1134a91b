// The PNG decoder and its inflater: any input either decodes, is refused, or
// stops with a fatal error, never touching memory outside its buffers.
#include <cstdint>

#include "fuzz_support.h"
#include "system/fatal_error.h"
#include "util/texture/png_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz_init();
    try {
        YsRawPngDecoder decoder;
        if (decoder.Decode(data, static_cast<unsigned>(size)) == 1)
            decoder.FlipVertically();
    } catch (const FatalErrorException&) {
    }
    return 0;
}
