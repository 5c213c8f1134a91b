#pragma once
// The audio library the music object is written against: an output device
// at 44100 Hz, streams created from a file held in memory (MP3 or OGG Vorbis,
// told apart by their bytes), playback, byte positions, whole-song decoding
// to float and 16-bit samples, and FFT magnitudes.
//
// A stream decodes its whole file when it is created. Positions and lengths
// count bytes of the stream's own 16-bit interleaved format (channels x 2
// bytes per sample frame), whatever the caller reads the data as. Playback
// goes through SDL2 audio; without an audio device SDL's "dummy" driver is
// opened, which consumes samples at real-time pace, so the clock still runs.
//
// FFT (BASS_DATA_FFT512 / BASS_DATA_FFT2048): N = 512 or 2048 sample frames
// from the position on (channels averaged to mono, zero-padded past the end
// of the song), multiplied by a Hann window, transformed, and the first N/2
// bins written as magnitudes scaled by 2 / sum(window): a full-scale sine in
// the middle of bin k reads about 1.0 at bin k. Reading FFT data moves the
// position like reading N sample frames.
#include <cstdint>

#include "platform/win32_types.h"

using QWORD = std::uint64_t;
using HSTREAM = DWORD;

constexpr DWORD BASSVERSION = 0x0204;

// Stream flags
constexpr DWORD BASS_SAMPLE_8BITS = 1;
constexpr DWORD BASS_SAMPLE_LOOP = 4;
constexpr DWORD BASS_STREAM_PRESCAN = 0x20000;
constexpr DWORD BASS_STREAM_DECODE = 0x200000;
constexpr DWORD BASS_ASYNCFILE = 0x40000000;

// Position modes
constexpr DWORD BASS_POS_BYTE = 0;

// BASS_ChannelGetData length flags
constexpr DWORD BASS_DATA_FLOAT = 0x40000000;
constexpr DWORD BASS_DATA_FFT512 = 0x80000001;
constexpr DWORD BASS_DATA_FFT2048 = 0x80000003;

// BASS_ChannelIsActive results
constexpr DWORD BASS_ACTIVE_STOPPED = 0;
constexpr DWORD BASS_ACTIVE_PLAYING = 1;
constexpr DWORD BASS_ACTIVE_STALLED = 2;
constexpr DWORD BASS_ACTIVE_PAUSED = 3;

// Attributes
constexpr DWORD BASS_ATTRIB_VOL = 2;

// Error codes (BASS_ErrorGetCode)
constexpr int BASS_OK = 0;
constexpr int BASS_ERROR_MEM = 1;
constexpr int BASS_ERROR_FILEOPEN = 2;
constexpr int BASS_ERROR_HANDLE = 5;
constexpr int BASS_ERROR_FORMAT = 6;
constexpr int BASS_ERROR_POSITION = 7;
constexpr int BASS_ERROR_INIT = 8;
constexpr int BASS_ERROR_ALREADY = 14;
constexpr int BASS_ERROR_ILLPARAM = 20;
constexpr int BASS_ERROR_DEVICE = 23;
constexpr int BASS_ERROR_NOTAVAIL = 37;
constexpr int BASS_ERROR_DECODE = 38;
constexpr int BASS_ERROR_FILEFORM = 41;
constexpr int BASS_ERROR_ENDED = 45;
constexpr int BASS_ERROR_UNKNOWN = -1;

struct BASS_CHANNELINFO {
    DWORD freq;
    DWORD chans;
    DWORD flags;
    DWORD ctype;
    DWORD origres;
    DWORD plugin;
    DWORD sample;
    const char* filename;
};

constexpr DWORD BASS_CTYPE_STREAM_OGG = 0x10002;
constexpr DWORD BASS_CTYPE_STREAM_MP3 = 0x10005;

// Version word: 0x0204 in the high 16 bits.
DWORD BASS_GetVersion();
// Opens the output device (-1 = default) at `freq` Hz; device 0 is "no
// sound": no driver is started and the streams follow the wall clock. FALSE
// when already open (BASS_ERROR_ALREADY) or when no device, not even the
// dummy one, opens.
BOOL BASS_Init(int device, DWORD freq, DWORD flags, void* window, const void* clsid);
// Frees every stream and closes the device.
BOOL BASS_Free();
int BASS_ErrorGetCode();

// Only memory streams (mem TRUE): `file` points at `length` bytes starting at
// `offset`, which must stay valid while the stream lives. 0 on failure.
HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags);
BOOL BASS_StreamFree(HSTREAM handle);

BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info);
QWORD BASS_ChannelGetLength(DWORD handle, DWORD mode);
QWORD BASS_ChannelGetPosition(DWORD handle, DWORD mode);
// Positions past the end fail (BASS_ERROR_POSITION) and leave the position
// unchanged; a position inside is rounded down to a whole sample frame.
BOOL BASS_ChannelSetPosition(DWORD handle, QWORD position, DWORD mode);
double BASS_ChannelBytes2Seconds(DWORD handle, QWORD position);
QWORD BASS_ChannelSeconds2Bytes(DWORD handle, double seconds);

// Decode streams only. `length` is the byte count wanted, with
// BASS_DATA_FLOAT for 32-bit float samples (otherwise 16-bit), or an FFT
// flag (see above). Returns the bytes written (FFT: the bytes of the stream
// consumed), or (DWORD)-1 with BASS_ERROR_ENDED at the end of the stream.
DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length);

BOOL BASS_ChannelPlay(DWORD handle, BOOL restart);
BOOL BASS_ChannelPause(DWORD handle);
DWORD BASS_ChannelIsActive(DWORD handle);
BOOL BASS_ChannelSetAttribute(DWORD handle, DWORD attrib, float value);
// Sets the flags in `mask` to their values in `flags`; returns the new flags,
// or (DWORD)-1 for an unknown handle.
DWORD BASS_ChannelFlags(DWORD handle, DWORD flags, DWORD mask);

// Which SDL audio driver the open device uses ("dummy" without a device,
// "none" for device 0 or a driver that found no device); empty when the
// device is closed.
const char* audio_driver_name();

// Why the last BASS_StreamCreateFile that failed with BASS_ERROR_FILEFORM
// could not decode its bytes ("no MP3 audio frame found", ...).
const char* audio_decode_failure();
