// The sync client's side of the editor link. The input is the editor's byte
// stream after the greeting, cut into pieces that arrive one per frame:
//   byte 0: how many tracks the client asked for (its low two bits, 0 to 3);
//   byte 1: how the stream is cut (low four bits: piece length - 1, 0 for
//           pieces of random lengths) and how far the tick count moves each
//           frame (high bits: 16 ms, none, 1 s or 2^31 - 1 ms);
//   the rest: the editor's bytes.
// Whatever comes, messages are handled whole (one cut between frames waits
// for its rest), every track's rows stay strictly ascending, the editor's
// set-row and pause drive a music object's millisecond clock without any
// step of it leaving its type, and a stream that breaks the protocol or ends
// closes the connection.
#include <sys/socket.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "fuzz_support.h"
#include "platform/timing.h"
#include "system/velmosystem.h"
#include "util/math/mathutils.h"
#include "util/music/music.h"
#include "util/music/syncclient.h"

namespace {

const char* const kTrackNames[] = {"flash", "cameraEyeX", "fade"};
const std::uint64_t kTickSteps[] = {16, 0, 1000, 0x7fffffff};

void drain(int socket)
{
    char buffer[4096];
    while (::recv(socket, buffer, sizeof buffer, MSG_DONTWAIT) > 0) {
    }
}

void checkTracks(const SyncClient* client)
{
    for (int t = 0; t < client->trackCount; ++t) {
        const SyncTrack* track = client->tracks[t];
        for (int i = 1; i < track->keyCount; ++i)
            if (track->keys[i].row <= track->keys[i - 1].row)
                std::abort();
        SyncTrack::valueAt(track, 12.5);
        SyncTrack::valueAt(track, -0.5);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static std::string base;
    static Music* music = [] {
        fuzz_init(DataFileMode::Off);
        VelmoSystem::musicFile = "";
        VelmoSystem::syncClient = 0;
        const std::string scratch = fuzz_write_input(nullptr, 0, ".sync");
        base = scratch + "-tracks/";
        std::atexit([] { std::filesystem::remove_all(base); });
        set_tick_count_override(true, 0);
        return new Music; // the clock the editor's events drive
    }();
    if (size < 2)
        return 0;
    const int trackCount = data[0] & 3;
    const std::size_t pieceLength = data[1] & 15;
    const std::uint64_t tickStep = kTickSteps[(data[1] >> 4) & 3];
    data += 2;
    size -= 2;

    std::uint64_t tick = 0;
    set_tick_count_override(true, tick);
    music->play(); // an earlier input may have left it paused
    music->start();

    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0)
        std::abort();
    SyncClient* client = SyncClient::create(base.c_str(), 1);
    client->socket = fds[0];
    for (int i = 0; i < trackCount; ++i)
        if (!SyncClient::getTrack(client, kTrackNames[i], 1.0f))
            std::abort();

    static const SyncClientEvents events{syncPause, syncSetRow, syncIsPlaying};
    int result = 0;
    const auto frame = [&] {
        tick += tickStep;
        set_tick_count_override(true, tick);
        music->update();
        const int row = clamp_to_int(std::floor(music->getRow()), INT_MIN, INT_MAX);
        result = SyncClient::update(client, row, &events, nullptr);
        drain(fds[1]);
        checkTracks(client);
    };
    std::uint32_t cut = 1;
    for (std::size_t at = 0; at < size && result == 0;) {
        cut = cut * 1103515245u + 12345u;
        std::size_t length = pieceLength ? pieceLength : 1 + (cut >> 16) % 64;
        length = std::min(length, size - at);
        if (::send(fds[1], data + at, length, MSG_NOSIGNAL) != static_cast<ssize_t>(length))
            std::abort();
        at += length;
        frame();
    }
    // What is left in the socket, then the end of the stream (each update
    // takes at least one message, or finds the end).
    for (int i = 0; i < 8 && result == 0; ++i)
        frame();
    ::close(fds[1]);
    while (result == 0)
        frame();
    if (result != -1 || client->socket != -1)
        std::abort();
    SyncClient::destroy(client);
    return 0;
}
