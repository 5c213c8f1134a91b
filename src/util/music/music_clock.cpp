// The music object's clock and transport: seconds, beats and rows from the
// playback position (or the millisecond clock in dummy mode), play, pause,
// seeking and the per-frame update.
#include <climits>
#include <cmath>

#include "platform/timing.h"
#include "system/fatal_error.h"
#include "util/math/mathutils.h"
#include "util/music/music.h"

namespace {

// The dummy clock after the ticks from `last` to `now` (the tick count's
// wrap included): it stops at its end, INT32_MAX milliseconds, where the
// editor's set-row to the last row puts it, instead of overflowing.
std::int32_t advanced(std::int32_t elapsed, std::uint32_t now, std::uint32_t last)
{
    const std::int64_t sum = static_cast<std::int64_t>(elapsed) + static_cast<std::uint32_t>(now - last);
    return sum > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(sum);
}

} // namespace

void Music::start()
{
    for (int i = 0; i < 10; ++i) {
        beatHistory[i] = beatOffset;
        byteHistory[i] = 0;
    }
    beatStep = 0.0f;
    byteStep = 0;
    if (dummy_mode) {
        elapsedMs = 0;
        lastTick = GetTickCount();
    } else {
        BASS_ChannelFlags(chan, 0, BASS_SAMPLE_LOOP);
        BASS_ChannelPlay(chan, FALSE);
    }
    if (!isActive())
        FATAL_ERROR("Failed to start the music!");
    paused = false;
}

void Music::update()
{
    if (dummy_mode && !paused) {
        const std::uint32_t now = GetTickCount();
        elapsedMs = advanced(elapsedMs, now, lastTick);
        lastTick = now;
    }
    static const SyncClientEvents events{syncPause, syncSetRow, syncIsPlaying};
    // A lost editor is reconnected step by step: the frame never waits on it.
    if (SyncClient::update(syncDevice, clamp_to_int(std::floor(getRow()), INT_MIN, INT_MAX), &events, &chan) != 0)
        SyncClient::reconnect(syncDevice, "localhost", 1338);

    const float beat = getBeat();
    const std::int32_t position = getBytePosition();
    beatStep = (beat - beatHistory[0]) / 10.0f;
    // From one end of the clock to the other the difference passes int32's
    // range; a tenth of it does not.
    byteStep = static_cast<std::int32_t>((static_cast<std::int64_t>(position) - byteHistory[0]) / 10);
    for (int i = 0; i < 9; ++i) {
        beatHistory[i] = beatHistory[i + 1];
        byteHistory[i] = byteHistory[i + 1];
    }
    beatHistory[9] = beat;
    byteHistory[9] = position;
}

float Music::getSeconds()
{
    if (dummy_mode)
        return static_cast<float>(elapsedMs / 1000.0);
    return static_cast<float>(BASS_ChannelBytes2Seconds(chan, BASS_ChannelGetPosition(chan, BASS_POS_BYTE)));
}

float Music::getBeat()
{
    const double s = getSeconds();
    return static_cast<float>(bpm * (s / 60.0) + beatOffset);
}

double Music::getRow()
{
    const double s = getSeconds();
    return s * (bpm / 60.0 * rowsPerBeat);
}

float Music::getBeatStep()
{
    return beatStep;
}

std::int32_t Music::getBytePosition()
{
    if (dummy_mode)
        return elapsedMs;
    return static_cast<std::int32_t>(BASS_ChannelGetPosition(chan, BASS_POS_BYTE));
}

void Music::setBytePosition(std::int32_t position)
{
    if (dummy_mode)
        elapsedMs = position;
    else
        BASS_ChannelSetPosition(chan, static_cast<std::uint32_t>(position), BASS_POS_BYTE);
}

void Music::seekSeconds(float seconds)
{
    if (seconds < 0.0f)
        seconds = 0.0f;
    if (dummy_mode)
        elapsedMs = clamp_to_int(seconds * 1000.0, 0, INT32_MAX);
    else
        BASS_ChannelSetPosition(chan, BASS_ChannelSeconds2Bytes(chan, seconds), BASS_POS_BYTE);
}

void Music::setRow(int row)
{
    const double rate = bpm / 60.0 * rowsPerBeat;
    std::uint32_t p;
    // In double: row x 1000 passes int's range from about two million rows
    // on; the position stays inside it with the 4 added below.
    if (dummy_mode)
        p = static_cast<std::uint32_t>(clamp_to_int(row * 1000.0 / rate, INT32_MIN, INT32_MAX - 4));
    else
        p = static_cast<std::uint32_t>(BASS_ChannelSeconds2Bytes(chan, row / rate));
    setBytePosition(static_cast<std::int32_t>(p + 4));
}

int Music::getLengthBytes()
{
    if (dummy_mode)
        return 99999999;
    return static_cast<int>(static_cast<std::uint32_t>(BASS_ChannelGetLength(chan, BASS_POS_BYTE)));
}

float Music::getLengthBeats()
{
    const std::int32_t length = getLengthBytes();
    const double seconds = dummy_mode ? length / 1000.0 : BASS_ChannelBytes2Seconds(chan, static_cast<QWORD>(length));
    return static_cast<float>(bpm * seconds / 60.0);
}

bool Music::isRunning()
{
    if (dummy_mode || paused)
        return true;
    return isActive();
}

bool Music::isActive()
{
    if (dummy_mode)
        return !paused;
    return BASS_ChannelIsActive(chan) == BASS_ACTIVE_PLAYING;
}

void Music::togglePause()
{
    if (dummy_mode) {
        const std::uint32_t now = GetTickCount();
        if (!paused)
            elapsedMs = advanced(elapsedMs, now, lastTick);
        lastTick = now;
    } else if (paused) {
        BASS_ChannelPlay(chan, FALSE);
    } else {
        BASS_ChannelPause(chan);
    }
    paused = !paused;
}

void Music::play()
{
    if (!paused)
        return;
    if (dummy_mode)
        lastTick = GetTickCount();
    else
        BASS_ChannelPlay(chan, FALSE);
    paused = false;
}

void Music::pause()
{
    if (paused)
        return;
    if (dummy_mode) {
        const std::uint32_t now = GetTickCount();
        elapsedMs = advanced(elapsedMs, now, lastTick);
        lastTick = now;
    } else {
        BASS_ChannelPause(chan);
    }
    paused = true;
}

void Music::setVolume(float volume)
{
    if (!dummy_mode)
        BASS_ChannelSetAttribute(chan, BASS_ATTRIB_VOL, volume);
}
