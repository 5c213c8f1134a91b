// velmo_pack <project folder> <output file>
//
// <project folder> is a run folder whose data/ links to the production's
// assets (the build folder), or any folder holding a data/ tree.
// Loads every asset under <project folder>/data through the data layer in
// write mode, by the path the program asks for ("data/..." from the folder
// it runs in), and writes the packed data file from the recorded index, as a
// write-mode run of the program would.
//
// Files are recorded as binary loads without a NUL: read mode gives a text
// request (NUL asked for) the same bytes plus the NUL, so every loader gets
// what it would get from the loose file. gzip-compressed note data (".als")
// goes through the gzip loader, which records the decompressed bytes, as the
// program loads it.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "util/data/data_layer.h"
#include "util/data/datafile.h"

namespace fs = std::filesystem;

namespace {

bool starts_with(const std::string& s, const char* prefix)
{
    return s.rfind(prefix, 0) == 0;
}

// Build files, licences and notes that live beside the assets (the build
// folder's data/ is also CMake's binary folder of data/).
bool is_asset(const fs::path& file)
{
    const std::string name = file.filename().string();
    std::string upper = name;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (name == "CMakeLists.txt" || name[0] == '.')
        return false;
    for (const char* prefix : {"README", "LICENSE", "LICENCE", "COPYING", "GPL-", "NOTICE", "AUTHORS"})
        if (starts_with(upper, prefix))
            return false;
    const std::string ext = file.extension().string();
    for (const char* skipped : {".md", ".cpp", ".h", ".py", ".sh", ".cmake"})
        if (ext == skipped)
            return false;
    return true;
}

bool is_gzip_note_data(const std::string& path)
{
    if (path.size() < 4)
        return false;
    std::string ext = path.substr(path.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".als";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <project folder> <output file>\n", argv[0]);
        return 2;
    }
    const fs::path output = fs::absolute(argv[2]);
    fs::current_path(argv[1]);

    std::vector<std::string> paths;
    if (fs::is_directory("data"))
        for (auto it = fs::recursive_directory_iterator("data", fs::directory_options::follow_directory_symlink);
             it != fs::recursive_directory_iterator(); ++it) {
            if (it->is_directory() && it->path().filename() == "CMakeFiles")
                it.disable_recursion_pending();
            else if (it->is_regular_file() && is_asset(it->path()) && fs::file_size(it->path()) > 0)
                paths.push_back(it->path().generic_string());
        }
    std::sort(paths.begin(), paths.end());
    if (paths.empty()) {
        std::printf("velmo_pack: no assets under %s/data, nothing packed\n", argv[1]);
        return 0;
    }

    set_loading_tick_hook([](float, bool) {}); // no window here
    set_datafile_mode(DataFileMode::Write);
    for (const std::string& path : paths) {
        int size = 0;
        std::uint8_t* bytes = is_gzip_note_data(path) ? load_gz_file(path.c_str(), "rb", &size, true)
                                                      : load_file(path.c_str(), "rb", &size, false);
        if (!bytes) {
            std::fprintf(stderr, "velmo_pack: cannot read %s\n", path.c_str());
            return 1;
        }
        std::free(bytes);
    }
    write_datafile(output.string().c_str());
    delete_temp_files();
    return 0;
}
