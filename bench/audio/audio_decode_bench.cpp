// The decode of the shipped songs as the start-up does it, in one go and in
// pieces on several threads (Google Benchmark; wall-clock time, since the
// pieces run on other threads):
//   build/bench/audio/velmo_bench_audio_decode
// Production 3's song is also timed as the MP3 lame makes of it at 128
// kbit/s, and as that MP3 with every granule's global gain at 0 (every
// frame decodes silent, so each one's last granule must be probed before
// the song can be decoded in pieces). Both are made once with lame and
// kept in the build folder.
//
// Median wall time on one machine under a load average of 6 to 7, two runs
// alternating the code before the probes were grouped and the code now:
//                                 one go     pieces before   pieces now
//   production 1's song (MP3)   115-125 ms   18.5 / 36.5 ms  18.0 / 19.6 ms
//   production 3's song, MP3    116-134 ms   17.4 / 37.5 ms  17.8 / 19.7 ms
//   every global gain at 0      116-120 ms    144 / 261 ms   48.0 / 48.8 ms
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/audio_decode.h"

namespace {

std::vector<unsigned char> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<unsigned char> song(const std::string& name)
{
    return readFile(std::string(VELMO_SOURCE_DIR) + "/data/music/" + name);
}

// Production 3's song encoded by lame at 128 kbit/s (CBR, joint stereo);
// empty when lame fails.
std::vector<unsigned char> songAsMp3()
{
    const std::string path = std::string(VELMO_BINARY_DIR) + "/glass_harbour_signal_128k.mp3";
    std::vector<unsigned char> bytes = readFile(path);
    if (!bytes.empty())
        return bytes;
    const std::vector<unsigned char> ogg = song("glass_harbour_signal.ogg");
    DecodedAudio decoded;
    if (!audio_decode(ogg.data(), ogg.size(), &decoded, false) || decoded.channels != 2 || decoded.rate != 44100)
        return {};
    const std::string command = "lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -b 128 - '" + path + "'";
    FILE* lame = popen(command.c_str(), "w");
    if (!lame)
        return {};
    const std::size_t written = std::fwrite(decoded.samples.data(), 2, decoded.samples.size(), lame);
    if (pclose(lame) != 0 || written != decoded.samples.size()) {
        std::remove(path.c_str());
        return {};
    }
    return readFile(path);
}

// The MP3 with the global gain of every granule of every audio frame (those
// after lame's tag frame) set to 0: stereo MPEG-1 layer III frames at 44.1
// kHz without CRC, as lame makes them.
std::vector<unsigned char> withSilentGains(std::vector<unsigned char> bytes)
{
    static const int kKbps[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    std::size_t at = 0;
    for (bool tag = true; at + 4 + 32 <= bytes.size() && bytes[at] == 0xFF && kKbps[bytes[at + 2] >> 4] > 0;
         tag = false) {
        if (!tag) {
            // After main_data_begin, the private bits and the scale factor
            // selection, each granule and channel's 59 bits hold the global
            // gain 21 bits in.
            for (std::size_t granule = 0; granule < 4; ++granule)
                for (std::size_t bit = 20 + granule * 59 + 21, end = bit + 8; bit < end; ++bit)
                    bytes[at + 4 + bit / 8] &= static_cast<unsigned char>(~(0x80u >> (bit % 8)));
        }
        at += static_cast<std::size_t>(144000 * kKbps[bytes[at + 2] >> 4] / 44100 + ((bytes[at + 2] >> 1) & 1));
    }
    return bytes;
}

void decodeBytes(benchmark::State& state, const std::vector<unsigned char>& bytes, bool inPieces)
{
    if (bytes.empty()) {
        state.SkipWithError("the song could not be read or made");
        return;
    }
    for (auto _ : state) {
        DecodedAudio out;
        if (!audio_decode(bytes.data(), bytes.size(), &out, inPieces)) {
            state.SkipWithError(out.failure.c_str());
            return;
        }
        state.counters["pieces"] = static_cast<double>(out.pieces);
        benchmark::DoNotOptimize(out.samples.data());
    }
}

void decode(benchmark::State& state, const char* name, bool inPieces)
{
    decodeBytes(state, song(name), inPieces);
}

void decodeAsMp3(benchmark::State& state, bool silentGains, bool inPieces)
{
    const std::vector<unsigned char> mp3 = songAsMp3();
    decodeBytes(state, silentGains && !mp3.empty() ? withSilentGains(mp3) : mp3, inPieces);
}

}  // namespace

BENCHMARK_CAPTURE(decode, lantern_mp3_one_go, "Tressal_-_Lantern.mp3", false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(decode, lantern_mp3_in_pieces, "Tressal_-_Lantern.mp3", true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(decode, glass_harbour_ogg_one_go, "glass_harbour_signal.ogg", false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(decode, glass_harbour_ogg_in_pieces, "glass_harbour_signal.ogg", true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(decodeAsMp3, glass_harbour_mp3_one_go, false, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(decodeAsMp3, glass_harbour_mp3_in_pieces, false, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(decodeAsMp3, all_gains_zero_mp3_one_go, true, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(decodeAsMp3, all_gains_zero_mp3_in_pieces, true, true)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
