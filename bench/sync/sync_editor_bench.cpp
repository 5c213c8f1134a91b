// Sync-editor scenario run (by hand):
//   build/bench/sync/velmo_bench_sync_editor [SECONDS]
// A music object in sync-editor mode (no song: the millisecond clock) runs
// its frame update against editors on port 1338 that misbehave in turn, each
// for SECONDS (default 3): one that accepts and never greets, one that greets
// after 5 s, one that cuts a message in half, one that trickles its bytes a
// byte every 100 ms. (One that stops reading is the sync protocol test's: its
// buffers take minutes of row reports to fill.) Between them a well-behaved
// editor takes the port over and the link must come back. Prints, per
// editor, the frames run, the slowest and the mean time of the frame's
// update, and the time the link took to come back; exits 1 when an update
// took over 20 ms or the link did not come back.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "support/scripted_editor.h"
#include "system/velmosystem.h"
#include "util/music/music.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr unsigned short kPort = 1338;
constexpr double kBoundMs = 20.0;

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

struct Frames {
    int count = 0;
    Clock::duration slowest{};
    Clock::duration total{};
};

// One frame of the show as far as the editor goes: the music object's update,
// then the frame's own work (here 5 ms of sleep).
void frame(Music& music, Frames& frames)
{
    const auto start = Clock::now();
    music.update();
    const auto spent = Clock::now() - start;
    frames.slowest = std::max(frames.slowest, spent);
    frames.total += spent;
    ++frames.count;
    usleep(5000);
}

// Runs frames until the link is back (the well-behaved editor's key in the
// track) or 10 s pass; the time taken, or a negative time.
double recover(Music& music, ScriptedEditor& editor, Frames& frames)
{
    const auto start = Clock::now();
    while (Clock::now() - start < std::chrono::seconds(10)) {
        frame(music, frames);
        if (!editor.requestedTracks().empty()
            && music.getSyncValue("level") == ScriptedEditor::kKeyValue)
            return ms(Clock::now() - start);
    }
    return -1.0;
}

void print(const char* what, const Frames& frames, double recoveredMs)
{
    std::printf("%-36s %7d %10.2f %9.3f %14.0f\n", what, frames.count, ms(frames.slowest),
                frames.count ? ms(frames.total) / frames.count : 0.0, recoveredMs);
}

} // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    char pattern[] = "/tmp/velmo_sync_bench_XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir || chdir(dir) != 0)
        return 1;

    auto good = std::make_unique<ScriptedEditor>(ScriptedEditor::Script::WellBehaved, kPort);
    if (!good->listening()) {
        std::fprintf(stderr, "port %d is taken: stop what listens on it and run again\n", kPort);
        return 1;
    }
    VelmoSystem::musicFile = "";
    VelmoSystem::syncClient = 1;
    std::strcpy(VelmoSystem::syncServerAddress, "127.0.0.1");
    bool ok = true;
    {
        Music music;
        music.addSyncValue("level", 0.0f, true);
        music.start();
        std::printf("%-36s %7s %10s %9s %14s\n", "editor", "frames", "slowest ms", "mean ms", "back after ms");
        Frames first;
        const double back = recover(music, *good, first);
        print("well-behaved (start)", first, back);
        ok = ok && back >= 0.0 && ms(first.slowest) <= kBoundMs;

        const std::pair<ScriptedEditor::Script, const char*> scripts[] = {
            {ScriptedEditor::Script::Silent, "accepts and never greets"},
            {ScriptedEditor::Script::LateGreeting, "greets after 5 s"},
            {ScriptedEditor::Script::HalfMessage, "cuts a message in half"},
            {ScriptedEditor::Script::Trickle, "trickles a byte every 100 ms"},
        };
        for (const auto& [script, what] : scripts) {
            good.reset();
            ScriptedEditor bad(script, kPort);
            if (!bad.listening()) {
                std::fprintf(stderr, "could not listen on port %d again\n", kPort);
                return 1;
            }
            Frames frames;
            for (const auto end = Clock::now() + std::chrono::seconds(seconds); Clock::now() < end;)
                frame(music, frames);
            bad.stop();
            good = std::make_unique<ScriptedEditor>(ScriptedEditor::Script::WellBehaved, kPort);
            Frames after;
            const double backMs = recover(music, *good, after);
            print(what, frames, backMs);
            ok = ok && backMs >= 0.0 && ms(frames.slowest) <= kBoundMs && ms(after.slowest) <= kBoundMs;
        }
    }
    std::system((std::string("rm -rf ") + dir).c_str());
    std::printf("%s\n", ok ? "every update within 20 ms, the link came back each time"
                           : "FAILED: an update over 20 ms, or the link did not come back");
    return ok ? 0 : 1;
}
