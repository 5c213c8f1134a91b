#include "util/data/music_export.h"

#include <cstdio>
#include <string>

#include "platform/messagebox.h"
#include "system/fatal_error.h"
#include "util/data/data_layer.h"

namespace {

// The part after the last "/", else after the last backslash, else all.
std::string base_name(const std::string& name)
{
    std::size_t cut = name.rfind('/');
    if (cut == std::string::npos)
        cut = name.rfind('\\');
    return cut == std::string::npos ? name : name.substr(cut + 1);
}

} // namespace

void export_mp3_files()
{
    const int mode = get_datafile_mode();
    VELMO_ASSERT_EQ(DataFileMode::Read, mode);

    for (const DataEntry* e : data_entries) {
        if (e->name.find("mp3") == std::string::npos)
            continue;
        const std::string base = base_name(e->name);
        std::FILE* f = std::fopen(base.c_str(), "wb+");
        if (!f)
            FATAL_ERROR("Failed to create output file for " + base);
        const std::size_t size = static_cast<std::size_t>(e->size);
        const bool written = size == 0 || std::fwrite(e->data, 1, size, f) == size;
        const bool closed = std::fclose(f) == 0;
        if (!written || !closed) {
            // A cut-off copy is worse than none.
            std::remove(base.c_str());
            FATAL_ERROR("Failed to write output file for " + base);
        }
        const std::string text = "Successfully exported " + base + " to the current folder";
        MessageBoxA(nullptr, text.c_str(), "Success", MB_OK);
    }
}
