#include "platform/avi_riff_file.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::uint32_t AVIF_HASINDEX = 0x00000010;
constexpr std::uint32_t AVIF_ISINTERLEAVED = 0x00000100;
constexpr std::uint32_t AVIIF_KEYFRAME = 0x00000010;

// Little-endian byte builder for the header lists.
class Bytes {
public:
    void u16(std::uint32_t v)
    {
        data_.push_back(static_cast<std::uint8_t>(v));
        data_.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    void u32(std::uint32_t v)
    {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    void raw(const void* p, std::size_t n)
    {
        const auto* b = static_cast<const std::uint8_t*>(p);
        data_.insert(data_.end(), b, b + n);
    }
    void pad_even()
    {
        if (data_.size() % 2)
            data_.push_back(0);
    }
    // Starts a chunk or list; returns where its size goes.
    std::size_t open(std::uint32_t id)
    {
        u32(id);
        u32(0);
        return data_.size() - 4;
    }
    void close(std::size_t sizeAt)
    {
        const auto size = static_cast<std::uint32_t>(data_.size() - sizeAt - 4);
        for (int i = 0; i < 4; ++i)
            data_[sizeAt + i] = static_cast<std::uint8_t>(size >> (8 * i));
        pad_even();
    }
    const std::vector<std::uint8_t>& data() const { return data_; }

private:
    std::vector<std::uint8_t> data_;
};

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

std::int32_t bitmap_width(const std::vector<std::uint8_t>& format)
{
    return format.size() >= 12 ? static_cast<std::int32_t>(le32(format, 4)) : 0;
}

std::int32_t bitmap_height(const std::vector<std::uint8_t>& format)
{
    return format.size() >= 12 ? static_cast<std::int32_t>(le32(format, 8)) : 0;
}

}  // namespace

AviRiffFile::~AviRiffFile()
{
    if (file_)
        std::fclose(file_);
}

bool AviRiffFile::create(const std::string& path)
{
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_)
        return false;
    std::setvbuf(file_, nullptr, _IOFBF, 1 << 20);
    // Header area (filled in by finish), then the 'movi' list header.
    std::vector<std::uint8_t> zeros(kHeaderArea, 0);
    write(zeros.data(), zeros.size());
    Bytes movi;
    movi.u32(mmioFOURCC('L', 'I', 'S', 'T'));
    movi.u32(0);
    movi.u32(mmioFOURCC('m', 'o', 'v', 'i'));
    write(movi.data().data(), movi.data().size());
    moviBytes_ = 0;
    return !failed_;
}

int AviRiffFile::add_stream(const AVISTREAMINFOA& info)
{
    if (streams_.size() >= 99)
        return -1;
    streams_.push_back(Stream{info, {}, 0, 0, 0});
    if (12 + build_header_lists().size() + 8 > kHeaderArea) {
        streams_.pop_back();
        return -1;
    }
    return static_cast<int>(streams_.size()) - 1;
}

bool AviRiffFile::set_format(int stream, const void* format, std::size_t size)
{
    if (stream < 0 || stream >= stream_count())
        return false;
    auto& s = streams_[stream];
    const auto old = s.format;
    const auto* b = static_cast<const std::uint8_t*>(format);
    s.format.assign(b, b + size);
    if (12 + build_header_lists().size() + 8 > kHeaderArea) {
        s.format = old;
        return false;
    }
    return true;
}

std::uint32_t AviRiffFile::chunk_id(int stream) const
{
    const auto& s = streams_[stream];
    char kind[2] = {'w', 'b'};
    if (s.info.fccType == streamtypeVIDEO) {
        const bool raw = s.format.size() >= 20 && le32(s.format, 16) == BI_RGB;
        kind[0] = 'd';
        kind[1] = raw ? 'b' : 'c';
    }
    return mmioFOURCC(static_cast<char>('0' + stream / 10), static_cast<char>('0' + stream % 10),
                      kind[0], kind[1]);
}

void AviRiffFile::fail()
{
    if (!failed_)
        error_ = errno ? errno : EIO;
    failed_ = true;
}

bool AviRiffFile::write(const void* data, std::size_t size)
{
    if (!file_ || failed_)
        return false;
    if (size && std::fwrite(data, 1, size, file_) != size)
        fail();
    return !failed_;
}

