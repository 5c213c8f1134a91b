#include "platform/aviwriter.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <stdexcept>

#include "platform/audio_waveformat.h"
#include "platform/avifile.h"
#include "platform/window.h"


struct AVIWriter::Private {
    std::recursive_mutex lock;
    PAVIFILE file = nullptr;
    PAVISTREAM video_stream = nullptr;
    PAVISTREAM compressed_stream = nullptr;
    PAVISTREAM audio_stream = nullptr;
    WAVEFORMATEX wave_format{};
    char base_name[260] = {};
    char file_name[300] = {};  // formatted with room to spare, then cut to 259
    int part = 0;
    std::uint32_t codec = 0;
    int quality = 0;
    std::int64_t part_bytes = 0;
    bool is_open = false;
    bool format_set = false;
    int write_error = 0;
};

AVIWriter::AVIWriter() : p(std::make_unique<Private>()) {}

AVIWriter::~AVIWriter() { close(); }

const char* AVIWriter::part_file_name() const { return p->file_name; }
int AVIWriter::part() const { return p->part; }
int AVIWriter::write_error() const { return p->write_error; }

bool AVIWriter::open(const char* name, float framesPerSecond, std::uint32_t codec, int quality)
{
    close();
    width = height = frames = audio_samples = 0;
    fps = framesPerSecond;

    std::snprintf(p->base_name, sizeof p->base_name, "%s", name);
    for (int i = static_cast<int>(std::strlen(p->base_name)) - 1; i >= 0; --i) {
        const char c = p->base_name[i];
        if (c == '/' || c == '\\')
            break;
        if (c == '.') {
            p->base_name[i] = '\0';
            break;
        }
    }
    p->part = 1;
    p->codec = codec;
    p->quality = quality;
    p->is_open = false;
    p->format_set = false;
    return open_part();
}

void AVIWriter::set_size(int w, int h)
{
    if (p->format_set)
        return;
    width = w;
    height = h;
}

void AVIWriter::set_audio_format(const WAVEFORMATEX* format)
{
    std::memcpy(&p->wave_format, format, sizeof(WAVEFORMATEX));
}

bool AVIWriter::open_part()
{
    AVIFileInit();
    p->part_bytes = 0;
    p->write_error = 0;
    std::snprintf(p->file_name, sizeof p->file_name, "%s.%02d.avi", p->base_name, p->part);
    p->file_name[259] = '\0';
    if (AVIFileOpenA(&p->file, p->file_name, OF_WRITE | OF_CREATE, nullptr) != AVIERR_OK)
        return false;
    // A part that cannot be set up (Cancel in the dialog included) is closed
    // and removed rather than left behind empty.
    const auto abandon = [this] {
        close_streams();
        std::remove(p->file_name);
        return false;
    };

    AVISTREAMINFOA info{};
    info.fccType = streamtypeVIDEO;
    info.dwScale = 10000;
    info.dwRate = static_cast<DWORD>(std::lround(10000.0 * fps));
    info.dwSuggestedBufferSize = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 3;
    info.rcFrame = RECT{0, 0, width, height};
    std::snprintf(info.szName, sizeof info.szName, "Video");
    if (AVIFileCreateStreamA(p->file, &p->video_stream, &info) != AVIERR_OK)
        return abandon();

    AVICOMPRESSOPTIONS options{};
    options.fccType = streamtypeVIDEO;
    options.fccHandler = p->codec == 0 ? AVI_HANDLER_DIB : p->codec;
    options.dwQuality = static_cast<DWORD>(p->quality);
    if (p->codec == kAskCodec) {
        AVICOMPRESSOPTIONS* list[1] = {&options};
        if (!AVISaveOptions(GetActiveWindow(), 0, 1, &p->video_stream, list))
            return abandon();
        // Later parts of this recording use the same choice without asking.
        p->codec = options.fccHandler;
        p->quality = static_cast<int>(options.dwQuality);
    }
    if (AVIMakeCompressedStream(&p->compressed_stream, p->video_stream, &options, nullptr) !=
        AVIERR_OK)
        return abandon();
    p->is_open = true;
    return true;
}

