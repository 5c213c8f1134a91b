#include "util/data/datafile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <unistd.h>

#include "platform/large_buffer.h"
#include "system/fatal_error.h"
#include "system/log_message.h"
#include "util/data/data_layer.h"
#include "util/data/huffman_codec.h"
#include "util/data/regular_file.h"

bool datafile_read = false;
std::vector<std::string> temp_files;

namespace {

const char Title[19] = "Velmorin Data File";
constexpr std::uint8_t MajorVersion = 0;
constexpr std::uint8_t MinorVersion = 2;
constexpr long PreambleSize = 21;
const char ChunkTag[7] = "VLMDFC";
constexpr std::size_t ChunkHeaderSize = 15;

void put_u32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t get_u32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

bool write_all(std::FILE* f, const void* data, std::size_t size)
{
    return std::fwrite(data, 1, size, f) == size;
}

// The bytes up to the first 0, at most `max` of them.
std::string c_text(const void* bytes, std::size_t max)
{
    const char* s = static_cast<const char*>(bytes);
    return std::string(s, strnlen(s, max));
}

std::string fixed2(float value)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", static_cast<double>(value));
    return buf;
}

// A float as a standard stream writes it by default.
std::string general(float value)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%g", static_cast<double>(value));
    return buf;
}

std::string right9(const std::string& text)
{
    return text.size() >= 9 ? text : std::string(9 - text.size(), ' ') + text;
}

// Writes the chunk stream of every entry into a new temporary file and
// returns its bytes.
std::vector<std::uint8_t> write_chunk_stream(const std::string& fileName)
{
    const char* dir = std::getenv("TMPDIR");
    std::string name = std::string(dir && *dir ? dir : "/tmp") + "/velmorin-XXXXXX";
    const int fd = mkstemp(name.data());
    temp_files.push_back(name);
    FilePtr tmp(fd >= 0 ? fdopen(fd, "wb+") : nullptr);
    if (!tmp) {
        if (fd >= 0)
            close(fd);
        FATAL_ERROR("Failed to create tmpfile()");
    }

    for (const DataEntry* e : data_entries) {
        log_message("..file: " + e->name + ", " + std::to_string(e->size) + " bytes\n");
        std::uint8_t lengths[8];
        put_u32(lengths, static_cast<std::uint32_t>(e->name.size()));
        put_u32(lengths + 4, static_cast<std::uint32_t>(e->size));
        if (!write_all(tmp.get(), ChunkTag, sizeof ChunkTag))
            FATAL_ERROR("Failed to write chunk header!");
        if (!write_all(tmp.get(), lengths, 4))
            FATAL_ERROR("Failed to write fname_length!");
        if (!write_all(tmp.get(), lengths + 4, 4))
            FATAL_ERROR("Failed to write chunk size!");
        if (!write_all(tmp.get(), e->name.data(), e->name.size()))
            FATAL_ERROR("Failed to write filename!");
        if (e->size > 0 && !write_all(tmp.get(), e->data, static_cast<std::size_t>(e->size)))
            FATAL_ERROR("Failed to write chunk!");
    }
    if (std::fflush(tmp.get()) != 0)
        FATAL_ERROR("Failed to write chunk!");

    const long length = file_length(tmp.get());
    if (length <= 0)
        FATAL_ERROR("Negative or zero file length: " + std::to_string(length));
    // The block's sizes are 32-bit ints.
    if (static_cast<std::uint64_t>(HuffmanCodec::max_packed_size(static_cast<std::uint64_t>(length))) > INT32_MAX)
        FATAL_ERROR("Failed to allocate memory for data buffer loading " + fileName + ": " + std::to_string(length) +
                    " bytes of files are too many for one data file");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
    if (std::fread(bytes.data(), 1, bytes.size(), tmp.get()) != bytes.size())
        FATAL_ERROR("Failed to read " + std::to_string(length) + " bytes from " + fileName);
    return bytes;
}