bool AviRiffFile::write_chunk(int stream, const void* data, std::uint32_t size,
                              std::uint32_t samples, bool keyframe)
{
    if (!file_ || failed_ || stream < 0 || stream >= stream_count())
        return false;
    // AVI 1.0 offsets are 32-bit; refuse to grow past them.
    if (kHeaderArea + 12 + moviBytes_ + 8 + size + 1 + 16 * (index_.size() + 1) + 8 > 0xFFFFFFF0u)
        return false;
    const std::uint32_t id = chunk_id(stream);
    Bytes head;
    head.u32(id);
    head.u32(size);
    const auto offset = static_cast<std::uint32_t>(4 + moviBytes_);
    if (!write(head.data().data(), 8) || !write(data, size))
        return false;
    moviBytes_ += 8 + size;
    if (size % 2) {
        const std::uint8_t zero = 0;
        if (!write(&zero, 1))
            return false;
        moviBytes_ += 1;
    }
    index_.push_back(IndexEntry{id, keyframe ? AVIIF_KEYFRAME : 0u, offset, size, stream, samples});
    auto& s = streams_[stream];
    s.length += samples;
    s.maxChunk = std::max(s.maxChunk, size);
    return true;
}

std::vector<std::uint8_t> AviRiffFile::build_header_lists() const
{
    const Stream* video = nullptr;
    std::uint32_t maxChunk = 0;
    for (const auto& s : streams_) {
        if (!video && s.info.fccType == streamtypeVIDEO)
            video = &s;
        maxChunk = std::max(maxChunk, s.maxChunk);
    }

    Bytes b;
    const auto hdrl = b.open(mmioFOURCC('L', 'I', 'S', 'T'));
    b.u32(mmioFOURCC('h', 'd', 'r', 'l'));

    const auto avih = b.open(mmioFOURCC('a', 'v', 'i', 'h'));
    std::uint32_t usPerFrame = 0;
    double seconds = 0.0;
    if (video && video->info.dwRate) {
        usPerFrame = static_cast<std::uint32_t>(
            std::lround(1e6 * video->info.dwScale / static_cast<double>(video->info.dwRate)));
        seconds = static_cast<double>(video->length) * video->info.dwScale / video->info.dwRate;
    }
    const auto totalBytes = static_cast<double>(moviBytes_);
    b.u32(usPerFrame);
    b.u32(seconds > 0 ? static_cast<std::uint32_t>(std::min(totalBytes / seconds, 4e9)) : 0);
    b.u32(0);  // padding granularity
    b.u32((indexed_ ? AVIF_HASINDEX : 0u) | AVIF_ISINTERLEAVED);
    b.u32(video ? video->length : 0);
    b.u32(0);  // initial frames
    b.u32(static_cast<std::uint32_t>(streams_.size()));
    b.u32(maxChunk ? maxChunk + 8 : 0);
    b.u32(video ? static_cast<std::uint32_t>(bitmap_width(video->format)) : 0);
    b.u32(video ? static_cast<std::uint32_t>(std::abs(bitmap_height(video->format))) : 0);
    for (int i = 0; i < 4; ++i)
        b.u32(0);
    b.close(avih);

    for (const auto& s : streams_) {
        const auto strl = b.open(mmioFOURCC('L', 'I', 'S', 'T'));
        b.u32(mmioFOURCC('s', 't', 'r', 'l'));

        RECT frame = s.info.rcFrame;
        if (s.info.fccType == streamtypeVIDEO && frame.right == frame.left &&
            frame.bottom == frame.top) {
            // The frame rectangle follows the format when the stream was
            // created before its size was known.
            frame = RECT{0, 0, bitmap_width(s.format), std::abs(bitmap_height(s.format))};
        }
        const auto strh = b.open(mmioFOURCC('s', 't', 'r', 'h'));
        DWORD handler = s.info.fccHandler;
        if (!handler && s.info.fccType == streamtypeVIDEO && s.format.size() >= 20) {
            const DWORD compression = le32(s.format, 16);
            handler = compression == BI_RGB ? AVI_HANDLER_DIB : compression;
        }
        b.u32(s.info.fccType);
        b.u32(handler);
        b.u32(s.info.dwFlags);
        b.u16(s.info.wPriority);
        b.u16(s.info.wLanguage);
        b.u32(s.info.dwInitialFrames);
        b.u32(s.info.dwScale);
        b.u32(s.info.dwRate);
        b.u32(s.info.dwStart);
        b.u32(s.length);
        b.u32(std::max(s.info.dwSuggestedBufferSize, s.maxChunk));
        b.u32(s.info.dwQuality);
        b.u32(s.info.dwSampleSize);
        b.u16(static_cast<std::uint16_t>(frame.left));
        b.u16(static_cast<std::uint16_t>(frame.top));
        b.u16(static_cast<std::uint16_t>(frame.right));
        b.u16(static_cast<std::uint16_t>(frame.bottom));
        b.close(strh);

        const auto strf = b.open(mmioFOURCC('s', 't', 'r', 'f'));
        b.raw(s.format.data(), s.format.size());
        b.close(strf);

        const auto nameLength = strnlen(s.info.szName, sizeof s.info.szName - 1);
        if (nameLength) {
            const auto strn = b.open(mmioFOURCC('s', 't', 'r', 'n'));
            b.raw(s.info.szName, nameLength);
            b.raw("", 1);
            b.close(strn);
        }
        b.close(strl);
    }
    b.close(hdrl);
    return b.data();
}

