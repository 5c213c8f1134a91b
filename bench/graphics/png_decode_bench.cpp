// PNG decoding throughput (bytes of RGBA pixels per second) of the engine's
// decoder and of libpng on the same files: a photo-like and a flat-colour
// picture of 1024 x 1024, written here with zlib at its default level and
// the filters an encoder would choose for each kind.
#include <benchmark/benchmark.h>
#include <png.h>
#include <zlib.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "util/texture/png_loader.h"

namespace {

using Bytes = std::vector<uint8_t>;

const int kSide = 1024;

void put_u32(Bytes& b, uint32_t v)
{
    for (int s = 24; s >= 0; s -= 8)
        b.push_back(uint8_t(v >> s));
}

void put_chunk(Bytes& png, const char* type, const Bytes& data)
{
    put_u32(png, uint32_t(data.size()));
    Bytes typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    png.insert(png.end(), typed.begin(), typed.end());
    put_u32(png, uint32_t(crc32(0, typed.data(), uInt(typed.size()))));
}

int paeth(int a, int b, int c)
{
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
}

// RGBA picture -> PNG with one filter for every row.
Bytes encode(const Bytes& rgba, int filter)
{
    const size_t stride = size_t(kSide) * 4;
    Bytes raw;
    raw.reserve((stride + 1) * kSide);
    Bytes zero(stride, 0);
    for (int y = 0; y < kSide; y++) {
        const uint8_t* cur = &rgba[y * stride];
        const uint8_t* prev = y ? &rgba[(y - 1) * stride] : zero.data();
        raw.push_back(uint8_t(filter));
        for (size_t i = 0; i < stride; i++) {
            const int a = i >= 4 ? cur[i - 4] : 0, b = prev[i], c = i >= 4 ? prev[i - 4] : 0;
            const int pred = filter == 1 ? a : filter == 2 ? b : filter == 3 ? (a + b) >> 1 : filter == 4 ? paeth(a, b, c) : 0;
            raw.push_back(uint8_t(cur[i] - pred));
        }
    }
    uLongf zlen = compressBound(uLong(raw.size()));
    Bytes z(zlen);
    compress2(z.data(), &zlen, raw.data(), uLong(raw.size()), Z_DEFAULT_COMPRESSION);
    z.resize(zlen);
    Bytes png{137, 'P', 'N', 'G', 13, 10, 26, 10};
    Bytes ihdr;
    put_u32(ihdr, kSide);
    put_u32(ihdr, kSide);
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
    put_chunk(png, "IHDR", ihdr);
    put_chunk(png, "IDAT", z);
    put_chunk(png, "IEND", {});
    return png;
}

const Bytes& photo_png()
{
    static const Bytes png = [] {
        Bytes rgba(size_t(kSide) * kSide * 4);
        uint32_t seed = 7;
        for (int y = 0; y < kSide; y++)
            for (int x = 0; x < kSide; x++) {
                seed = seed * 1664525u + 1013904223u;
                const int noise = int(seed >> 28) - 8;
                uint8_t* p = &rgba[(size_t(y) * kSide + x) * 4];
                p[0] = uint8_t(std::clamp(int(128 + 100 * std::sin(x * 0.011) * std::cos(y * 0.007)) + noise, 0, 255));
                p[1] = uint8_t(std::clamp(int(128 + 90 * std::sin((x + y) * 0.005)) + noise, 0, 255));
                p[2] = uint8_t(std::clamp(int(100 + 80 * std::cos(x * 0.003 - y * 0.009)) + noise, 0, 255));
                p[3] = 255;
            }
        return encode(rgba, 4);
    }();
    return png;
}

const Bytes& flat_png()
{
    static const Bytes png = [] {
        Bytes rgba(size_t(kSide) * kSide * 4);
        for (int y = 0; y < kSide; y++)
            for (int x = 0; x < kSide; x++) {
                uint8_t* p = &rgba[(size_t(y) * kSide + x) * 4];
                const int cell = (x / 128 + y / 128) % 4;
                const uint8_t colours[4][4] = {{230, 40, 40, 255}, {40, 200, 60, 255}, {30, 60, 220, 255}, {250, 250, 250, 255}};
                for (int i = 0; i < 4; i++) p[i] = colours[cell][i];
            }
        return encode(rgba, 1);
    }();
    return png;
}

void own_decoder(benchmark::State& state, const Bytes& png)
{
    for (auto _ : state) {
        YsRawPngDecoder decoder;
        if (decoder.Decode(png.data(), unsigned(png.size())) != 1)
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(decoder.image);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kSide * kSide * 4);
}

void libpng_decoder(benchmark::State& state, const Bytes& png)
{
    Bytes out(size_t(kSide) * kSide * 4);
    for (auto _ : state) {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_memory(&image, png.data(), png.size()))
            state.SkipWithError("libpng refused the file");
        image.format = PNG_FORMAT_RGBA;
        png_image_finish_read(&image, nullptr, out.data(), 0, nullptr);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kSide * kSide * 4);
}

void BM_Own_Photo(benchmark::State& s) { own_decoder(s, photo_png()); }
void BM_Libpng_Photo(benchmark::State& s) { libpng_decoder(s, photo_png()); }
void BM_Own_Flat(benchmark::State& s) { own_decoder(s, flat_png()); }
void BM_Libpng_Flat(benchmark::State& s) { libpng_decoder(s, flat_png()); }

BENCHMARK(BM_Own_Photo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libpng_Photo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Own_Flat)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libpng_Flat)->Unit(benchmark::kMillisecond);

}

BENCHMARK_MAIN();
