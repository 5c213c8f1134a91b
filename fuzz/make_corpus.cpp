// Writes the fuzz targets' seed corpus (valid files) and the crafted bad
// files kept as regression cases:
//   fuzz_make_corpus <fuzz folder>
// -> corpus/datafile, corpus/gzip, regressions/datafile, regressions/gzip,
//    corpus/vectorpath, corpus/syncclient, regressions/syncclient
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>
#include <zlib.h>

#include "util/data/huffman_codec.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

void put_u32(Bytes& b, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void append(Bytes& b, const std::string& s)
{
    b.insert(b.end(), s.begin(), s.end());
}

Bytes chunk(const std::string& name, const std::string& data, const char* tag = "VLMDFC")
{
    Bytes c(tag, tag + 7);
    put_u32(c, static_cast<std::uint32_t>(name.size()));
    put_u32(c, static_cast<std::uint32_t>(data.size()));
    append(c, name);
    append(c, data);
    return c;
}

Bytes pack(const Bytes& stream)
{
    Bytes block(static_cast<std::size_t>(HuffmanCodec::max_packed_size(stream.size())));
    int packedSize = 0;
    auto codec = std::make_unique<HuffmanCodec>();
    codec->huffman_encode(block.data(), &packedSize, stream.data(), static_cast<int>(stream.size()));
    block.resize(static_cast<std::size_t>(packedSize));
    return block;
}

Bytes datafile(const Bytes& block, std::uint8_t major = 0, std::uint8_t minor = 2)
{
    Bytes f;
    append(f, std::string("Velmorin Data File", 19));
    f.push_back(major);
    f.push_back(minor);
    f.insert(f.end(), block.begin(), block.end());
    return f;
}

Bytes gzip(const std::string& data)
{
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY);
    Bytes out(deflateBound(&z, data.size()) + 32);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

void save(const fs::path& path, const Bytes& bytes)
{
    fs::create_directories(path.parent_path());
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <fuzz folder>\n", argv[0]);
        return 2;
    }
    const fs::path root = argv[1];
    const fs::path seeds = root / "corpus" / "datafile";
    const fs::path bad = root / "regressions" / "datafile";

    std::string binary;
    for (int i = 0; i < 300; ++i)
        binary += static_cast<char>((i * 37 + i / 7) & 0xff);
    Bytes three = chunk("data/common/shaders/plain.vs", std::string("void main() {}\n", 16));
    for (const Bytes& c : {chunk("data/music/song.mp3", binary), chunk("data/empty", "")})
        three.insert(three.end(), c.begin(), c.end());
    const Bytes good = datafile(pack(three));
    save(seeds / "one_text_file.vlm", datafile(pack(chunk("data/a.txt", "hello, world\n"))));
    save(seeds / "three_files.vlm", good);

    Bytes wrongTitle = good;
    wrongTitle[17] = 'X';
    Bytes repeatedRow = good;
    repeatedRow[21 + 16 + 5 + 4] = repeatedRow[21 + 16 + 4];
    Bytes manySymbols = good;
    manySymbols[21 + 5] = 1; // symbolCount 256 + the real count
    Bytes hugeSize = good;
    hugeSize[21 + 8] = 0xff;
    hugeSize[21 + 9] = 0xff;
    hugeSize[21 + 10] = 0xff;
    hugeSize[21 + 11] = 0x7f;
    Bytes negative = chunk("n", "abcd");
    negative[11] = negative[12] = negative[13] = negative[14] = 0xff;
    Bytes nameLong = chunk("n", "abcd");
    nameLong[7] = 0x40;
    Bytes dataLong = chunk("n", "abcd");
    dataLong[11] = 5;
    Bytes cutHeader = chunk("first", "1");
    const Bytes second = chunk("second", "2");
    cutHeader.insert(cutHeader.end(), second.begin(), second.begin() + 10);

    save(bad / "truncated_preamble.vlm", Bytes(good.begin(), good.begin() + 10));
    save(bad / "wrong_title.vlm", wrongTitle);
    save(bad / "version_0_1.vlm", datafile(pack(three), 0, 1));
    save(bad / "preamble_only.vlm", Bytes(good.begin(), good.begin() + 21));
    save(bad / "block_shorter_than_header.vlm", Bytes(good.begin(), good.begin() + 21 + 10));
    save(bad / "too_many_symbols.vlm", manySymbols);
    save(bad / "repeated_row.vlm", repeatedRow);
    save(bad / "huge_unpacked_size.vlm", hugeSize);
    save(bad / "bit_stream_cut.vlm", Bytes(good.begin(), good.end() - 40));
    save(bad / "wrong_chunk_tag.vlm", datafile(pack(chunk("n", "abcd", "VLMDFX"))));
    save(bad / "name_past_end.vlm", datafile(pack(nameLong)));
    save(bad / "data_past_end.vlm", datafile(pack(dataLong)));
    save(bad / "negative_data_size.vlm", datafile(pack(negative)));
    save(bad / "chunk_header_cut.vlm", datafile(pack(cutHeader)));

    const fs::path gzSeeds = root / "corpus" / "gzip";
    const fs::path gzBad = root / "regressions" / "gzip";
    const Bytes gz = gzip("<?xml version=\"1.0\"?><Ableton><Tempo Value=\"155\"/></Ableton>\n");
    save(gzSeeds / "small.als", gz);
    save(gzSeeds / "binary.gz", gzip(binary));
    Bytes hugeIsize = gz;
    hugeIsize[hugeIsize.size() - 1] = 0x7f;
    Bytes smallIsize = gz;
    smallIsize[smallIsize.size() - 4] = 3;
    Bytes badCrc = gz;
    badCrc[badCrc.size() - 8] ^= 0x10;
    Bytes twoMembers = gz;
    const Bytes x = gzip("x");
    twoMembers.insert(twoMembers.end(), x.begin(), x.end());
    Bytes cut(gz.begin(), gz.begin() + static_cast<long>(gz.size() / 2));
    cut.insert(cut.end(), gz.end() - 4, gz.end());
    save(gzBad / "seventeen_bytes.gz", Bytes(gz.begin(), gz.begin() + 17));
    save(gzBad / "not_gzip.gz", Bytes{'<', '?', 'x', 'm', 'l', ' ', 'v', 'e', 'r', 's', 'i', 'o', 'n', '=', '"', '1', '"', '?', '>'});
    save(gzBad / "huge_isize.gz", hugeIsize);
    save(gzBad / "isize_too_small.gz", smallIsize);
    save(gzBad / "bad_crc.gz", badCrc);
    save(gzBad / "two_members.gz", twoMembers);
    save(gzBad / "cut_in_the_middle.gz", cut);

    // The sync client's editor streams: a track-count byte, a byte that says
    // how the stream is cut into frames and how far the clock moves per
    // frame, then the editor's messages (integers big-endian).
    const fs::path sync = root / "corpus" / "syncclient";
    const fs::path syncBad = root / "regressions" / "syncclient";
    auto be32 = [](Bytes& b, std::uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8)
            b.push_back(static_cast<std::uint8_t>(v >> shift));
    };
    auto setKey = [&](Bytes& b, std::uint32_t track, std::uint32_t row, std::uint32_t valueBits, std::uint8_t type) {
        b.push_back(0);
        be32(b, track);
        be32(b, row);
        be32(b, valueBits);
        b.push_back(type);
    };
    auto deleteKey = [&](Bytes& b, std::uint32_t track, std::uint32_t row) {
        b.push_back(1);
        be32(b, track);
        be32(b, row);
    };
    auto setRow = [&](Bytes& b, std::uint32_t row) {
        b.push_back(3);
        be32(b, row);
    };
    Bytes edits = {3, 0x00};
    for (std::uint32_t row : {16u, 8u, 0u, 24u})
        setKey(edits, row % 3, row, 0x3fc00000, static_cast<std::uint8_t>(row % 5));
    deleteKey(edits, 0, 24);
    setRow(edits, 40);
    edits.insert(edits.end(), {4, 1, 4, 0, 5});
    save(sync / "keys_and_transport.bin", edits);
    Bytes trickled = {1, 0x01};
    setKey(trickled, 0, 4, 0x40000000, 1);
    deleteKey(trickled, 0, 4);
    save(sync / "one_byte_a_frame.bin", trickled);
    Bytes halfway = {1, 0x05};
    setKey(halfway, 0, 4, 0x40000000, 1);
    halfway.resize(halfway.size() - 6); // the editor hangs up halfway through its message
    save(sync / "cut_in_half.bin", halfway);
    Bytes unknown = {2, 0x00};
    setKey(unknown, 1, 7, 0xbf800000, 2);
    unknown.push_back(2);
    save(sync / "unknown_command.bin", unknown);
    Bytes badTrack = {1, 0x00};
    setKey(badTrack, 5, 1, 0, 0);
    save(sync / "track_out_of_range.bin", badTrack);
    Bytes noKey = {1, 0x00};
    deleteKey(noKey, 0, 99);
    save(sync / "delete_without_key.bin", noKey);
    // The mended fault: set row to int's ends, then frames that move the
    // clock by up to 2^31 - 1 ms (the clock overflowed past its end).
    for (std::uint8_t step : {0x00, 0x20, 0x30}) {
        Bytes extremes = {1, step};
        for (std::uint32_t row : {0x7fffffffu, 0x80000000u, 0x7fffffffu})
            setRow(extremes, row);
        extremes.insert(extremes.end(), {4, 1, 4, 0});
        setRow(extremes, 0x7fffffffu);
        save(syncBad / ("row_extremes_" + std::to_string(step >> 4) + ".bin"), extremes);
    }

    // Vector paths: an options byte, then per segment an opcode (0 move,
    // 1 line, 2/3 cubic, 4 close) and its coordinates, each one byte on a
    // grid of 10 units (b -> (b % 25 - 12) * 10) or 246.. for NaN, inf,
    // -inf, huge values and the like.
    const fs::path paths = root / "corpus" / "vectorpath";
    auto g = [](int v) { return static_cast<std::uint8_t>(v / 10 + 12); };
    save(paths / "square.bin", Bytes{0, 0, g(0), g(0), 1, g(100), g(0), 1, g(100), g(100), 1, g(0), g(100), 4});
    save(paths / "ring.bin", Bytes{0, 0, g(-100), g(-100), 1, g(100), g(-100), 1, g(100), g(100), 1, g(-100),
                                   g(100), 4, 0, g(-50), g(-50), 1, g(50), g(-50), 1, g(50), g(50), 1, g(-50), g(50), 4});
    save(paths / "figure_eight.bin", Bytes{0, 0, g(-100), g(-100), 1, g(100), g(100), 1, g(100), g(-100), 1,
                                           g(-100), g(100), 4});
    save(paths / "curves.bin", Bytes{1, 0, g(-100), g(0), 2, g(-100), g(-60), g(-100), g(-60), g(0), g(-60), 2,
                                     g(100), g(-60), g(100), g(-60), g(100), g(0), 3, g(0), g(0), g(100), g(60),
                                     g(0), g(60), 4});
    save(paths / "nonfinite_values.bin", Bytes{0x56, 0, g(0), g(0), 1, 246, g(10), 1, g(50), 247, 2, 249, 250, g(10),
                                       g(20), 248, g(30), 1, 251, 252, 4, 1, 253, 254, 0, 255, g(0)});
    save(paths / "repeats.bin", Bytes{0x1e, 1, g(10), g(10), 1, g(10), g(10), 1, g(10), g(10), 2, g(10), g(10),
                                      g(10), g(10), g(10), g(10), 4, 4, 0, g(20), g(0), 4});
    // Far-flung cubics, as many as the replay's 8 KB take: control points out
    // to 1e9..1e10, 1e20 and -3.4e38 page units, ends back on the page.
    Bytes farFlung = {0, 0, g(0), g(0)};
    for (int i = 0; i < 740; i++) {
        const float far = -1e9f * static_cast<float>(1 + i % 13);
        std::uint8_t raw[4];
        std::memcpy(raw, &far, 4);
        farFlung.insert(farFlung.end(), {2, 253, 200, raw[0], raw[1], raw[2], raw[3], 250, 253,
                                         g(10 * (i % 21) - 100), g(10 * (i % 17) - 80)});
    }
    save(paths / "far_flung_cubics.bin", farFlung);
    // The mended faults: a cubic with a NaN point (unbounded subdivision), a
    // cubic to infinity, two-point contours closed (0 / 0 at the closing
    // joint), and a path that crosses itself a thousand times.
    const fs::path pathBad = root / "regressions" / "vectorpath";
    save(pathBad / "nan_cubic.bin", Bytes{0, 0, g(0), g(0), 2, 246, g(0), g(10), g(10), g(20), g(20), 1, g(30), g(0)});
    save(pathBad / "inf_cubic.bin", Bytes{0, 0, g(0), g(0), 2, g(0), g(10), g(10), g(10), 247, 248, 4});
    save(pathBad / "two_point_closes.bin", Bytes{0, 0, g(0), g(0), 1, g(0), g(0), 4, 0, g(10), g(10), 1, g(20),
                                                g(10), 4, 0, g(50), g(50), 4});
    Bytes zigzag = {0, 0, g(-120), g(-120)};
    for (int i = 0; i < 60; i++)
        zigzag.insert(zigzag.end(), {1, g(i % 2 ? 120 : -120), g(-120 + 4 * (i % 60))});
    zigzag.push_back(4);
    save(pathBad / "zigzag.bin", zigzag);
    return 0;
}
