#pragma once
// Shared by the fuzz targets: fatal errors become exceptions, nothing ticks,
// and each input goes to a scratch file that the data layer then opens.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "util/data/data_layer.h"

// Called at the top of every input; the first call makes fatal errors throw,
// quiets the loading screen and sets the data layer's mode (DataFileMode)
// when one is given.
void fuzz_init(std::optional<int> mode = std::nullopt);
// Writes the bytes to this process's scratch file (in /dev/shm when there is
// one) with the given suffix, and returns its path.
std::string fuzz_write_input(const std::uint8_t* data, std::size_t size, const char* suffix);
// Frees and forgets every entry of the data layer's index.
void fuzz_clear_entries();
