#include "platform/avifile.h"

#include <cstring>
#include <memory>
#include <vector>

#include "platform/avi_compression_dialog.h"
#include "platform/avi_mjpeg.h"
#include "platform/avi_riff_file.h"

struct AviFileObject {
    std::shared_ptr<AviRiffFile> riff;
};

// A stream handle: either one stream of a file, or a compressing stream over
// another stream. Handles are counted: a compressing stream holds its source.
struct AviStreamObject {
    virtual ~AviStreamObject() = default;
    virtual HRESULT set_format(const void* format, LONG size) = 0;
    virtual HRESULT write(LONG samples, const void* buffer, LONG size, DWORD flags,
                          LONG* bytesWritten) = 0;
    int references = 1;
};

namespace {

constexpr DWORD AVIIF_KEYFRAME = 0x10;

AviSaveOptionsResponder& save_options_responder()
{
    static AviSaveOptionsResponder responder;
    return responder;
}

class FileStream final : public AviStreamObject {
public:
    FileStream(std::shared_ptr<AviRiffFile> riff, int number)
        : riff_(std::move(riff)), number_(number)
    {
    }
    HRESULT set_format(const void* format, LONG size) override
    {
        if (!riff_->is_open())
            return AVIERR_FILEWRITE;
        return riff_->set_format(number_, format, static_cast<std::size_t>(size))
                   ? AVIERR_OK
                   : AVIERR_BADFORMAT;
    }
    // Every chunk is a key frame: PCM audio, bitmaps and JPEG frames each
    // stand alone.
    HRESULT write(LONG samples, const void* buffer, LONG size, DWORD,
                  LONG* bytesWritten) override
    {
        if (!riff_->write_chunk(number_, buffer, static_cast<std::uint32_t>(size),
                                static_cast<std::uint32_t>(samples), true))
            return AVIERR_FILEWRITE;
        if (bytesWritten)
            *bytesWritten = size;
        return AVIERR_OK;
    }

private:
    std::shared_ptr<AviRiffFile> riff_;
    int number_;
};

// Takes frames of tightly packed bottom-up 24-bit rows and stores them in the
// source stream as the handler's format needs them: bitmap rows padded to
// four bytes for 'DIB ', one JPEG per frame for 'MJPG'.
class CompressingStream final : public AviStreamObject {
public:
    CompressingStream(AviStreamObject* source, DWORD handler, DWORD quality)
        : source_(source), handler_(handler), quality_(quality)
    {
        ++source_->references;
    }
    ~CompressingStream() override { AVIStreamRelease(source_); }

    HRESULT set_format(const void* format, LONG size) override
    {
        if (size < static_cast<LONG>(sizeof(BITMAPINFOHEADER)))
            return AVIERR_BADFORMAT;
        BITMAPINFOHEADER in;
        std::memcpy(&in, format, sizeof in);
        if (in.biBitCount != 24 || in.biCompression != BI_RGB || in.biWidth <= 0 ||
            in.biHeight <= 0 || in.biPlanes != 1)
            return AVIERR_BADFORMAT;
        BITMAPINFOHEADER out = in;
        out.biSize = sizeof out;
        if (handler_ == AVI_HANDLER_MJPG) {
            out.biCompression = AVI_HANDLER_MJPG;
            out.biSizeImage = static_cast<DWORD>(in.biWidth) * static_cast<DWORD>(in.biHeight) * 3;
        } else {
            out.biSizeImage = dib_stride(in.biWidth) * static_cast<DWORD>(in.biHeight);
        }
        const HRESULT result = source_->set_format(&out, sizeof out);
        if (result == AVIERR_OK)
            format_ = in;
        return result;
    }

    HRESULT write(LONG samples, const void* buffer, LONG size, DWORD flags,
                  LONG* bytesWritten) override
    {
        if (format_.biWidth <= 0)
            return AVIERR_BADFORMAT;
        const auto width = static_cast<std::size_t>(format_.biWidth);
        const auto height = static_cast<std::size_t>(format_.biHeight);
        const std::size_t packed = width * 3;
        if (samples != 1 || size < 0 || static_cast<std::size_t>(size) < packed * height)
            return AVIERR_BADPARAM;
        const auto* in = static_cast<const std::uint8_t*>(buffer);
        if (handler_ == AVI_HANDLER_MJPG) {
            int jpegQuality = static_cast<int>((quality_ + 50) / 100);
            if (!encode_mjpeg_frame(in, format_.biWidth, format_.biHeight, jpegQuality, frame_))
                return AVIERR_MEMORY;
        } else {
            const std::size_t stride = dib_stride(format_.biWidth);
            frame_.assign(stride * height, 0);
            for (std::size_t row = 0; row < height; ++row)
                std::memcpy(frame_.data() + row * stride, in + row * packed, packed);
        }
        return source_->write(1, frame_.data(), static_cast<LONG>(frame_.size()),
                              flags | AVIIF_KEYFRAME, bytesWritten);
    }

private:
    static DWORD dib_stride(LONG width) { return (static_cast<DWORD>(width) * 3 + 3) & ~3u; }

