#include "platform/audio.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/audio_decode.h"
#include "platform/parallel_pieces.h"
#include "platform/audio_fft.h"

namespace {

constexpr int kBufferFrames = 512;
// Samples converted to float per thread, at least.
constexpr std::size_t kMinConvertPiece = 1 << 20;

struct Stream {
    // The decoded sample values, interleaved; streams made from the same
    // file bytes share them, so the file is decoded once.
    std::shared_ptr<const AudioSamples> samples;
    const void* file = nullptr;  // the file bytes it was made from
    QWORD fileLength = 0;
    DWORD channels = 0;
    DWORD rate = 0;
    DWORD flags = 0;
    DWORD ctype = 0;
    std::uint64_t frame = 0;     // position in sample frames
    double fraction = 0.0;       // playback: sub-frame position when rates differ
    bool playing = false;
    bool paused = false;
    float volume = 1.0f;
    // Where the device's last buffer started in this stream, how far it
    // reaches and when it was taken: while playing, the reported position
    // moves smoothly through that buffer at the stream's rate instead of
    // jumping a buffer at a time.
    std::uint64_t anchorFrame = 0;
    std::uint64_t anchorSpan = 0;
    std::chrono::steady_clock::time_point anchorTime;
    bool anchored = false;
    // On the dummy driver the position follows the wall clock from here.
    std::chrono::steady_clock::time_point clockStart;
    std::uint64_t clockFrame = 0;

    std::uint64_t frames() const { return samples->size() / channels; }
    DWORD blockAlign() const { return channels * 2; }
    std::uint64_t reportedFrame() const
    {
        if (!playing || paused || !anchored)
            return std::min(frame, frames());
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - anchorTime).count();
        const auto advance = static_cast<std::uint64_t>(std::max(0.0, elapsed * rate));
        return std::min(anchorFrame + std::min(advance, anchorSpan), frames());
    }
};

struct Device {
    SDL_AudioDeviceID id = 0;
    int rate = 44100;
    int channels = 2;
    std::string driver;
    // SDL's dummy driver sleeps whole milliseconds per buffer and so consumes
    // samples a few per cent too fast: there, playing streams take their
    // position from the wall clock instead, and the device only gets silence.
    bool wallClock = false;
};

std::mutex mutex; // guards the streams against the device's callback thread
std::map<DWORD, std::unique_ptr<Stream>> streams;
DWORD nextHandle = 0x10000;
Device device;
bool initialised = false;
int lastError = BASS_OK;
std::string lastDecodeFailure;

bool fail(int code)
{
    lastError = code;
    return false;
}

Stream* find(DWORD handle)
{
    auto it = streams.find(handle);
    if (it == streams.end()) {
        lastError = BASS_ERROR_HANDLE;
        return nullptr;
    }
    return it->second.get();
}

// Brings a playing stream's position up to the wall clock (dummy driver).
void followWallClock(Stream* s)
{
    if (!device.wallClock || !s->playing || s->paused || s->frames() == 0)
        return;
    const auto now = std::chrono::steady_clock::now();
    const double elapsed = std::chrono::duration<double>(now - s->clockStart).count();
    std::uint64_t frame = s->clockFrame + static_cast<std::uint64_t>(std::max(0.0, elapsed * s->rate));
    if (frame >= s->frames()) {
        if (s->flags & BASS_SAMPLE_LOOP) {
            frame %= s->frames();
            s->clockFrame = frame;
            s->clockStart = now;
        } else {
            frame = s->frames();
            s->playing = false;
        }
    }
    s->frame = frame;
}

// Starts the wall clock of a stream at its current position.
void restartWallClock(Stream* s)
{
    s->clockFrame = s->frame;
    s->clockStart = std::chrono::steady_clock::now();
}

