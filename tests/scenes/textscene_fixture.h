#pragma once
// A small world for drawing the production's scenes in tests: a temporary
// folder holding an empty track file for every track the scene registers (so
// each track starts at the default the scene gives it) and links to the
// repository's data/common and data/scenes, made the working folder; the music object in
// dummy mode with its clock frozen (no update, so the beat step stays 0);
// hand-made note tracks; and a fixed tick count for the engines that seed
// or step by it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "platform/timing.h"
#include "support/gl_context.h"
#include "system/fatal_error.h"
#include "system/velmosystem.h"
#include "util/data/data_layer.h"
#include "util/music/music.h"
#include "util/music/notedata.h"
#include "util/music/synctrack.h"

namespace scenetest {

// One note of a hand-made note track: its key and its switch times in beats
// (an on at b as +b, an off at b as -b).
struct TestNote {
    int key;
    std::vector<float> events;
};

class SceneWorld {
public:
    explicit SceneWorld(const std::vector<std::string>& trackNames, unsigned long long ticks = 100000) {
        set_fatal_error_throws(true);
        set_loading_tick_hook([](float, bool) {});
        set_tick_count_override(true, ticks);
        namespace fs = std::filesystem;
        char pattern[] = "/tmp/velmo_scene_XXXXXX";
        folder = mkdtemp(pattern);
        fs::create_directories(folder + "/data/sync_tracker");
        for (const char* shared : {"common", "scenes"})
            fs::create_directory_symlink(std::string(VELMO_SOURCE_DIR) + "/data/" + shared, folder + "/data/" + shared);
        for (const std::string& name : trackNames)
            writeEmptyTrack(name);
        previous = fs::current_path();
        fs::current_path(folder);
        VelmoSystem::musicFile = "";
        VelmoSystem::dataFileMode = DataFileMode::Off;
        set_datafile_mode(DataFileMode::Off);
        music = new Music();
    }

    ~SceneWorld() {
        delete music;
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(folder);
        set_tick_count_override(false, 0);
    }

    // Replaces the track's keys by one key holding the value.
    void set(const std::string& name, float value) {
        for (SyncValue& v : music->syncValues)
            if (v.name == name) {
                const SyncKey key{0, value, Hold};
                ASSERT_EQ(SyncTrack::setKey(v.track, &key), 0);
                return;
            }
        FAIL() << "no sync value " << name;
    }

    // Freezes the music clock at a beat.
    void setBeat(float beat) { music->elapsedMs = std::int32_t(beat * 60000.0f / music->bpm + 0.5f); }

    void addNoteTrack(const std::string& name, const std::vector<TestNote>& notes) {
        if (!music->noteData) {
            music->noteData = new NoteData("");
            music->noteData->tempo = music->bpm;
        }
        NoteTrack track;
        track.name = name;
        track.events_read = 1;
        for (const TestNote& n : notes) {
            Note note;
            note.key = std::uint8_t(n.key);
            note.name = noteName(note.key);
            note.events = n.events;
            track.notes.push_back(note);
        }
        music->noteData->tracks.push_back(track);
    }

    void setTicks(unsigned long long ticks) { set_tick_count_override(true, ticks); }

    // Registers the runtime's ten camera tracks with the runtime's defaults
    // (eye (-15, -15, -15), target the origin, up +y, 45 degrees), as the
    // scene manager does before it creates the scenes.
    void addCameraTracks() {
        const std::pair<const char*, float> tracks[] = {
            {"cameraEyeX", -15}, {"cameraEyeY", -15}, {"cameraEyeZ", -15}, {"cameraDstX", 0},
            {"cameraDstY", 0},   {"cameraDstZ", 0},   {"cameraUpX", 0},    {"cameraUpY", 1},
            {"cameraUpZ", 0},    {"cameraFoV", 45}};
        for (const auto& [name, value] : tracks) {
            writeEmptyTrack(name);
            music->addSyncValue(name, value, true);
        }
    }

    Music* music = nullptr;

private:
    // A key count of 0: the track takes the default it is registered with.
    void writeEmptyTrack(const std::string& name) {
        FILE* f = std::fopen((folder + "/data/sync_tracker/_" + name + ".track").c_str(), "wb");
        const unsigned char zero[4] = {0, 0, 0, 0};
        std::fwrite(zero, 1, 4, f);
        std::fclose(f);
    }

    std::string folder;
    std::filesystem::path previous;
};

// A cell of the canvas: character, foreground and background colour index.
struct Cell {
    int ch, fg, bg;
    bool operator==(const Cell&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Cell& c) {
    return out << "{" << c.ch << ", " << c.fg << ", " << c.bg << "}";
}

template <class Canvas>
Cell cell_at(const Canvas& canvas, int row, int col) {
    return Cell{canvas.get_char(row, col), canvas.get_fg(row, col), canvas.get_bg(row, col)};
}

// The picture a text-mode scene presented into a 640 x 480 window (exactly
// 4:3, so the canvas fills it): the colour at the centre of a cell, 0xRRGGBB.
inline unsigned presented_colour(int row, int col) {
    GLubyte p[4] = {0, 0, 0, 0};
    glReadBuffer(GL_BACK);
    glReadPixels(col * 8 + 4, int((49 - row) * 9.6 + 4.8), 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return (unsigned(p[0]) << 16) | (unsigned(p[1]) << 8) | p[2];
}

// The canvas palette as 0xRRGGBB (0.5 and 0.75 rounded as the read-back gives them).
inline unsigned palette_rgb(int index) {
    static const unsigned rgb[16] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                                     0x808000, 0xBFBFBF, 0x808080, 0x0000FF, 0x00FF00, 0x00FFFF,
                                     0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
    return rgb[index & 15];
}

// Whether two 0xRRGGBB colours agree within a rounding step per channel.
inline bool close_colour(unsigned a, unsigned b) {
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = int((a >> shift) & 255) - int((b >> shift) & 255);
        if (d < -2 || d > 2)
            return false;
    }
    return true;
}

// The window for every scene test: 640 x 480, made before the fixture's own
// (smaller) default.
inline void ensure_scene_window() { ASSERT_TRUE(gltest::ensure_context(640, 480)); }

}  // namespace scenetest
