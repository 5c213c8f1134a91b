#pragma once
// Opening files for reading as data: only regular files. A FIFO would block
// the reader until some writer appears, a device may never end, and a
// directory has no bytes to read.
#include <cstdio>
#include <memory>

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// fopen(name, openMode) for a read mode, or null when the file cannot be
// opened or is not a regular file (then *notRegular, when given, is true).
FilePtr open_regular_file(const char* name, const char* openMode, bool* notRegular = nullptr);

// The file's length in bytes; the position is back at the start afterwards.
long file_length(std::FILE* f);
