// What the music object tells of the sound itself: spectrum, band level,
// overall level and the decoded waveform at the playback position.
#include <cstring>
#include <string>

#include "system/fatal_error.h"
#include "util/music/music.h"

void Music::getSpectrum(float* out, float beat)
{
    if (!out)
        FATAL_ERROR("Invalid buffer");
    if (dummy_mode)
        return;
    if (beat < 0.0f) {
        BASS_ChannelSetPosition(chan_decode, BASS_ChannelGetPosition(chan, BASS_POS_BYTE), BASS_POS_BYTE);
    } else {
        float s = (beat - beatOffset) / bpm;
        if (s < 0.0f)
            s = 0.0f;
        const double seconds = s * 60.0;
        BASS_ChannelSetPosition(chan_decode, BASS_ChannelSeconds2Bytes(chan, seconds), BASS_POS_BYTE);
    }
    if (BASS_ChannelGetData(chan_decode, out, BASS_DATA_FFT2048) == static_cast<DWORD>(-1))
        FATAL_ERROR("BASS_ChannelGetData failed: " + std::to_string(BASS_ErrorGetCode()));
}

float Music::getLevel()
{
    if (dummy_mode)
        return 0.0f;
    return getBandLevel(0, 256);
}

void Music::getWaveform(float* out, std::int32_t count)
{
    if (!out)
        FATAL_ERROR("Invalid buffer");
    if (dummy_mode || count <= 0)
        return;
    const std::uint64_t index = BASS_ChannelGetPosition(chan, BASS_POS_BYTE) / 2;
    // Near the end fewer samples remain: copy what there is, silence after it.
    const std::uint64_t available = index < num_samples ? num_samples - index : 0;
    const std::uint64_t copied = available < static_cast<std::uint64_t>(count) ? available : static_cast<std::uint64_t>(count);
    if (copied > 0)
        std::memcpy(out, float_buffer + index, static_cast<std::size_t>(copied) * sizeof(float));
    for (std::uint64_t i = copied; i < static_cast<std::uint64_t>(count); ++i)
        out[i] = 0.0f;
}

float Music::getBandLevel(int start, int stop)
{
    if (start >= stop)
        FATAL_ERROR("stop is less than start");
    if (start < 0 || stop > 256)
        FATAL_ERROR("Band " + std::to_string(start) + ".." + std::to_string(stop) + " lies outside the 256 spectrum bins");
    if (dummy_mode)
        return 0.0f;
    BASS_ChannelSetPosition(chan_decode, BASS_ChannelGetPosition(chan, BASS_POS_BYTE), BASS_POS_BYTE);
    // A failed read leaves the bins at 0, so the band reads silent.
    float bins[256] = {};
    BASS_ChannelGetData(chan_decode, bins, BASS_DATA_FFT512);
    float sum = 0.0f;
    for (int i = start; i < stop; ++i)
        sum += bins[i];
    return sum / static_cast<float>(stop - start);
}
