#pragma once
// The AVI file library: files, streams, compressing streams and the
// compression options dialog, under the names and flags the video dump calls.
// Files are RIFF AVI 1.0 with an 'idx1' index, written by our own writer.
// Video can be stored as full uncompressed frames ('DIB ') or as Motion JPEG
// ('MJPG', through libjpeg-turbo).
#include <functional>

#include "platform/win32_types.h"

using HRESULT = LONG;

struct AviFileObject;
struct AviStreamObject;
using PAVIFILE = AviFileObject*;
using PAVISTREAM = AviStreamObject*;

constexpr DWORD mmioFOURCC(char a, char b, char c, char d)
{
    return static_cast<DWORD>(static_cast<BYTE>(a)) |
           (static_cast<DWORD>(static_cast<BYTE>(b)) << 8) |
           (static_cast<DWORD>(static_cast<BYTE>(c)) << 16) |
           (static_cast<DWORD>(static_cast<BYTE>(d)) << 24);
}

constexpr DWORD streamtypeVIDEO = mmioFOURCC('v', 'i', 'd', 's');
constexpr DWORD streamtypeAUDIO = mmioFOURCC('a', 'u', 'd', 's');

// Video handlers the compressing stream knows.
constexpr DWORD AVI_HANDLER_DIB = mmioFOURCC('D', 'I', 'B', ' ');
constexpr DWORD AVI_HANDLER_MJPG = mmioFOURCC('M', 'J', 'P', 'G');

constexpr UINT OF_WRITE = 0x00000001;
constexpr UINT OF_CREATE = 0x00001000;

constexpr DWORD BI_RGB = 0;

constexpr HRESULT AVIERR_OK = 0;
constexpr HRESULT AVIERR_UNSUPPORTED = static_cast<HRESULT>(0x80044065);
constexpr HRESULT AVIERR_BADFORMAT = static_cast<HRESULT>(0x80044066);
constexpr HRESULT AVIERR_MEMORY = static_cast<HRESULT>(0x80044067);
constexpr HRESULT AVIERR_FILEWRITE = static_cast<HRESULT>(0x8004406D);
constexpr HRESULT AVIERR_FILEOPEN = static_cast<HRESULT>(0x8004406F);
constexpr HRESULT AVIERR_BADPARAM = static_cast<HRESULT>(0x80044070);
constexpr HRESULT AVIERR_NOCOMPRESSOR = static_cast<HRESULT>(0x80044071);

struct AVISTREAMINFOA {
    DWORD fccType;
    DWORD fccHandler;
    DWORD dwFlags;
    DWORD dwCaps;
    WORD wPriority;
    WORD wLanguage;
    DWORD dwScale;
    DWORD dwRate;
    DWORD dwStart;
    DWORD dwLength;
    DWORD dwInitialFrames;
    DWORD dwSuggestedBufferSize;
    DWORD dwQuality;
    DWORD dwSampleSize;
    RECT rcFrame;
    DWORD dwEditCount;
    DWORD dwFormatChangeCount;
    char szName[64];
};

struct AVICOMPRESSOPTIONS {
    DWORD fccType;
    DWORD fccHandler;
    DWORD dwKeyFrameEvery;
    DWORD dwQuality;  // 0 to 10000
    DWORD dwBytesPerSecond;
    DWORD dwFlags;
    void* lpFormat;
    DWORD cbFormat;
    void* lpParms;
    DWORD cbParms;
    DWORD dwInterleaveEvery;
};
using LPAVICOMPRESSOPTIONS = AVICOMPRESSOPTIONS*;

// The 40-byte bitmap header of a video stream's format.
struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

void AVIFileInit();
void AVIFileExit();

// Creates (truncates) the file; uMode must hold OF_WRITE | OF_CREATE.
// handler must be null (the default AVI handler).
HRESULT AVIFileOpenA(PAVIFILE* file, const char* path, UINT mode, const void* handler);
HRESULT AVIFileCreateStreamA(PAVIFILE file, PAVISTREAM* stream, const AVISTREAMINFOA* info);
// Sets the stream's format (BITMAPINFOHEADER for video, WAVEFORMATEX for
// audio). position must be 0.
HRESULT AVIStreamSetFormat(PAVISTREAM stream, LONG position, const void* format, LONG formatSize);
// Appends samples (one frame for video, sample frames for audio) at `start`.
HRESULT AVIStreamWrite(PAVISTREAM stream, LONG start, LONG samples, const void* buffer,
                       LONG bufferSize, DWORD flags, LONG* samplesWritten, LONG* bytesWritten);
// A stream over `source` that compresses every frame with options->fccHandler
// ('DIB ' or 'MJPG') at options->dwQuality before writing it. Frames go in as
// bottom-up rows of tightly packed 3-byte blue, green, red pixels.
HRESULT AVIMakeCompressedStream(PAVISTREAM* compressed, PAVISTREAM source,
                                const AVICOMPRESSOPTIONS* options, const void* handler);
DWORD AVIStreamRelease(PAVISTREAM stream);
// Writes the headers and the index and closes the file.
DWORD AVIFileRelease(PAVIFILE file);
// Not part of the AVIFile API: the system error (errno) of the file's first
// failed write, 0 when none failed.
int AVIFileWriteError(PAVIFILE file);

// The compression dialog: uncompressed full frames or Motion JPEG with a
// quality. Fills options[0]; returns TRUE for OK, FALSE for Cancel (or when
// no dialog can be shown).
BOOL AVISaveOptions(HWND owner, UINT flags, int streamCount, PAVISTREAM* streams,
                    LPAVICOMPRESSOPTIONS* options);

// Test seam: when set, AVISaveOptions shows nothing and returns the
// responder's answer; the responder may fill the options. Pass an empty
// function to show the dialog again.
using AviSaveOptionsResponder = std::function<BOOL(AVICOMPRESSOPTIONS& options)>;
void set_avi_save_options_responder(AviSaveOptionsResponder responder);