bool AVIWriter::set_video_format()
{
    if (!p->file)
        return false;
    bool ok;
    {
        std::lock_guard guard(p->lock);
        BITMAPINFOHEADER header{};
        header.biSize = sizeof header;
        header.biWidth = width;
        header.biHeight = height;
        header.biPlanes = 1;
        header.biBitCount = 24;
        header.biCompression = BI_RGB;
        header.biSizeImage = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 3;
        ok = p->compressed_stream &&
             AVIStreamSetFormat(p->compressed_stream, 0, &header, sizeof header) == AVIERR_OK;
        if (ok) {
            frames = 0;
            p->format_set = true;
        }
    }
    if (!ok)
        close_streams();
    return ok;
}

bool AVIWriter::create_audio_stream(const WAVEFORMATEX* format)
{
    if (!p->file)
        return false;
    bool ok;
    {
        std::lock_guard guard(p->lock);
        AVISTREAMINFOA info{};
        info.fccType = streamtypeAUDIO;
        info.dwScale = 1;
        info.dwRate = format->nSamplesPerSec;
        info.dwSuggestedBufferSize = format->nAvgBytesPerSec;
        info.dwSampleSize = format->nBlockAlign;
        std::snprintf(info.szName, sizeof info.szName, "Audio");
        ok = AVIFileCreateStreamA(p->file, &p->audio_stream, &info) == AVIERR_OK &&
             AVIStreamSetFormat(p->audio_stream, 0, format, sizeof(WAVEFORMATEX)) == AVIERR_OK;
        if (ok) {
            audio_samples = 0;
            block_align = format->nBlockAlign;
        }
    }
    if (!ok)
        close_streams();
    return ok;
}

bool AVIWriter::add_video_frame(const void* bgr)
{
    std::lock_guard guard(p->lock);
    if (!(frames > 0 || p->format_set || (width != 0 && height != 0 && set_video_format())))
        return false;
    if (!p->format_set || !p->compressed_stream)
        return false;
    if (p->part_bytes >= kPartLimit) {
        const bool hadAudio = p->audio_stream != nullptr;
        close_streams();
        p->part += 1;
        if (!open_part() || !set_video_format())
            return false;
        if (hadAudio && !create_audio_stream(&p->wave_format))
            return false;
    }
    LONG written = 0;
    const LONG size = width * 3 * height;
    if (AVIStreamWrite(p->compressed_stream, frames, 1, bgr, size, 0, nullptr, &written) !=
        AVIERR_OK) {
        written = 0;
        p->write_error = AVIFileWriteError(p->file);
    }
    frames += 1;
    p->part_bytes += written;
    return written != 0;
}

bool AVIWriter::add_audio(const void* samples, int count)
{
    std::lock_guard guard(p->lock);
    if (!p->audio_stream && !create_audio_stream(&p->wave_format))
        return false;
    if (count == 0)
        return false;
    LONG written = 0;
    if (AVIStreamWrite(p->audio_stream, audio_samples, count, samples, count * block_align, 0,
                       nullptr, &written) != AVIERR_OK) {
        written = 0;
        p->write_error = AVIFileWriteError(p->file);
    }
    audio_samples += count;
    p->part_bytes += written;
    return written != 0;
}

void AVIWriter::close_streams()
{
    std::lock_guard guard(p->lock);
    if (!p->is_open && !p->file)
        return;
    try {
        if (p->audio_stream) {
            AVIStreamRelease(p->audio_stream);
            p->audio_stream = nullptr;
        }
        if (p->compressed_stream) {
            AVIStreamRelease(p->compressed_stream);
            p->compressed_stream = nullptr;
        }
        if (p->video_stream) {
            AVIStreamRelease(p->video_stream);
            p->video_stream = nullptr;
        }
        if (p->file) {
            AVIFileRelease(p->file);
            p->file = nullptr;
        }
    } catch (...) {
        std::printf("AVIWriter: Exception in cleanup\n");
    }
    AVIFileExit();
    p->is_open = false;
}

void AVIWriter::close() { close_streams(); }
