#pragma once
// One RIFF AVI 1.0 file being written: a reserved header area, the 'movi'
// list of chunks appended as they come, and at finish() the 'hdrl' headers
// (main header, one 'strl' per stream) and the 'idx1' index.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/avifile.h"

class AviRiffFile {
public:
    // Bytes kept at the start of the file for the RIFF header and 'hdrl'; the
    // 'movi' list starts right after them.
    static constexpr std::uint32_t kHeaderArea = 4096;

    AviRiffFile() = default;
    ~AviRiffFile();
    AviRiffFile(const AviRiffFile&) = delete;
    AviRiffFile& operator=(const AviRiffFile&) = delete;

    bool create(const std::string& path);
    // Returns the new stream's number, or -1 when the headers would no longer
    // fit into the header area.
    int add_stream(const AVISTREAMINFOA& info);
    bool set_format(int stream, const void* format, std::size_t size);
    const std::vector<std::uint8_t>& format(int stream) const { return streams_[stream].format; }
    int stream_count() const { return static_cast<int>(streams_.size()); }
    // Appends one chunk of the stream holding `samples` samples; false when
    // the file cannot be written.
    bool write_chunk(int stream, const void* data, std::uint32_t size, std::uint32_t samples,
                     bool keyframe);
    // Writes the index and the headers and closes the file. False when any
    // write failed since create(); the file then keeps every chunk that was
    // written whole before the failure (an index when there is room for one,
    // else none) under complete headers, so that it still plays.
    bool finish();
    bool is_open() const { return file_ != nullptr; }
    // The system error (errno) of the first failed write, 0 when none failed.
    int write_error() const { return error_; }

private:
    struct Stream {
        AVISTREAMINFOA info;
        std::vector<std::uint8_t> format;
        std::uint32_t chunkId = 0;
        std::uint32_t length = 0;      // samples written
        std::uint32_t maxChunk = 0;    // largest chunk's data size
    };
    struct IndexEntry {
        std::uint32_t id;
        std::uint32_t flags;
        std::uint32_t offset;  // of the chunk header, from the 'movi' code
        std::uint32_t size;
        int stream;
        std::uint32_t samples;
    };

    std::vector<std::uint8_t> build_header_lists() const;
    std::uint32_t chunk_id(int stream) const;
    bool write(const void* data, std::size_t size);
    void fail();
    std::vector<std::uint8_t> build_index() const;
    void keep_whole_chunks(std::uint64_t fileSize);

    std::FILE* file_ = nullptr;
    bool failed_ = false;
    int error_ = 0;
    bool indexed_ = true;          // the file ends in an 'idx1' index
    std::uint64_t moviBytes_ = 0;  // bytes after the 'movi' code
    std::vector<Stream> streams_;
    std::vector<IndexEntry> index_;
};