void write_packed_file(const std::string& fileName, const std::uint8_t* block, int packedSize)
{
    const std::string partName = fileName + ".part";
    FilePtr out(std::fopen(partName.c_str(), "wb"));
    if (!out)
        FATAL_ERROR("Failed to open data file " + fileName + " for writing");
    auto fail = [&](const char* message) {
        out.reset();
        std::remove(partName.c_str());
        FATAL_ERROR(message);
    };
    if (!write_all(out.get(), Title, sizeof Title))
        fail("Failed to write header!");
    if (!write_all(out.get(), &MajorVersion, 1))
        fail("Failed to write major version!");
    if (!write_all(out.get(), &MinorVersion, 1))
        fail("Failed to write minor version!");
    if (!write_all(out.get(), block, static_cast<std::size_t>(packedSize)) || std::fflush(out.get()) != 0 ||
        fsync(fileno(out.get())) != 0)
        fail("Failed to write file contents!");
    if (std::fclose(out.release()) != 0)
        fail("Failed to write file contents!");
    if (std::rename(partName.c_str(), fileName.c_str()) != 0) {
        std::remove(partName.c_str());
        FATAL_ERROR("Failed to move " + partName + " into place as " + fileName);
    }
}

// The packed block and its unpacked chunk stream: megabytes each, written
// once and read once (large_buffer.h).
struct FreeLarge {
    void operator()(std::uint8_t* p) const { free_large(p); }
};
using LargeBytes = std::unique_ptr<std::uint8_t, FreeLarge>;

LargeBytes new_large_bytes(std::size_t size) { return LargeBytes(new_large_array<std::uint8_t>(size)); }

// Splits the unpacked chunk stream into entries; every length is checked
// against the bytes left before anything is copied.
void parse_chunks(const std::uint8_t* data, std::size_t count, const std::string& fileName)
{
    std::size_t pos = 0;
    int chunks = 0;
    std::uint64_t dataBytes = 0;
    while (pos < count) {
        const std::size_t left = count - pos;
        const std::string where = "Damaged chunk " + std::to_string(chunks) + " in " + fileName + ": ";
        const std::string tag = c_text(data + pos, left < 7 ? left : 7);
        if (tag != ChunkTag)
            FATAL_ERROR("Unrecognized chunk header: " + tag + ". \nRead " + std::to_string(chunks) + " chunks, " +
                        general(static_cast<float>(dataBytes) / 1048576.0f) + " MB before this\n");
        if (left < ChunkHeaderSize)
            FATAL_ERROR(where + "its header is cut off after " + std::to_string(left) + " bytes");
        const std::uint32_t nameLength = get_u32(data + pos + 7);
        const std::int32_t size = static_cast<std::int32_t>(get_u32(data + pos + 11));
        if (nameLength > left - ChunkHeaderSize)
            FATAL_ERROR(where + "its name of " + std::to_string(nameLength) + " bytes reaches past the end");
        if (size < 0 || static_cast<std::uint64_t>(size) > left - ChunkHeaderSize - nameLength)
            FATAL_ERROR(where + "its data of " + std::to_string(size) + " bytes reaches past the end");

        auto* entry = new DataEntry;
        const char* nameBytes = reinterpret_cast<const char*>(data + pos + ChunkHeaderSize);
        entry->name = c_text(nameBytes, nameLength);
        entry->size = size;
        entry->data = static_cast<std::uint8_t*>(allocate_large(size > 0 ? static_cast<std::size_t>(size) : 1));
        if (!entry->data) {
            delete entry;
            FATAL_ERROR("Failed to allocate memory for data chunk!");
        }
        if (size > 0)
            std::memcpy(entry->data, data + pos + ChunkHeaderSize + nameLength, static_cast<std::size_t>(size));
        data_entries.push_back(entry);
        pos += ChunkHeaderSize + nameLength + static_cast<std::size_t>(size);
        ++chunks;
        dataBytes += static_cast<std::uint64_t>(size);
    }
}

} // namespace

