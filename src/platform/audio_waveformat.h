#pragma once
// The 18-byte audio format record of the Win32 multimedia API, as the AVI
// writer stores it. Packed: no padding between or after the fields.
#include "platform/win32_types.h"

constexpr WORD WAVE_FORMAT_PCM = 1;

#pragma pack(push, 1)
struct WAVEFORMATEX {
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;
    WORD wBitsPerSample;
    WORD cbSize;
};
#pragma pack(pop)
static_assert(sizeof(WAVEFORMATEX) == 18);
