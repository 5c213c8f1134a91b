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

    // Every asset is in it (licences, notes and build files are not assets).
    for (const auto& item : std::filesystem::recursive_directory_iterator(std::string(VELMO_SOURCE_DIR) + "/data")) {
        const std::string file = item.path().filename().string();
        if (!item.is_regular_file() || file == "CMakeLists.txt" || file.find("LICENSE") == 0 ||
            file.find("README") == 0 || file.find("GPL") == 0 || item.path().extension() == ".md")
            continue;
        const std::string name =
            "data/" + std::filesystem::relative(item.path(), std::string(VELMO_SOURCE_DIR) + "/data").generic_string();
        EXPECT_TRUE(names.count(name)) << name << " is not packed";
    }
}

} // namespace
