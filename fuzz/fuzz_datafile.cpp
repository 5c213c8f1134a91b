// The packed data file reader, Huffman block included: any file either
// fills the index or stops with a fatal error, never touching memory
// outside its buffers.
#include <cstdlib>

#include "fuzz_support.h"
#include "system/fatal_error.h"
#include "util/data/data_layer.h"
#include "util/data/datafile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz_init(DataFileMode::Read);
    const std::string path = fuzz_write_input(data, size, ".vlm");
    datafile_read = false;
    try {
        read_datafile(path.c_str());
        // Serve every entry once, as text and as binary.
        for (std::size_t i = 0; i < data_entries.size(); ++i) {
            int n = 0;
            std::free(load_file(data_entries[i]->name.c_str(), "rb", &n, (i & 1) != 0));
        }
    } catch (const FatalErrorException&) {
    }
    fuzz_clear_entries();
    return 0;
}