// Mixes every playing stream into the device buffer (signed 16-bit stereo
// or the device's channel count). Runs on SDL's audio thread.
void mixCallback(void*, Uint8* out, int length)
{
    if (device.wallClock) {
        std::memset(out, 0, static_cast<std::size_t>(length));
        return;
    }
    const int outChannels = device.channels;
    const int frames = length / (2 * outChannels);
    std::vector<float> mix(static_cast<std::size_t>(frames * outChannels), 0.0f);
    {
        std::lock_guard<std::mutex> lock(mutex);
        for (auto& [handle, s] : streams) {
            if (!s->playing || s->paused || s->frames() == 0)
                continue;
            const double step = static_cast<double>(s->rate) / device.rate;
            const std::uint64_t startFrame = s->frame;
            bool wrapped = false;
            for (int i = 0; i < frames; ++i) {
                if (s->frame >= s->frames()) {
                    if (s->flags & BASS_SAMPLE_LOOP) {
                        s->frame = 0;
                        wrapped = true;
                    } else {
                        s->playing = false;
                        break;
                    }
                }
                const std::int16_t* src = &(*s->samples)[s->frame * s->channels];
                for (int c = 0; c < outChannels; ++c) {
                    const int sc = s->channels == 1 ? 0 : std::min<int>(c, static_cast<int>(s->channels) - 1);
                    mix[static_cast<std::size_t>(i * outChannels + c)] += src[sc] * s->volume;
                }
                s->fraction += step;
                const double whole = std::floor(s->fraction);
                s->frame += static_cast<std::uint64_t>(whole);
                s->fraction -= whole;
            }
            s->anchored = s->playing && !wrapped;
            s->anchorFrame = startFrame;
            s->anchorSpan = s->frame - startFrame;
            s->anchorTime = std::chrono::steady_clock::now();
        }
    }
    std::int16_t* dst = reinterpret_cast<std::int16_t*>(out);
    for (std::size_t i = 0; i < mix.size(); ++i)
        dst[i] = static_cast<std::int16_t>(std::clamp(mix[i], -32768.0f, 32767.0f));
}

// Starts the driver (null: SDL's first that starts) and opens its default
// device. A driver that starts but opens no device is left running.
bool openDevice(const char* driver, int freq)
{
    if (SDL_AudioInit(driver) != 0)
        return false;
    SDL_AudioSpec want{};
    SDL_AudioSpec have{};
    want.freq = freq;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = kBufferFrames;
    want.callback = mixCallback;
    SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (id == 0)
        return false;
    device.id = id;
    device.rate = have.freq;
    device.channels = have.channels;
    const char* name = SDL_GetCurrentAudioDriver();
    device.driver = name ? name : "";
    device.wallClock = device.driver == "dummy";
    SDL_PauseAudioDevice(id, 0);
    return true;
}

// No device to play on: the streams follow the wall clock, as on the dummy
// driver, and nothing is mixed.
void useNoDevice(int freq)
{
    device = Device{};
    device.rate = freq;
    device.driver = "none";
    device.wallClock = true;
}

} // namespace

DWORD BASS_GetVersion()
{
    return (BASSVERSION << 16) | 0x0001;
}

// A program that ends without BASS_Free (a fatal error ends it with exit)
// must stop the device's thread before the streams are destroyed.
static void closeDeviceAtExit()
{
    if (initialised && device.id != 0)
        SDL_CloseAudioDevice(device.id);
    initialised = false;
}

BOOL BASS_Init(int deviceNumber, DWORD freq, DWORD, void*, const void*)
{
    if (initialised)
        return fail(BASS_ERROR_ALREADY);
    static const bool registered = [] { return std::atexit(closeDeviceAtExit) == 0; }();
    (void)registered;
    // Device 0 is "no sound": no driver is started (nor does one probe the
    // machine's sound cards and report what it cannot find).
    if (deviceNumber == 0) {
        useNoDevice(static_cast<int>(freq));
        initialised = true;
        lastError = BASS_OK;
        return TRUE;
    }
    // The driver is chosen here rather than by SDL_InitSubSystem, so that a
    // machine without a sound device still plays, by the wall clock.
    // SDL_AUDIODRIVER still names a driver to try first. A driver that
    // started but found no device is not shut down to try the dummy driver:
    // shutting it down waits for its device-watching thread (ALSA's wakes
    // every tenth of a second), and the streams follow the wall clock
    // without a device just as they would on the dummy driver. A driver
    // that did not start leaves the dummy driver to try.
    const char* wanted = SDL_getenv("SDL_AUDIODRIVER");
    if (!openDevice(wanted, static_cast<int>(freq))) {
        if (SDL_GetCurrentAudioDriver())
            useNoDevice(static_cast<int>(freq));
        else if (!openDevice("dummy", static_cast<int>(freq))) {
            if (SDL_GetCurrentAudioDriver())
                SDL_AudioQuit();
            return fail(BASS_ERROR_DEVICE);
        }
    }
    initialised = true;
    lastError = BASS_OK;
    return TRUE;
}

