#pragma once
// A fresh data layer per test: off mode, empty index, counted loading-screen
// ticks, fatal errors as exceptions, and a temporary folder for files.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "support/fatal_message.h"
#include "system/fatal_error.h"
#include "util/data/data_layer.h"
#include "util/data/datafile.h"

namespace data_test {

class DataLayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        set_fatal_error_throws(true);
        set_datafile_mode(DataFileMode::Off);
        data_entries.clear(); // entries are never freed by design; tests just drop them
        loading_finished = false;
        datafile_read = false;
        temp_files.clear();
        ticks = 0;
        set_loading_tick_hook([this](float alpha, bool force) {
            EXPECT_EQ(alpha, 1.0f);
            EXPECT_FALSE(force);
            ++ticks;
        });
        folder = std::filesystem::temp_directory_path() /
                 ("velmo_data_" + std::to_string(getpid()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    void TearDown() override
    {
        std::filesystem::remove_all(folder);
        set_loading_tick_hook(nullptr);
        set_datafile_mode(DataFileMode::Off);
        loading_finished = false;
        set_fatal_error_throws(false);
    }

    std::string path(const std::string& name) const { return (folder / name).string(); }

    std::string write_file(const std::string& name, const std::string& bytes) const
    {
        const std::string p = path(name);
        std::FILE* f = std::fopen(p.c_str(), "wb");
        EXPECT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        return p;
    }

    static std::string read_file(const std::string& p)
    {
        std::string bytes;
        if (std::FILE* f = std::fopen(p.c_str(), "rb")) {
            char buf[65536];
            std::size_t n;
            while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
                bytes.append(buf, n);
            std::fclose(f);
        }
        return bytes;
    }

    // The buffer as a string (and freed); "<null>" for null. The size is
    // taken by reference, so it is read after the load that sets it.
    static std::string take(std::uint8_t* buffer, const int& size)
    {
        if (!buffer)
            return "<null>";
        std::string s(reinterpret_cast<char*>(buffer), static_cast<std::size_t>(size));
        std::free(buffer);
        return s;
    }

    // The message of the fatal error that fn raises ("" when none).
    template <class Fn>
    static std::string fatal_message(Fn fn) { return testsupport::fatal_message(fn, ""); }

    static DataEntry* add_entry(const std::string& name, const std::string& bytes)
    {
        auto* e = new DataEntry;
        e->name = name;
        e->size = static_cast<std::int32_t>(bytes.size());
        e->data = static_cast<std::uint8_t*>(std::malloc(bytes.size() + 1));
        std::copy(bytes.begin(), bytes.end(), e->data);
        data_entries.push_back(e);
        return e;
    }

    std::filesystem::path folder;
    int ticks = 0;
};

} // namespace data_test
