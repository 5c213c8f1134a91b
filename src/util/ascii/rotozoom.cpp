#include "util/ascii/rotozoom.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "platform/timing.h"
#include "system/fatal_error.h"
#include "system/velmosystem.h"
#include "util/ascii/asciiengine.h"
#include "util/ascii/rawloader.h"
#include "util/data/data_layer.h"

Rotozoom::Rotozoom(AsciiEngine* canvas, const char* path) : canvas(canvas)
{
    load_image(path);
    for (int i = 0; i < 256; ++i) {
        // About a 255th of a turn per index, so the tables run a little over one turn.
        const float angle = static_cast<float>(i * 1.41176 * 0.0174532);
        const float s = std::sin(angle);
        tableA[i] = static_cast<std::int32_t>((s + 0.8) * 4096);
        tableB[i] = static_cast<std::int32_t>(s * 2.0 * 4096);
    }
}

void Rotozoom::draw()
{
    // A zoom of zero (table B at index 0, and at 255 where the sine comes
    // back round) would show texel (0, 0) over the whole canvas: one flat
    // colour for a step, a flash. Those steps draw their neighbour's zoom.
    int zoom = tableB[zoomIndex];
    if (zoom == 0)
        zoom = zoomIndex < 128 ? tableB[1] : tableB[254];
    draw_frame(tableA[angleIndex], tableA[(angleIndex + 128) % 256], zoom);

    // Shared by every rotozoomer; ticks are compared by signed difference so
    // that the wrap of the 32-bit counter does not stall the animation.
    static bool started = false;
    static std::uint32_t nextStep = 0;
    const std::uint32_t now = static_cast<std::uint32_t>(GetTickCount64());
    if (!started) {
        nextStep = now;
        started = true;
    }
    // While the video dump draws (slower than the show plays, by the wall
    // clock) a frame takes at most one step and drops the rest of the
    // backlog: leaping several steps at once would flash the zoom's passages
    // through its giant blocks up for a frame or two. Played live, every
    // step that passed is caught up.
    const bool capped = VelmoSystem::dumpVideo;
    int steps = 0;
    while (static_cast<std::int32_t>(now - nextStep) > 0) {
        nextStep += 20;
        if (capped && steps == kMaxStepsPerDumpFrame)
            continue;
        ++steps;
        angleIndex = (angleIndex + 255) % 256;
        zoomIndex = (zoomIndex + 1) % 256;
    }
}

void Rotozoom::draw_frame(int a, int b, int zoom)
{
    // 32-bit arithmetic that wraps (the table values never make it wrap);
    // the shifts are arithmetic, so they floor.
    const std::int32_t z = static_cast<std::int32_t>(static_cast<std::uint32_t>(zoom) * 10u);
    const std::int32_t dA = static_cast<std::int32_t>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(z)) >> 12;
    const std::int32_t dB = static_cast<std::int32_t>(static_cast<std::uint32_t>(b) * static_cast<std::uint32_t>(z)) >> 12;
    std::uint32_t p = 0, q = 0;
    for (int r = 0; r < AsciiEngine::ROWS; ++r) {
        std::uint32_t u = p, v = q;
        for (int c = 0; c < AsciiEngine::COLUMNS; ++c) {
            const int tx = (static_cast<std::int32_t>(u) >> 12) & 255;
            const int ty = (static_cast<std::int32_t>(v) >> 12) & 255;
            canvas->put(r, c, 219, image[ty * 256 + tx], 0);
            u += dA;
            v += dB;
        }
        p -= dB;
        q += dA;
    }
}

void Rotozoom::load_image(const char* path)
{
    int size = 0;
    std::uint8_t* bytes = load_file(path, "rb", &size, false);
    if (!bytes)
        FATAL_ERROR(std::string("Failed to load file ") + path);
    if (size < 256 * 256) {
        std::free(bytes);
        FATAL_ERROR(std::string("File ") + path + " is only " + std::to_string(size) +
                    " bytes, expected 256x256 image!");
    }
    RawLoader::remap_colours(bytes, image, 256 * 256, path);
    std::free(bytes);
}