BOOL BASS_Free()
{
    if (!initialised)
        return fail(BASS_ERROR_INIT);
    if (device.id != 0)
        SDL_CloseAudioDevice(device.id);
    {
        std::lock_guard<std::mutex> lock(mutex);
        streams.clear();
    }
    SDL_AudioQuit();
    device = Device{};
    initialised = false;
    lastError = BASS_OK;
    return TRUE;
}

int BASS_ErrorGetCode()
{
    return lastError;
}

const char* audio_driver_name()
{
    return device.driver.c_str();
}

const char* audio_decode_failure()
{
    return lastDecodeFailure.c_str();
}

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags)
{
    if (!initialised)
        return fail(BASS_ERROR_INIT), 0;
    if (!mem || !file)
        return fail(BASS_ERROR_FILEOPEN), 0;
    auto stream = std::make_unique<Stream>();
    const std::uint8_t* bytes = static_cast<const std::uint8_t*>(file) + offset;
    stream->file = bytes;
    stream->fileLength = length;
    // A memory stream's bytes stay valid and unchanged while the stream
    // lives: a live stream made from the same bytes already holds them decoded.
    const Stream* twin = nullptr;
    {
        std::lock_guard<std::mutex> lock(mutex);
        for (const auto& [handle, other] : streams)
            if (other->file == bytes && other->fileLength == length)
                twin = other.get();
        if (twin) {
            stream->samples = twin->samples;
            stream->channels = twin->channels;
            stream->rate = twin->rate;
            stream->ctype = twin->ctype;
        }
    }
    if (!twin) {
        auto decoded = std::make_shared<DecodedAudio>();
        if (!audio_decode(bytes, static_cast<std::size_t>(length), decoded.get())) {
            lastDecodeFailure = decoded->failure;
            return fail(BASS_ERROR_FILEFORM), 0;
        }
        stream->samples = std::shared_ptr<const AudioSamples>(decoded, &decoded->samples);
        stream->channels = static_cast<DWORD>(decoded->channels);
        stream->rate = static_cast<DWORD>(decoded->rate);
        stream->ctype = decoded->isOgg ? BASS_CTYPE_STREAM_OGG : BASS_CTYPE_STREAM_MP3;
    }
    stream->flags = flags & (BASS_SAMPLE_LOOP | BASS_STREAM_PRESCAN | BASS_STREAM_DECODE | BASS_ASYNCFILE);
    std::lock_guard<std::mutex> lock(mutex);
    const HSTREAM handle = nextHandle++;
    streams[handle] = std::move(stream);
    lastError = BASS_OK;
    return handle;
}

BOOL BASS_StreamFree(HSTREAM handle)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (streams.erase(handle) == 0)
        return fail(BASS_ERROR_HANDLE);
    lastError = BASS_OK;
    return TRUE;
}

BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info)
{
    std::lock_guard<std::mutex> lock(mutex);
    Stream* s = find(handle);
    if (!s)
        return FALSE;
    if (!info)
        return fail(BASS_ERROR_ILLPARAM);
    *info = BASS_CHANNELINFO{s->rate, s->channels, s->flags, s->ctype, 0, 0, 0, nullptr};
    lastError = BASS_OK;
    return TRUE;
}

