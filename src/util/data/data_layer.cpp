#include "util/data/data_layer.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>
#include <zlib.h>

#include "platform/large_buffer.h"
#include "system/fatal_error.h"
#include "system/log_message.h"
#include "util/data/loading_screen.h"
#include "util/data/regular_file.h"

std::vector<DataEntry*> data_entries;
bool loading_finished = false;

namespace {

int g_mode = DataFileMode::Off;
std::function<void(float, bool)> g_tickHook;

struct FreeDeleter {
    void operator()(std::uint8_t* p) const { std::free(p); }
};
using MallocBuffer = std::unique_ptr<std::uint8_t, FreeDeleter>;

void tick()
{
    if (g_tickHook)
        g_tickHook(1.0f, false);
    else
        loading_tick(1.0f, false);
}

// fopen, but a directory, a FIFO or a device counts as a file that cannot be
// opened (a directory is where the assets were first packed).
FilePtr open_file(const char* name, const char* openMode)
{
    return open_regular_file(name, openMode);
}

DataEntry* find_entry(const char* name)
{
    for (DataEntry* e : data_entries)
        if (e->name == name)
            return e;
    return nullptr;
}

// Read mode: a copy of the first entry of that name. A text request (addNul)
// always gets a NUL-terminated buffer: when the recorded bytes do not end in
// one, a NUL is appended and counted.
std::uint8_t* serve_from_index(const char* name, int* outSize, bool addNul)
{
    DataEntry* e = find_entry(name);
    if (!e)
        return nullptr;
    const bool appendNul = addNul && (e->size == 0 || e->data[e->size - 1] != 0);
    const std::size_t size = static_cast<std::size_t>(e->size) + (appendNul ? 1 : 0);
    auto* copy = static_cast<std::uint8_t*>(allocate_large(size > 0 ? size : 1));
    if (!copy)
        FATAL_ERROR("tmpbuffer is NULL");
    if (e->size > 0)
        std::memcpy(copy, e->data, static_cast<std::size_t>(e->size));
    if (appendNul)
        copy[e->size] = 0;
    *outSize = static_cast<int>(size);
    e->loaded = true;
    tick();
    return copy;
}

// Write mode, after a successful disk read: record a new path, or skip a
// path recorded before. Returns the caller's buffer either way.
std::uint8_t* record(const char* name, std::uint8_t* buffer, int size)
{
    if (find_entry(name)) {
        if (!loading_finished)
            log_message(std::string("[DATA] Skipping duplicate entry for ") + name + "\n");
        return buffer;
    }
    if (loading_finished) {
        std::free(buffer);
        FATAL_ERROR(std::string("Uh-oh! Tried to load file ") + name + " after datafile is written!");
    }
    auto* copy = static_cast<std::uint8_t*>(std::malloc(size > 0 ? static_cast<std::size_t>(size) : 1));
    if (!copy) {
        std::free(buffer);
        FATAL_ERROR("copybuffer is NULL");
    }
    if (size > 0)
        std::memcpy(copy, buffer, static_cast<std::size_t>(size));
    auto* entry = new DataEntry;
    entry->name = name;
    entry->size = size;
    entry->data = copy;
    data_entries.push_back(entry);
    tick();
    return buffer;
}

// The largest decompressed size a deflate stream of `compressed` bytes can
// have (deflate expands at most 1032:1), with room for the gzip framing.
std::uint64_t max_gzip_output(long compressed)
{
    return static_cast<std::uint64_t>(compressed) * 1032u + 1024u;
}

} // namespace

void set_datafile_mode(int mode)
{
    g_mode = mode;
}

int get_datafile_mode()
{
    return g_mode;
}

void set_loading_tick_hook(std::function<void(float, bool)> hook)
{
    g_tickHook = std::move(hook);
}

std::uint8_t* read_loose_file(const char* name, const char* openMode, int* outSize, bool addNul)
{
    *outSize = 0;
    FilePtr f = open_file(name, openMode);
    if (!f)
        return nullptr;

    const long length = file_length(f.get());
    const std::string sname = name;
    if (length < 0 || length > INT_MAX - 1)
        FATAL_ERROR("Failed to allocate memory for loading " + sname);
    const std::size_t extra = addNul ? 1 : 0;
    MallocBuffer buffer(static_cast<std::uint8_t*>(std::malloc(static_cast<std::size_t>(length) + extra + (length == 0 ? 1 : 0))));
    if (!buffer)
        FATAL_ERROR("Failed to allocate memory for loading " + sname);

    const std::size_t n = std::fread(buffer.get(), 1, static_cast<std::size_t>(length), f.get());
    const bool readError = std::ferror(f.get()) != 0;
    f.reset();
    // A text read may come back shorter (line ends translated); a binary read
    // must deliver the whole file.
    const bool textMode = std::strchr(openMode, 't') != nullptr;
    if (n == 0 || readError || (n < static_cast<std::size_t>(length) && !textMode))
        FATAL_ERROR("Tried to read " + std::to_string(length) + " bytes from " + sname + ", got " +
                    std::to_string(n));
    if (n > static_cast<std::size_t>(length))
        FATAL_ERROR("flength < fread_ret, should not happen!");
    if (n < static_cast<std::size_t>(length)) {
        MallocBuffer copy(static_cast<std::uint8_t*>(std::malloc(n + extra)));
        if (!copy)
            FATAL_ERROR("copybuffer is NULL");
        std::memcpy(copy.get(), buffer.get(), n);
        buffer = std::move(copy);
    }
    if (addNul)
        buffer.get()[n] = 0;
    *outSize = static_cast<int>(n + extra);
    return buffer.release();
}

