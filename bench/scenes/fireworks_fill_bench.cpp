// What Fireworks' busiest frame costs the renderer, and why:
//   build/bench/scenes/velmo_bench_fireworks_fill [WIDTHxHEIGHT] [RUNS]
// (1280x720 and 5 runs unless given; needs a display). Steps the scene to the
// busiest frame of its first 30 seconds, keeps the billboards that frame
// uploads, and draws the same billboards into a single-sample framebuffer of
// the size as the scene draws them and in variants that each change one
// thing: the order, the blending, the texture's filter, the texture itself.
// Prints each variant's median time (glFinish included) and how many bytes
// of its picture differ from the scene's own, then where the fragments land:
// the billboards' total area on screen and the share that falls in the
// busiest 64 x 64 tile (the renderer draws each such tile on one thread, in
// order).
#include <GL/glew.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fireworks_busiest.h"
#include "platform/heap_policy.h"
#include "util/shaderprogram/shaderprogram.h"

namespace {

using fireworksbench::FireworksProbe;

const int kTile = 64;

struct Size {
    int width = 1280, height = 720;
};

std::vector<unsigned char> read_picture(const Size& size)
{
    std::vector<unsigned char> px(std::size_t(size.width) * size.height * 4);
    glReadPixels(0, 0, size.width, size.height, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    return px;
}

long differing_bytes(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b)
{
    long n = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        n += a[i] != b[i];
    return n;
}

// The scene's quad block laid out as it uploads it, reversed if asked.
std::vector<float> copy_block(const FireworksQuads& quads, bool reversed)
{
    const std::size_t n = quads.size(), room = quads.capacity();
    std::vector<float> block(quads.data(), quads.data() + quads.bytes() / sizeof(float));
    if (!reversed)
        return block;
    std::vector<float> out(block);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t j = n - 1 - i;
        std::memcpy(&out[j * 12], &block[i * 12], 48);
        std::memcpy(&out[room * 12 + j * 8], &block[room * 12 + i * 8], 32);
        std::memcpy(&out[room * 20 + j * 16], &block[room * 20 + i * 16], 64);
    }
    return out;
}

class Bench {
public:
    Bench(FireworksProbe& scene, Size size, int runs) : scene(scene), size(size), runs(runs)
    {
        glGenBuffers(1, &buffer);
    }
    ~Bench() { glDeleteBuffers(1, &buffer); }

    // Median time of drawing `block` from a cleared picture, and the picture.
    double time(const std::vector<float>& block, std::vector<unsigned char>* picture)
    {
        const std::size_t room = scene.quadBlock().capacity();
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(block.size() * sizeof(float)), block.data(), GL_DYNAMIC_DRAW);
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        glVertexPointer(3, GL_FLOAT, 0, nullptr);
        glTexCoordPointer(2, GL_FLOAT, 0, reinterpret_cast<const void*>(room * 48));
        glColorPointer(4, GL_FLOAT, 0, reinterpret_cast<const void*>(room * 80));
        std::vector<double> times;
        for (int r = 0; r < runs; ++r) {
            glClear(GL_COLOR_BUFFER_BIT);
            glFinish();
            const auto start = std::chrono::steady_clock::now();
            glDrawArrays(GL_QUADS, 0, GLsizei(scene.quadCount() * 4));
            glFinish();
            times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
        glDisableClientState(GL_VERTEX_ARRAY);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glDisableClientState(GL_COLOR_ARRAY);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        if (picture)
            *picture = read_picture(size);
        std::sort(times.begin(), times.end());
        return times[times.size() / 2];
    }

