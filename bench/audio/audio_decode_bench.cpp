// The decode of the shipped songs as the start-up does it, in one go and in
// pieces on several threads (Google Benchmark; wall-clock time, since the
// pieces run on other threads):
//   build/bench/audio/velmo_bench_audio_decode
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/audio_decode.h"

namespace {

std::vector<unsigned char> song(const std::string& name)
{
    std::ifstream in(std::string(VELMO_SOURCE_DIR) + "/data/music/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void decode(benchmark::State& state, const char* name, bool inPieces)
{
    const std::vector<unsigned char> bytes = song(name);
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

}  // namespace

BENCHMARK_CAPTURE(decode, lantern_mp3_one_go, "Tressal_-_Lantern.mp3", false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(decode, lantern_mp3_in_pieces, "Tressal_-_Lantern.mp3", true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(decode, glass_harbour_ogg_one_go, "glass_harbour_signal.ogg", false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(decode, glass_harbour_ogg_in_pieces, "glass_harbour_signal.ogg", true)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
