// The gzip loader: any file either decompresses to exactly its trailer's
// length or stops with a fatal error, without a wild allocation.
#include <cstdlib>

#include "fuzz_support.h"
#include "system/fatal_error.h"
#include "util/data/data_layer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz_init(DataFileMode::Off);
    const std::string path = fuzz_write_input(data, size, ".gz");
    try {
        int n = 0;
        std::free(load_gz_file(path.c_str(), "rb", &n, size > 0 && (data[0] & 1) != 0));
    } catch (const FatalErrorException&) {
    }
    return 0;
}