void write_datafile(const char* fileName)
{
    if (get_datafile_mode() != DataFileMode::Write)
        return;
    const std::string name = fileName;
    log_message("Writing datafile " + name + "\n");

    const std::vector<std::uint8_t> stream = write_chunk_stream(name);
    const int length = static_cast<int>(stream.size());

    struct FreeDeleter {
        void operator()(std::uint8_t* p) const { std::free(p); }
    };
    std::unique_ptr<std::uint8_t, FreeDeleter> block(
        static_cast<std::uint8_t*>(std::malloc(static_cast<std::size_t>(HuffmanCodec::max_packed_size(stream.size())))));
    if (!block)
        FATAL_ERROR("Failed to allocate memory for data buffer loading " + name);
    int packedSize = 0;
    {
        auto codec = std::make_unique<HuffmanCodec>();
        codec->huffman_encode(block.get(), &packedSize, stream.data(), length);
    }
    write_packed_file(name, block.get(), packedSize);

    const float lost = static_cast<float>(length - packedSize);
    log_message("Done writing datafile \"" + name + "\" of " + fixed2(static_cast<float>(packedSize) / 1048576.0f) +
                " MB!\n");
    log_message(" ..original file size:  " + right9(std::to_string(length)) + " bytes\n");
    log_message(" ..compressed file size:" + right9(std::to_string(packedSize)) + " bytes\n");
    log_message(" ..lost in compression: " + right9(std::to_string(length - packedSize)) + " bytes\n");
    log_message(" ..compression rate:    " + right9(fixed2(lost * 100.0f / static_cast<float>(length))) + " %\n");
}

void read_datafile(const char* fileName)
{
    if (datafile_read)
        return;
    if (get_datafile_mode() != DataFileMode::Read) {
        datafile_read = true;
        return;
    }
    const std::string name = fileName;
    bool notRegular = false;
    FilePtr f = open_regular_file(fileName, "rb", &notRegular);
    if (notRegular)
        FATAL_ERROR("Failed to open data file " + name + " for reading.\n(it is not a regular file)");
    if (!f)
        FATAL_ERROR("Failed to open data file " + name + " for reading.\n");
    const long length = file_length(f.get());
    if (length <= 0)
        FATAL_ERROR("Negative or zero file length: " + std::to_string(length));

    char title[sizeof Title];
    if (std::fread(title, 1, sizeof title, f.get()) != sizeof title)
        FATAL_ERROR("Failed to read header!");
    if (c_text(title, sizeof title) != Title)
        FATAL_ERROR("Unrecognized datafile header: " + c_text(title, sizeof title));
    std::uint8_t major = 0;
    std::uint8_t minor = 0;
    if (std::fread(&major, 1, 1, f.get()) != 1)
        FATAL_ERROR("Failed to read major version!");
    if (std::fread(&minor, 1, 1, f.get()) != 1)
        FATAL_ERROR("Failed to read minor version!");
    if (major != MajorVersion || minor != MinorVersion)
        FATAL_ERROR("Expected datafile format " + std::to_string(MajorVersion) + "." + std::to_string(MinorVersion) +
                    ", got " + std::to_string(major) + "." + std::to_string(minor));

    const long blockSize = length - PreambleSize;
    if (blockSize > INT32_MAX)
        FATAL_ERROR("Failed to read " + std::to_string(blockSize) + " bytes from " + name);
    const std::size_t blockBytes = static_cast<std::size_t>(blockSize > 0 ? blockSize : 0);
    LargeBytes block = new_large_bytes(blockBytes);
    if (blockSize <= 0 || std::fread(block.get(), 1, blockBytes, f.get()) != blockBytes)
        FATAL_ERROR("Failed to read " + std::to_string(blockSize) + " bytes from " + name);
    f.reset();

    LargeBytes unpacked;
    int count = 0;
    {
        auto codec = std::make_unique<HuffmanCodec>();
        const std::uint32_t unpackedSize = codec->set_header(block.get(), static_cast<std::uint32_t>(blockBytes), name);
        unpacked = new_large_bytes(unpackedSize);
        codec->huffman_decode(unpacked.get(), &count, block.get());
    }
    parse_chunks(unpacked.get(), static_cast<std::size_t>(count), name);
    datafile_read = true;
}

void delete_temp_files()
{
    for (const std::string& name : temp_files)
        std::remove(name.c_str());
}