QWORD BASS_ChannelGetLength(DWORD handle, DWORD mode)
{
    std::lock_guard<std::mutex> lock(mutex);
    Stream* s = find(handle);
    if (!s)
        return static_cast<QWORD>(-1);
    if (mode != BASS_POS_BYTE)
        return fail(BASS_ERROR_NOTAVAIL), static_cast<QWORD>(-1);
    lastError = BASS_OK;
    return s->frames() * s->blockAlign();
}

QWORD BASS_ChannelGetPosition(DWORD handle, DWORD mode)
{
    std::lock_guard<std::mutex> lock(mutex);
    Stream* s = find(handle);
    if (!s)
        return static_cast<QWORD>(-1);
    if (mode != BASS_POS_BYTE)
        return fail(BASS_ERROR_NOTAVAIL), static_cast<QWORD>(-1);
    lastError = BASS_OK;
    followWallClock(s);
    return s->reportedFrame() * s->blockAlign();
}

BOOL BASS_ChannelSetPosition(DWORD handle, QWORD position, DWORD mode)
{
    std::lock_guard<std::mutex> lock(mutex);
    Stream* s = find(handle);
    if (!s)
        return FALSE;
    if (mode != BASS_POS_BYTE)
        return fail(BASS_ERROR_NOTAVAIL);
    const std::uint64_t frame = position / s->blockAlign();
    if (frame > s->frames())
        return fail(BASS_ERROR_POSITION);
    s->frame = frame;
    s->fraction = 0.0;
    s->anchored = false;
    restartWallClock(s);
    lastError = BASS_OK;
    return TRUE;
}

double BASS_ChannelBytes2Seconds(DWORD handle, QWORD position)
{
    std::lock_guard<std::mutex> lock(mutex);
    Stream* s = find(handle);
    if (!s)
        return -1.0;
    lastError = BASS_OK;
    return static_cast<double>(position) / (static_cast<double>(s->rate) * s->blockAlign());
}

QWORD BASS_ChannelSeconds2Bytes(DWORD handle, double seconds)
{
    std::lock_guard<std::mutex> lock(mutex);
    Stream* s = find(handle);
    if (!s)
        return static_cast<QWORD>(-1);
    lastError = BASS_OK;
    if (!(seconds > 0.0))
        return 0;
    // Far past any stream's end the count is clamped (converting a larger
    // double, or infinity, to an integer is undefined).
    const double frames = std::min(std::floor(seconds * s->rate), 1e15);
    return static_cast<QWORD>(frames) * s->blockAlign();
}

DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length)
{
    std::lock_guard<std::mutex> lock(mutex);
    Stream* s = find(handle);
    if (!s)
        return static_cast<DWORD>(-1);
    if (!(s->flags & BASS_STREAM_DECODE))
        return fail(BASS_ERROR_NOTAVAIL), static_cast<DWORD>(-1);
    if (!buffer)
        return fail(BASS_ERROR_ILLPARAM), static_cast<DWORD>(-1);

    if (length == BASS_DATA_FFT512 || length == BASS_DATA_FFT2048) {
        const int n = length == BASS_DATA_FFT512 ? 512 : 2048;
        std::vector<float> mono(static_cast<std::size_t>(n), 0.0f);
        const std::uint64_t available = s->frames() - std::min(s->frame, s->frames());
        const std::uint64_t take = std::min<std::uint64_t>(available, static_cast<std::uint64_t>(n));
        for (std::uint64_t i = 0; i < take; ++i) {
            const std::int16_t* src = &(*s->samples)[(s->frame + i) * s->channels];
            float sum = 0.0f;
            for (DWORD c = 0; c < s->channels; ++c)
                sum += src[c] / 32768.0f;
            mono[i] = sum / static_cast<float>(s->channels);
        }
        s->frame += take;
        audio_fft_magnitudes(mono.data(), n, static_cast<float*>(buffer));
        lastError = BASS_OK;
        return static_cast<DWORD>(take * s->blockAlign());
    }

    const bool asFloat = (length & BASS_DATA_FLOAT) != 0;
    const DWORD bytes = length & ~BASS_DATA_FLOAT;
    const std::uint64_t sampleSize = asFloat ? 4 : 2;
    const std::uint64_t wanted = bytes / (sampleSize * s->channels);
    const std::uint64_t available = s->frames() - std::min(s->frame, s->frames());
    const std::uint64_t take = std::min(wanted, available);
    if (take == 0 && wanted > 0)
        return fail(BASS_ERROR_ENDED), static_cast<DWORD>(-1);
    const std::int16_t* src = s->samples->data() + s->frame * s->channels;
    const std::size_t count = static_cast<std::size_t>(take * s->channels);
    if (asFloat) {
        // A whole song at once (tens of megabytes, most of the time spent
        // on fresh pages) is converted in pieces on several threads.
        float* dst = static_cast<float*>(buffer);
        const std::size_t pieces = piece_count(count, kMinConvertPiece);
        run_pieces(pieces, [&](std::size_t piece) {
            const std::size_t end = count * (piece + 1) / pieces;
            for (std::size_t i = count * piece / pieces; i < end; ++i)
                dst[i] = src[i] / 32768.0f;
        });
    } else {
        std::memcpy(buffer, src, count * 2);
    }
    s->frame += take;
    lastError = BASS_OK;
    return static_cast<DWORD>(count * sampleSize);
}

