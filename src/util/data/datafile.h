#pragma once
// The packed data file: "Velmorin Data File\0", version bytes 0 and 2, then
// one Huffman block (huffman_codec.h) whose bytes are "VLMDFC\0" chunks of
// (uint32 name length, int32 data size, name, data), one per recorded file.
#include <string>
#include <vector>

// Set by the first read_datafile call, whatever the mode.
extern bool datafile_read;
// Temporary files that write_datafile created; delete_temp_files removes them.
extern std::vector<std::string> temp_files;

// Write mode only: writes data_entries out as the packed data file. The file
// is written under a temporary name beside it and renamed into place when
// complete, so a failure never destroys the previous file.
void write_datafile(const char* fileName);
// Read mode only, first call only: fills data_entries from the file.
void read_datafile(const char* fileName);
void delete_temp_files();
