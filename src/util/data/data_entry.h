#pragma once
// One file of the data layer's entry index, and the index itself.
#include <cstdint>
#include <string>
#include <vector>

struct DataEntry {
    std::string name;          // the path exactly as it was asked for or stored
    std::int32_t size = 0;     // byte count of data, a recorded NUL included
    std::uint8_t* data = nullptr; // malloc'd, owned by the entry, kept until exit
    bool loaded = false;       // a read-mode request found this entry
};

// Read mode: the packed data file's chunks in file order. Write mode: the
// recorded files in the order of their first load. Entries are never removed;
// lookups take the first entry of a name.
extern std::vector<DataEntry*> data_entries;