    AviStreamObject* source_;
    DWORD handler_;
    DWORD quality_;
    BITMAPINFOHEADER format_{};
    std::vector<std::uint8_t> frame_;
};

}  // namespace

void AVIFileInit() {}
void AVIFileExit() {}

HRESULT AVIFileOpenA(PAVIFILE* file, const char* path, UINT mode, const void* handler)
{
    if (!file)
        return AVIERR_BADPARAM;
    *file = nullptr;
    if (!path || handler || (mode & (OF_WRITE | OF_CREATE)) != (OF_WRITE | OF_CREATE))
        return AVIERR_UNSUPPORTED;
    auto riff = std::make_shared<AviRiffFile>();
    if (!riff->create(path))
        return AVIERR_FILEOPEN;
    *file = new AviFileObject{std::move(riff)};
    return AVIERR_OK;
}

HRESULT AVIFileCreateStreamA(PAVIFILE file, PAVISTREAM* stream, const AVISTREAMINFOA* info)
{
    if (!stream)
        return AVIERR_BADPARAM;
    *stream = nullptr;
    if (!file || !info || !file->riff->is_open())
        return AVIERR_BADPARAM;
    const int number = file->riff->add_stream(*info);
    if (number < 0)
        return AVIERR_UNSUPPORTED;
    *stream = new FileStream(file->riff, number);
    return AVIERR_OK;
}

HRESULT AVIStreamSetFormat(PAVISTREAM stream, LONG position, const void* format, LONG formatSize)
{
    if (!stream || !format || formatSize <= 0 || position != 0)
        return AVIERR_BADPARAM;
    return stream->set_format(format, formatSize);
}

HRESULT AVIStreamWrite(PAVISTREAM stream, LONG, LONG samples, const void* buffer, LONG bufferSize,
                       DWORD flags, LONG* samplesWritten, LONG* bytesWritten)
{
    if (samplesWritten)
        *samplesWritten = 0;
    if (bytesWritten)
        *bytesWritten = 0;
    if (!stream || !buffer || bufferSize < 0 || samples < 0)
        return AVIERR_BADPARAM;
    const HRESULT result = stream->write(samples, buffer, bufferSize, flags, bytesWritten);
    if (result == AVIERR_OK && samplesWritten)
        *samplesWritten = samples;
    return result;
}

HRESULT AVIMakeCompressedStream(PAVISTREAM* compressed, PAVISTREAM source,
                                const AVICOMPRESSOPTIONS* options, const void*)
{
    if (!compressed)
        return AVIERR_BADPARAM;
    *compressed = nullptr;
    if (!source || !options || options->fccType != streamtypeVIDEO)
        return AVIERR_BADPARAM;
    if (options->fccHandler != AVI_HANDLER_DIB && options->fccHandler != AVI_HANDLER_MJPG)
        return AVIERR_NOCOMPRESSOR;
    *compressed = new CompressingStream(source, options->fccHandler, options->dwQuality);
    return AVIERR_OK;
}

DWORD AVIStreamRelease(PAVISTREAM stream)
{
    if (!stream)
        return 0;
    const int left = --stream->references;
    if (left <= 0) {
        delete stream;
        return 0;
    }
    return static_cast<DWORD>(left);
}

int AVIFileWriteError(PAVIFILE file)
{
    return file && file->riff ? file->riff->write_error() : 0;
}

DWORD AVIFileRelease(PAVIFILE file)
{
    if (!file)
        return 0;
    file->riff->finish();
    delete file;
    return 0;
}

BOOL AVISaveOptions(HWND, UINT, int streamCount, PAVISTREAM* streams,
                    LPAVICOMPRESSOPTIONS* options)
{
    if (streamCount != 1 || !streams || !options || !options[0])
        return FALSE;
    AVICOMPRESSOPTIONS& chosen = *options[0];
    if (const auto& responder = save_options_responder())
        return responder(chosen);
    DWORD handler = chosen.fccHandler;
    DWORD quality = 0;
    if (!run_avi_compression_dialog(handler, quality))
        return FALSE;
    chosen.fccType = streamtypeVIDEO;
    chosen.fccHandler = handler;
    chosen.dwQuality = quality;
    return TRUE;
}

void set_avi_save_options_responder(AviSaveOptionsResponder responder)
{
    save_options_responder() = std::move(responder);
}
