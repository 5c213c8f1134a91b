#pragma once
// Helpers shared by the music tests: fatal errors as messages, temporary
// folders, files written from bytes or text, and the data layer without a
// loading screen.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <zlib.h>

#include "system/fatal_error.h"
#include "util/data/data_layer.h"

// The message of the fatal error `f` raises, or "<no fatal error>".
template <class F>
std::string fatalMessage(F f)
{
    set_fatal_error_throws(true);
    try {
        f();
    } catch (const FatalErrorException& e) {
        return e.what();
    }
    return "<no fatal error>";
}

inline void quietDataLayer()
{
    set_fatal_error_throws(true);
    set_loading_tick_hook([](float, bool) {});
}

class TempDir {
public:
    TempDir()
    {
        char pattern[] = "/tmp/velmo_music_XXXXXX";
        path_ = mkdtemp(pattern);
    }
    ~TempDir() { std::system(("rm -rf '" + path_ + "'").c_str()); }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline void writeText(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

inline void writeGzip(const std::string& path, const std::string& text)
{
    gzFile f = gzopen(path.c_str(), "wb");
    gzwrite(f, text.data(), static_cast<unsigned>(text.size()));
    gzclose(f);
}