    void row(const char* label, const std::vector<float>& block, const std::vector<unsigned char>& reference)
    {
        std::vector<unsigned char> picture;
        const double ms = time(block, &picture);
        std::printf("%-52s %9.1f %12ld\n", label, ms, differing_bytes(picture, reference));
    }

private:
    FireworksProbe& scene;
    Size size;
    int runs;
    GLuint buffer = 0;
};

// The billboards' area on screen by 64 x 64 tile, from their centres and
// sizes under the current matrices.
void print_tiles(const FireworksProbe& scene, float billboardSize, Size size)
{
    float mv[16], pr[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, mv);
    glGetFloatv(GL_PROJECTION_MATRIX, pr);
    const int columns = (size.width + kTile - 1) / kTile, rows = (size.height + kTile - 1) / kTile;
    std::vector<double> tiles(std::size_t(columns) * rows, 0.0);
    const float* p = scene.quadBlock().data();
    for (std::size_t i = 0; i < scene.quadCount(); ++i) {
        const float* v = p + i * 12;
        float eye[4], clip[4];
        for (int r = 0; r < 4; ++r)
            eye[r] = mv[r] * v[0] + mv[4 + r] * v[1] + mv[8 + r] * v[2] + mv[12 + r];
        for (int r = 0; r < 4; ++r)
            clip[r] = pr[r] * eye[0] + pr[4 + r] * eye[1] + pr[8 + r] * eye[2] + pr[12 + r] * eye[3];
        if (clip[3] <= 0.01f)
            continue;
        const float cx = (clip[0] / clip[3] * 0.5f + 0.5f) * size.width;
        const float cy = (clip[1] / clip[3] * 0.5f + 0.5f) * size.height;
        const float half = 0.5f * billboardSize * pr[5] * size.height * 0.5f / clip[3];
        const int x0 = std::max(0, int(cx - half)), x1 = std::min(size.width, int(cx + half) + 1);
        const int y0 = std::max(0, int(cy - half)), y1 = std::min(size.height, int(cy + half) + 1);
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                tiles[std::size_t(y / kTile) * columns + x / kTile] += 1.0;
    }
    double total = 0.0;
    int busy = 0;
    for (double t : tiles) {
        total += t;
        busy += t > 0.0;
    }
    std::sort(tiles.rbegin(), tiles.rend());
    std::printf("\n%.1f million fragments on screen (%.0f layers over the picture) in %d tiles of %d;\n"
                "the busiest tiles take %.1f %%, %.1f %%, %.1f %% and %.1f %% of them\n",
                total / 1e6, total / (double(size.width) * size.height), busy, columns * rows,
                100.0 * tiles[0] / total, 100.0 * tiles[1] / total, 100.0 * tiles[2] / total,
                100.0 * tiles[3] / total);
}

}  // namespace

int main(int argc, char** argv)
{
    Size size;
    if (argc > 1 && std::sscanf(argv[1], "%dx%d", &size.width, &size.height) != 2) {
        std::fprintf(stderr, "usage: %s [WIDTHxHEIGHT] [RUNS]\n", argv[0]);
        return 2;
    }
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    keep_freed_heap_memory();  // as the program keeps its heap
    if (!gltest::ensure_context(size.width, size.height)) {
        std::fprintf(stderr, "No OpenGL context (is DISPLAY set?)\n");
        return 1;
    }
    scenetest::SceneWorld world({"frwxTime", "frwxSeed"});
    FireworksProbe scene;
    const int busiest = fireworksbench::start_at_busiest(scene, world);

    FBO target(size.width, size.height, FBO_TYPE_RGBA8, 0);
    target.push(true);
    scene.setViewport(size.width, size.height);
    std::vector<double> own;
    for (int r = 0; r < runs; ++r) {
        glClear(GL_COLOR_BUFFER_BIT);
        glFinish();
        const auto start = std::chrono::steady_clock::now();
        scene.draw();
        glFinish();
        own.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(own.begin(), own.end());
    const std::vector<unsigned char> reference = read_picture(size);
    std::printf("Fireworks at %.1f s, %zu billboards, %dx%d single-sample, median of %d runs\n\n", busiest / 30.0,
                scene.quadCount(), size.width, size.height, runs);
    std::printf("%-52s %9s %12s\n", "draw", "ms", "bytes off");
    std::printf("%-52s %9.1f %12d\n", "the scene's own (update, upload, draw)", own[own.size() / 2], 0);

    // The scene leaves its state bound: program, texture, additive blending.
    const GLuint sceneProgram = scene.shader()->get_program();
    float billboardSize = 0.0f;
    glGetUniformfv(sceneProgram, glGetUniformLocation(sceneProgram, "size"), &billboardSize);
    const std::vector<float> block = copy_block(scene.quadBlock(), false);
    Bench bench(scene, size, runs);
    bench.row("the same billboards, same state", block, reference);
    bench.row("in reverse order", copy_block(scene.quadBlock(), true), reference);
    glDisable(GL_BLEND);
    bench.row("without blending", block, reference);
    glEnable(GL_BLEND);
    GLfloat anisotropy = 1.0f;
    glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, &anisotropy);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, 1.0f);
    bench.row("plain trilinear filtering (no anisotropy)", block, reference);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, anisotropy);
    // The scene's own program over a single white texel: the sparks' flat
    // colours.
    GLuint white = 0;
    const std::uint8_t texel[4] = {255, 255, 255, 255};
    glGenTextures(1, &white);
    glBindTexture(GL_TEXTURE_2D, white);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    bench.row("flat colour (a white texel for the texture)", block, reference);
    glDisable(GL_BLEND);
    bench.row("flat colour, no blending", block, reference);
    glEnable(GL_BLEND);
    glDeleteTextures(1, &white);
    print_tiles(scene, billboardSize, size);
    target.pop();
    scene.deinit();
    return 0;
}
