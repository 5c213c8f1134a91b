#pragma once
// The data layer: every loader gets file contents from here, by path. Files
// come from the disk (Off, Write) or from the entry index that the packed
// data file filled (Read); Write also records every file it reads.
#include <cstdint>
#include <functional>

#include "util/data/data_entry.h"

namespace DataFileMode {
enum : int { Off = 0, Read = 1, Write = 2 };
}

// Set by the loading screen's fade-out; from then on no new file may be recorded.
extern bool loading_finished;

void set_datafile_mode(int mode);
int get_datafile_mode();

// The file's bytes in a new malloc buffer (the caller frees it), or null when
// the file is not available. *outSize is 0 on failure, else the buffer's
// length, the NUL included when one was appended. Read mode gives the bytes
// as recorded; a request with addNul always gets them NUL-terminated (a NUL
// is appended, and counted, when the recorded bytes do not end in one).
std::uint8_t* load_file(const char* name, const char* openMode, int* outSize, bool addNul);
// The same for a gzip-compressed file; the buffer holds the decompressed bytes.
std::uint8_t* load_gz_file(const char* name, const char* openMode, int* outSize, bool addNul);
// Whether load_file would find the file: read mode looks in the packed data
// file's index, the other modes on the disk. Loads nothing and ticks nothing.
bool data_file_available(const char* name);
// A file used without being loaded through the layer (read mode: counts as loaded).
void mark_loaded(const char* name);
// The disk read behind load_file.
std::uint8_t* read_loose_file(const char* name, const char* openMode, int* outSize, bool addNul);

// Seam for tests, fuzz targets and the packing tool, which run without a
// window: when set, the layer calls this hook wherever it would call
// loading_tick. An empty function restores loading_tick.
void set_loading_tick_hook(std::function<void(float alpha, bool force)> hook);
