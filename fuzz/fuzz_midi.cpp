// The Standard MIDI File reader: any file is read into note data or stops
// with a fatal error, never reading outside its bytes.
#include "fuzz_support.h"
#include "system/fatal_error.h"
#include "util/data/data_layer.h"
#include "util/music/midi.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz_init(DataFileMode::Off);
    const std::string path = fuzz_write_input(data, size, ".mid");
    try {
        MidiFile midi(path);
    } catch (const FatalErrorException&) {
    }
    return 0;
}
