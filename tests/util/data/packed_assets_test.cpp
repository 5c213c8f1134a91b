#include <gtest/gtest.h>

#include <set>

#include "data_layer_fixture.h"

namespace {

using data_test::DataLayerTest;

// The build packs the asset tree into data.vlm; read from there, every asset
// comes back exactly as the loose file gives it, to binary and to text
// requests alike.
TEST_F(DataLayerTest, PackedAssetTreeServesEveryLooseFileByteForByte)
{
    const std::string packed = std::string(VELMO_BINARY_DIR) + "/data.vlm";
    ASSERT_TRUE(std::filesystem::exists(packed)) << "the build packed no data.vlm";
    std::filesystem::current_path(VELMO_BINARY_DIR); // where the program runs
    set_datafile_mode(DataFileMode::Read);
    read_datafile(packed.c_str());
    ASSERT_FALSE(data_entries.empty());

    std::set<std::string> names;
    for (const DataEntry* e : data_entries)
        names.insert(e->name);
    EXPECT_EQ(names.size(), data_entries.size()) << "a path packed twice";

    for (const std::string& name : names) {
        ASSERT_EQ(name.rfind("data/", 0), 0u) << name;
        const bool gz = name.size() > 4 && name.substr(name.size() - 4) == ".als";
        set_datafile_mode(DataFileMode::Off);
        int size = 0;
        const std::string loose = take(gz ? load_gz_file(name.c_str(), "rb", &size, false)
                                          : load_file(name.c_str(), "rb", &size, false), size);
        set_datafile_mode(DataFileMode::Read);
        EXPECT_EQ(take(load_file(name.c_str(), "rb", &size, false), size), loose) << name;
        // A text request gets a NUL appended, unless the bytes end in one
        // already (then they are NUL-terminated as recorded).
        const std::string text = !loose.empty() && loose.back() == '\0' ? loose : loose + '\0';
        EXPECT_EQ(take(load_file(name.c_str(), "rt", &size, true), size), text) << name;
    }

    // Every asset of the run folder's data/ (links into the source tree, the
    // production's own track set as data/sync_tracker) is in it; licences,
    // notes and build files are not assets.
    namespace fs = std::filesystem;
    const fs::path tree = fs::path(VELMO_BINARY_DIR) / "data";
    for (auto it = fs::recursive_directory_iterator(tree, fs::directory_options::follow_directory_symlink);
         it != fs::recursive_directory_iterator(); ++it) {
        if (it->is_directory() && it->path().filename() == "CMakeFiles") {
            it.disable_recursion_pending();
            continue;
        }
        const std::string file = it->path().filename().string();
        if (!it->is_regular_file() || file == "CMakeLists.txt" || file.find("LICENSE") == 0 ||
            file.find("README") == 0 || file.find("GPL") == 0 || it->path().extension() == ".md" ||
            it->path().extension() == ".cmake")
            continue;
        const std::string name = "data/" + it->path().lexically_relative(tree).generic_string();
        EXPECT_TRUE(names.count(name)) << name << " is not packed";
    }
    // One production's tracks, flat under the track folder.
    EXPECT_TRUE(names.count("data/sync_tracker/_ActiveScene1st.track"));
    for (const std::string& name : names) {
        if (name.rfind("data/sync_tracker/", 0) == 0) {
            EXPECT_EQ(name.find('/', 18), std::string::npos) << name;
        }
    }
}

} // namespace