BOOL BASS_ChannelPlay(DWORD handle, BOOL restart)
{
    std::lock_guard<std::mutex> lock(mutex);
    Stream* s = find(handle);
    if (!s)
        return FALSE;
    if (s->flags & BASS_STREAM_DECODE)
        return fail(BASS_ERROR_DECODE);
    if (restart || s->frame >= s->frames())
        s->frame = restart ? 0 : s->frame;
    s->playing = s->frame < s->frames() || (s->flags & BASS_SAMPLE_LOOP);
    s->paused = false;
    s->anchored = false;
    restartWallClock(s);
    lastError = BASS_OK;
    return TRUE;
}

BOOL BASS_ChannelPause(DWORD handle)
{
    std::lock_guard<std::mutex> lock(mutex);
    Stream* s = find(handle);
    if (!s)
        return FALSE;
    followWallClock(s);
    if (!s->playing || s->paused)
        return fail(BASS_ERROR_ALREADY);
    s->paused = true;
    s->anchored = false;
    lastError = BASS_OK;
    return TRUE;
}

DWORD BASS_ChannelIsActive(DWORD handle)
{
    std::lock_guard<std::mutex> lock(mutex);
    Stream* s = find(handle);
    if (!s)
        return BASS_ACTIVE_STOPPED;
    lastError = BASS_OK;
    if (s->flags & BASS_STREAM_DECODE)
        return s->frame < s->frames() ? BASS_ACTIVE_PLAYING : BASS_ACTIVE_STOPPED;
    followWallClock(s);
    if (!s->playing)
        return BASS_ACTIVE_STOPPED;
    return s->paused ? BASS_ACTIVE_PAUSED : BASS_ACTIVE_PLAYING;
}

BOOL BASS_ChannelSetAttribute(DWORD handle, DWORD attrib, float value)
{
    std::lock_guard<std::mutex> lock(mutex);
    Stream* s = find(handle);
    if (!s)
        return FALSE;
    if (attrib != BASS_ATTRIB_VOL)
        return fail(BASS_ERROR_ILLPARAM);
    s->volume = std::max(0.0f, value);
    lastError = BASS_OK;
    return TRUE;
}

DWORD BASS_ChannelFlags(DWORD handle, DWORD flags, DWORD mask)
{
    std::lock_guard<std::mutex> lock(mutex);
    Stream* s = find(handle);
    if (!s)
        return static_cast<DWORD>(-1);
    followWallClock(s);
    const DWORD changeable = mask & BASS_SAMPLE_LOOP;
    s->flags = (s->flags & ~changeable) | (flags & changeable);
    lastError = BASS_OK;
    return s->flags;
}