std::vector<std::uint8_t> AviRiffFile::build_index() const
{
    Bytes idx;
    idx.u32(mmioFOURCC('i', 'd', 'x', '1'));
    idx.u32(static_cast<std::uint32_t>(16 * index_.size()));
    for (const auto& e : index_) {
        idx.u32(e.id);
        idx.u32(e.flags);
        idx.u32(e.offset);
        idx.u32(e.size);
    }
    return idx.data();
}

// After a failed write: the chunks that lie whole in the first fileSize
// bytes stay, the rest of the index and of the stream lengths goes.
void AviRiffFile::keep_whole_chunks(std::uint64_t fileSize)
{
    const std::uint64_t moviStart = kHeaderArea + 12;
    std::size_t kept = 0;
    std::uint64_t end = 0;
    for (const auto& e : index_) {
        const std::uint64_t chunkEnd = (e.offset - 4) + 8 + e.size + (e.size % 2);
        if (moviStart + chunkEnd > fileSize)
            break;
        end = chunkEnd;
        ++kept;
    }
    index_.resize(kept);
    moviBytes_ = end;
    for (auto& s : streams_)
        s.length = s.maxChunk = 0;
    for (const auto& e : index_) {
        streams_[e.stream].length += e.samples;
        streams_[e.stream].maxChunk = std::max(streams_[e.stream].maxChunk, e.size);
    }
}

bool AviRiffFile::finish()
{
    if (!file_)
        return false;
    // Index after the 'movi' list.
    const std::vector<std::uint8_t> idx = build_index();
    write(idx.data(), idx.size());
    if (!failed_ && std::fflush(file_) != 0)
        fail();
    // The headers go in through a descriptor of their own, after the stream
    // has handed over (or failed to hand over) all it buffered.
    const int fd = dup(fileno(file_));
    if (std::fclose(file_) != 0)
        fail();
    file_ = nullptr;
    if (fd < 0)
        return false;

    if (failed_) {
        // Whatever reached the disk is a prefix of what was written: cut it
        // back to whole chunks, then add the index if there is room for it.
        struct stat st {};
        const std::uint64_t onDisk = fstat(fd, &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
        if (onDisk < kHeaderArea + 12) {
            close(fd);
            return false;
        }
        keep_whole_chunks(onDisk);
        const auto moviEnd = static_cast<off_t>(kHeaderArea + 12 + moviBytes_);
        indexed_ = false;
        if (ftruncate(fd, moviEnd) == 0) {
            const std::vector<std::uint8_t> kept = build_index();
            indexed_ = pwrite(fd, kept.data(), kept.size(), moviEnd) == static_cast<ssize_t>(kept.size());
            if (!indexed_ && ftruncate(fd, moviEnd) != 0) {
                close(fd);
                return false;
            }
        }
    }
    const std::uint64_t fileSize =
        kHeaderArea + 12 + moviBytes_ + (indexed_ ? 8 + 16 * static_cast<std::uint64_t>(index_.size()) : 0);

    // The header area: RIFF header, 'hdrl', a 'JUNK' chunk up to 'movi'.
    Bytes head;
    head.u32(mmioFOURCC('R', 'I', 'F', 'F'));
    head.u32(static_cast<std::uint32_t>(fileSize - 8));
    head.u32(mmioFOURCC('A', 'V', 'I', ' '));
    const auto lists = build_header_lists();
    head.raw(lists.data(), lists.size());
    const auto junk = head.open(mmioFOURCC('J', 'U', 'N', 'K'));
    std::vector<std::uint8_t> zeros(kHeaderArea - head.data().size(), 0);
    head.raw(zeros.data(), zeros.size());
    head.close(junk);
    head.u32(mmioFOURCC('L', 'I', 'S', 'T'));
    head.u32(static_cast<std::uint32_t>(4 + moviBytes_));
    head.u32(mmioFOURCC('m', 'o', 'v', 'i'));
    // The header area was written as zeros at create(): its blocks exist, so
    // this write needs no new space even on a full disk.
    const bool headed = pwrite(fd, head.data().data(), head.data().size(), 0) ==
                        static_cast<ssize_t>(head.data().size());
    if (!headed)
        fail();
    const bool closed = close(fd) == 0;
    return closed && !failed_;
}
