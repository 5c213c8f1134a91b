// Huffman codec of the packed data file against zlib on the same bytes:
// encode and decode speed in MB/s of unpacked data, and the packed size
// as a fraction of the original ("ratio").
//   velmo_bench_huffman [--benchmark_min_time=...]
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>
#include <zlib.h>

#include "util/data/huffman_codec.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

void append_file(Bytes& out, const fs::path& p)
{
    std::FILE* f = std::fopen(p.c_str(), "rb");
    if (!f)
        return;
    std::uint8_t buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        out.insert(out.end(), buf, buf + n);
    std::fclose(f);
}

// Every file under the folders, in path order, back to back.
Bytes tree_bytes(const std::vector<std::string>& folders, const std::vector<std::string>& extensions)
{
    std::vector<fs::path> files;
    for (const std::string& folder : folders) {
        const fs::path root = fs::path(VELMO_SOURCE_DIR) / folder;
        if (!fs::is_directory(root))
            continue;
        for (const auto& item : fs::recursive_directory_iterator(root))
            if (item.is_regular_file() &&
                (extensions.empty() ||
                 std::find(extensions.begin(), extensions.end(), item.path().extension().string()) != extensions.end()))
                files.push_back(item.path());
    }
    std::sort(files.begin(), files.end());
    Bytes out;
    for (const fs::path& p : files)
        append_file(out, p);
    return out;
}

// Repeats the bytes up to at least `size` (copies lie far beyond zlib's
// 32 KiB window, so they give it no advantage).
Bytes at_least(Bytes b, std::size_t size)
{
    if (b.empty())
        return b;
    const std::size_t one = b.size();
    while (b.size() < size)
        b.insert(b.end(), b.begin(), b.begin() + static_cast<long>(std::min(one, size - b.size())));
    return b;
}

Bytes random_bytes(std::size_t size)
{
    std::mt19937 gen(1234);
    Bytes b(size);
    for (auto& v : b)
        v = static_cast<std::uint8_t>(gen());
    return b;
}

Bytes huffman_pack(const Bytes& in)
{
    Bytes out(static_cast<std::size_t>(HuffmanCodec::max_packed_size(in.size())));
    int packed = 0;
    auto codec = std::make_unique<HuffmanCodec>();
    codec->huffman_encode(out.data(), &packed, in.data(), static_cast<int>(in.size()));
    out.resize(static_cast<std::size_t>(packed));
    return out;
}

Bytes zlib_pack(const Bytes& in, int level)
{
    uLongf size = compressBound(in.size());
    Bytes out(size);
    compress2(out.data(), &size, in.data(), in.size(), level);
    out.resize(size);
    return out;
}

void report(benchmark::State& state, const Bytes& in, std::size_t packed)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(in.size()));
    state.counters["ratio"] = static_cast<double>(packed) / static_cast<double>(in.size());
    state.counters["MB"] = static_cast<double>(in.size()) / 1048576.0;
}

void huffman_encode(benchmark::State& state, const Bytes* in)
{
    Bytes out(static_cast<std::size_t>(HuffmanCodec::max_packed_size(in->size())));
    auto codec = std::make_unique<HuffmanCodec>();
    int packed = 0;
    for (auto _ : state) {
        codec->huffman_encode(out.data(), &packed, in->data(), static_cast<int>(in->size()));
        benchmark::DoNotOptimize(out.data());
    }
    report(state, *in, static_cast<std::size_t>(packed));
}

void huffman_decode(benchmark::State& state, const Bytes* in)
{
    const Bytes block = huffman_pack(*in);
    Bytes out(in->size());
    auto codec = std::make_unique<HuffmanCodec>();
    for (auto _ : state) {
        int n = 0;
        codec->set_header(block.data(), static_cast<std::uint32_t>(block.size()), "bench");
        codec->huffman_decode(out.data(), &n, block.data());
        benchmark::DoNotOptimize(out.data());
    }
    if (out != *in)
        state.SkipWithError("decoded bytes differ");
    report(state, *in, block.size());
}

void zlib_compress(benchmark::State& state, const Bytes* in, int level)
{
    Bytes out(compressBound(in->size()));
    uLongf size = 0;
    for (auto _ : state) {
        size = out.size();
        compress2(out.data(), &size, in->data(), in->size(), level);
        benchmark::DoNotOptimize(out.data());
    }
    report(state, *in, size);
}

void zlib_uncompress(benchmark::State& state, const Bytes* in, int level)
{
    const Bytes packed = zlib_pack(*in, level);
    Bytes out(in->size());
    for (auto _ : state) {
        uLongf size = out.size();
        uncompress(out.data(), &size, packed.data(), packed.size());
        benchmark::DoNotOptimize(out.data());
    }
    if (out != *in)
        state.SkipWithError("uncompressed bytes differ");
    report(state, *in, packed.size());
}

} // namespace

int main(int argc, char** argv)
{
    static const std::pair<const char*, Bytes> sets[] = {
        {"assets", at_least(tree_bytes({"data"}, {}), 4u << 20)},
        {"text", at_least(tree_bytes({"src", "tests", "tools", "scripts"}, {".cpp", ".h", ".md", ".txt", ""}), 4u << 20)},
        {"random", random_bytes(4u << 20)},
    };
    for (const auto& [name, bytes] : sets) {
        if (bytes.empty())
            continue;
        const std::string n = name;
        benchmark::RegisterBenchmark(("huffman_encode/" + n).c_str(), huffman_encode, &bytes)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("huffman_decode/" + n).c_str(), huffman_decode, &bytes)->Unit(benchmark::kMillisecond);
        for (int level : {1, Z_DEFAULT_COMPRESSION}) {
            const std::string l = level == 1 ? "/level1" : "/default";
            benchmark::RegisterBenchmark(("zlib_compress2/" + n + l).c_str(), zlib_compress, &bytes, level)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("zlib_uncompress/" + n + l).c_str(), zlib_uncompress, &bytes, level)
                ->Unit(benchmark::kMillisecond);
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
