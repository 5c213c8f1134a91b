// The Ableton Live set reader: the input is the set's XML, which is gzipped
// into the scratch file the reader loads. Any text is read or stops with a
// fatal error; looped clips never repeat without end.
#include <zlib.h>

#include "fuzz_support.h"
#include "system/fatal_error.h"
#include "util/data/data_layer.h"
#include "util/music/als.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz_init(DataFileMode::Off);
    const std::string path = fuzz_write_input(nullptr, 0, ".als");
    gzFile gz = gzopen(path.c_str(), "wb1");
    if (size > 0)
        gzwrite(gz, data, static_cast<unsigned>(size));
    gzclose(gz);
    try {
        AbletonSet set(path);
    } catch (const FatalErrorException&) {
    }
    return 0;
}
