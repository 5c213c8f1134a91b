#pragma once
// Small helpers shared by the text-mode engine's tests: fixture files in a
// fresh temporary folder, a quiet data layer, fatal errors as exceptions, and
// a substituted tick count.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "platform/timing.h"
#include "support/fatal_message.h"
#include "system/fatal_error.h"
#include "util/data/data_layer.h"

namespace ascii_test {

class FixtureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        set_fatal_error_throws(true);
        set_datafile_mode(DataFileMode::Off);
        set_loading_tick_hook([](float, bool) {});
        folder = std::filesystem::temp_directory_path() /
                 ("velmo_ascii_" + std::to_string(getpid()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    void TearDown() override
    {
        std::filesystem::remove_all(folder);
        set_tick_count_override(false, 0);
        set_loading_tick_hook(nullptr);
    }

    // Writes the bytes to a file in the test's folder; returns its path.
    std::string write_file(const std::string& name, const std::string& bytes)
    {
        const std::string path = (folder / name).string();
        FILE* f = std::fopen(path.c_str(), "wb");
        EXPECT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        return path;
    }

    // The message of the fatal error that fn raises ("" when none).
    template <class Fn>
    static std::string fatal_message(Fn fn) { return testsupport::fatal_message(fn, ""); }

    static void set_tick(std::uint64_t tick) { set_tick_count_override(true, tick); }

    std::filesystem::path folder;
};

}  // namespace ascii_test
