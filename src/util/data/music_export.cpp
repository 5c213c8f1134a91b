#include "util/data/music_export.h"

#include <cstdio>
#include <string>
#include <vector>

#include "platform/messagebox.h"
#include "system/fatal_error.h"
#include "system/velmosystem.h"
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

// Why an entry may not be exported under its base name, or "" when it may:
// the file must land in the current folder, so names that climb out of
// their folder, absolute names and names without a file part are refused,
// and so is the packed data file's own name (the export reads from it).
std::string refusal(const std::string& name, const std::string& base)
{
    if (name.empty() || name[0] == '/' || name[0] == '\\' || (name.size() > 1 && name[1] == ':'))
        return "it is an absolute path";
    std::size_t start = 0;
    while (start <= name.size()) {
        const std::size_t end = name.find_first_of("/\\", start);
        const std::size_t stop = end == std::string::npos ? name.size() : end;
        if (name.compare(start, stop - start, "..") == 0 && stop - start == 2)
            return "it leads out of its folder";
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    if (base.empty() || base == "." || base.find_first_of("/\\") != std::string::npos)
        return "it names no file";
    if (base == VelmoSystem::dataFileName)
        return "it would replace the data file " + base;
    return "";
}

} // namespace

void export_mp3_files()
{
    const int mode = get_datafile_mode();
    VELMO_ASSERT_EQ(DataFileMode::Read, mode);

    // Every name is checked before anything is written.
    std::vector<const DataEntry*> music;
    for (const DataEntry* e : data_entries) {
        if (e->name.find("mp3") == std::string::npos)
            continue;
        const std::string why = refusal(e->name, base_name(e->name));
        if (!why.empty())
            FATAL_ERROR("Refusing to export " + e->name + " to the current folder: " + why);
        music.push_back(e);
    }

    for (const DataEntry* e : music) {
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