std::uint8_t* load_file(const char* name, const char* openMode, int* outSize, bool addNul)
{
    *outSize = 0;
    if (g_mode == DataFileMode::Read)
        return serve_from_index(name, outSize, addNul);

    std::uint8_t* buffer = read_loose_file(name, openMode, outSize, addNul);
    if (!buffer)
        return nullptr;
    if (g_mode == DataFileMode::Write)
        return record(name, buffer, *outSize);
    tick();
    return buffer;
}

std::uint8_t* load_gz_file(const char* name, const char* openMode, int* outSize, bool addNul)
{
    *outSize = 0;
    if (g_mode == DataFileMode::Read)
        return serve_from_index(name, outSize, addNul);

    const std::string sname = name;
    FilePtr f = open_file(name, openMode);
    if (!f)
        return nullptr;
    const long length = file_length(f.get());
    // Header (10 bytes), at least an empty deflate block, CRC and length (8 bytes).
    if (length < 18)
        FATAL_ERROR(sname + " is not a gzip file: " + std::to_string(length) +
                    " bytes, a gzip file has at least 18");
    unsigned char magic[3] = {};
    if (std::fread(magic, 1, 3, f.get()) != 3 || magic[0] != 0x1f || magic[1] != 0x8b || magic[2] != 8)
        FATAL_ERROR(sname + " is not a gzip file: it does not start with the gzip signature");
    unsigned char trailer[4] = {};
    if (std::fseek(f.get(), length - 4, SEEK_SET) != 0 || std::fread(trailer, 1, 4, f.get()) != 4)
        FATAL_ERROR("Tried to read 4 bytes from " + sname + ", got 0");
    f.reset();
    const std::uint32_t isize = static_cast<std::uint32_t>(trailer[0]) | (static_cast<std::uint32_t>(trailer[1]) << 8) |
                                (static_cast<std::uint32_t>(trailer[2]) << 16) | (static_cast<std::uint32_t>(trailer[3]) << 24);
    // The trailer holds the length modulo 4 GiB: sizes the int interface
    // cannot carry, or that the compressed bytes cannot hold, are rejected
    // before anything is allocated.
    if (isize > static_cast<std::uint32_t>(INT_MAX - 1) || isize > max_gzip_output(length))
        FATAL_ERROR("(gzip) " + sname + " claims " + std::to_string(isize) +
                    " decompressed bytes, more than its " + std::to_string(length) + " bytes can hold");

    const std::size_t extra = addNul ? 1 : 0;
    MallocBuffer buffer(static_cast<std::uint8_t*>(std::malloc(isize + extra + 1)));
    if (!buffer)
        FATAL_ERROR("Failed to allocate memory for loading " + sname);

    struct GzCloser {
        void operator()(gzFile_s* g) const { gzclose(g); }
    };
    std::unique_ptr<gzFile_s, GzCloser> gz(gzopen(name, openMode));
    if (!gz)
        FATAL_ERROR("Argh, failed to open " + sname + "\n" + std::to_string(errno));
    // zlib's own words for a damaged stream (bad check value, invalid
    // codes), or that the stream ends too early.
    const auto damage = [&gz, &sname] {
        int code = Z_OK;
        const char* text = gzerror(gz.get(), &code);
        if (code == Z_OK || !text || !*text)
            return std::string("the compressed data ends early");
        std::string reason = text;
        if (reason.rfind(sname + ": ", 0) == 0)
            reason.erase(0, sname.size() + 2);
        return reason;
    };
    const int n = isize > 0 ? gzread(gz.get(), buffer.get(), isize) : 0;
    if (n <= 0)
        FATAL_ERROR("Something went wrong reading from " + sname + ", we got return value " + std::to_string(n) + ": " +
                    (isize == 0 ? std::string("it holds no data") : damage()));
    const auto mismatch = [&](std::uint64_t got, const std::string& why) {
        FATAL_ERROR("[TODO/FIXME] (gzip) flength of " + std::to_string(isize) + " does not match " +
                    std::to_string(got) + "\n(" + sname + " " + why + ")");
    };
    if (static_cast<std::uint32_t>(n) != isize)
        mismatch(static_cast<std::uint64_t>(n), "is cut short: " + damage());
    // The stream must end here, and its check value must hold. Data past the
    // length the trailer claims is counted to the end (no more than the
    // compressed bytes can give), so the message tells the real length.
    std::uint64_t decompressed = isize;
    std::vector<unsigned char> more(1);
    while (true) {
        const int got = gzread(gz.get(), more.data(), static_cast<unsigned>(more.size()));
        if (got < 0)
            FATAL_ERROR("Something went wrong reading from " + sname + ", we got return value " +
                        std::to_string(got) + ": " + damage());
        if (got == 0)
            break;
        decompressed += static_cast<std::uint64_t>(got);
        more.resize(1 << 16);
    }
    if (decompressed != isize)
        mismatch(decompressed, "holds more decompressed bytes than its trailer claims");
    if (gzclose(gz.release()) != Z_OK)
        FATAL_ERROR("Something went wrong reading from " + sname + ", the gzip stream is damaged");

    if (addNul)
        buffer.get()[n] = 0;
    *outSize = n + static_cast<int>(extra);
    if (g_mode == DataFileMode::Write)
        return record(name, buffer.release(), *outSize);
    tick();
    return buffer.release();
}

bool data_file_available(const char* name)
{
    if (g_mode == DataFileMode::Read)
        return find_entry(name) != nullptr;
    return open_file(name, "rb") != nullptr;
}

void mark_loaded(const char* name)
{
    if (g_mode != DataFileMode::Read)
        return;
    if (DataEntry* e = find_entry(name))
        e->loaded = true;
    tick();
}
