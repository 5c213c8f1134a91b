#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "system/fatal_error.h"
#include "util/data/huffman_codec.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytes_of(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

Bytes encode(const Bytes& in)
{
    Bytes out(static_cast<std::size_t>(HuffmanCodec::max_packed_size(in.size())));
    int packedSize = -1;
    auto codec = std::make_unique<HuffmanCodec>();
    codec->huffman_encode(out.data(), &packedSize, in.data(), static_cast<int>(in.size()));
    out.resize(static_cast<std::size_t>(packedSize));
    return out;
}

Bytes decode(const Bytes& block)
{
    auto codec = std::make_unique<HuffmanCodec>();
    const std::uint32_t size = codec->set_header(block.data(), static_cast<std::uint32_t>(block.size()), "test.vlm");
    Bytes out(size);
    int count = -1;
    codec->huffman_decode(out.data(), &count, block.data());
    EXPECT_EQ(count, static_cast<int>(size));
    return out;
}

std::string hex(const Bytes& b)
{
    static const char* digits = "0123456789abcdef";
    std::string s;
    for (std::uint8_t v : b) {
        if (!s.empty())
            s += ' ';
        s += digits[v >> 4];
        s += digits[v & 15];
    }
    return s;
}

struct Golden {
    const char* name;
    Bytes input;
    std::string block; // hex
};

class HuffmanGolden : public testing::TestWithParam<Golden> {};

TEST_P(HuffmanGolden, EncodesToTheExactBlockAndDecodesBack)
{
    const Golden& g = GetParam();
    const Bytes block = encode(g.input);
    EXPECT_EQ(hex(block), g.block);
    EXPECT_EQ(decode(block), g.input);
}

INSTANTIATE_TEST_SUITE_P(
    Vectors, HuffmanGolden,
    testing::Values(
        Golden{"empty", {}, "48 55 46 46 00 00 00 00 00 00 00 00 11 00 00 00 00"},
        Golden{"aaaa", bytes_of("aaaa"),
               "48 55 46 46 01 00 00 00 04 00 00 00 16 00 00 00 04 00 00 00 61 00"},
        // Eight 1-bit code words fill a byte: one more 0 byte is counted.
        Golden{"aaaaaaaa", bytes_of("aaaaaaaa"),
               "48 55 46 46 01 00 00 00 08 00 00 00 17 00 00 00 08 00 00 00 61 00 00"},
        Golden{"abc", bytes_of("abc"),
               "48 55 46 46 03 00 00 00 03 00 00 00 20 00 00 00 "
               "01 00 00 00 63 01 00 00 00 61 01 00 00 00 62 18"},
        Golden{"abracadabra", bytes_of("abracadabra"),
               "48 55 46 46 05 00 00 00 0b 00 00 00 2c 00 00 00 "
               "05 00 00 00 61 02 00 00 00 72 02 00 00 00 62 01 00 00 00 64 01 00 00 00 63 "
               "a6 30 a6"}),
    [](const testing::TestParamInfo<Golden>& info) { return std::string(info.param.name); });

TEST(HuffmanCodec, AllByteValuesEquallyOftenGiveEightBitCodesAndTheLargestBlock)
{
    Bytes in;
    for (int round = 0; round < 3; ++round)
        for (int v = 0; v < 256; ++v)
            in.push_back(static_cast<std::uint8_t>(v));
    const Bytes block = encode(in);
    EXPECT_EQ(block.size(), in.size() + 1297);
    EXPECT_EQ(block.size(), HuffmanCodec::max_packed_size(in.size()));
    EXPECT_EQ(block[4] | block[5] << 8, 256);
    EXPECT_EQ(block.back(), 0); // 8 x 768 bits: the extra 0 byte
    EXPECT_EQ(decode(block), in);
}

Bytes random_bytes(std::size_t n, unsigned seed, int alphabet)
{
    std::mt19937 gen(seed);
    std::uniform_int_distribution<int> dist(0, alphabet - 1);
    Bytes b(n);
    for (auto& v : b)
        v = static_cast<std::uint8_t>(dist(gen));
    return b;
}

TEST(HuffmanCodec, RoundTripsRandomAndSkewedData)
{
    std::vector<Bytes> inputs;
    for (std::size_t n : {1u, 2u, 3u, 7u, 100u, 4099u, 300000u})
        for (int alphabet : {1, 2, 5, 256})
            inputs.push_back(random_bytes(n, static_cast<unsigned>(n * 31 + alphabet), alphabet));
    // Frequencies 1, 1, 2, 3, 5, 8, ...: code words far longer than the
    // decoder's look-up table.
    Bytes fibonacci;
    std::uint32_t f0 = 1, f1 = 1;
    for (int symbol = 0; symbol < 24; ++symbol) {
        fibonacci.insert(fibonacci.end(), f0, static_cast<std::uint8_t>(symbol * 7));
        const std::uint32_t next = f0 + f1;
        f0 = f1;
        f1 = next;
    }
    const Bytes shuffled = random_bytes(fibonacci.size(), 5, 256);
    for (std::size_t i = 0; i < fibonacci.size(); ++i)
        std::swap(fibonacci[i], fibonacci[shuffled[i] * fibonacci.size() / 256]);
    inputs.push_back(fibonacci);

    for (const Bytes& in : inputs) {
        const Bytes block = encode(in);
        ASSERT_EQ(decode(block), in) << "size " << in.size();
        EXPECT_LE(block.size(), HuffmanCodec::max_packed_size(in.size()));
    }
}

struct Corrupt {
    const char* what;
    Bytes block;
    const char* message;
};

TEST(HuffmanCodec, CorruptBlocksAreFatalAndNameTheFile)
{
    const Bytes good = encode(bytes_of("abracadabra"));
    auto patched = [&](std::size_t offset, std::initializer_list<std::uint8_t> bytes) {
        Bytes b = good;
        std::size_t i = offset;
        for (std::uint8_t v : bytes)
            b[i++] = v;
        return b;
    };
    Bytes cut = good;
    cut.pop_back();
    const Bytes one = encode(bytes_of("aaaa"));
    Bytes oneWithBadBit = one;
    oneWithBadBit.back() = 0x40; // second code word starts with a 1: no such word
    const Corrupt cases[] = {
        {"shorter than the header", Bytes(good.begin(), good.begin() + 15),
         "Damaged packed block in test.vlm: the block has 15 bytes, shorter than its 16-byte header"},
        {"257 symbols", patched(4, {0x01, 0x01, 0, 0}),
         "Damaged packed block in test.vlm: symbol count 257 is above 256"},
        {"table cut off", Bytes(good.begin(), good.begin() + 30),
         "Damaged packed block in test.vlm: the block has 30 bytes, shorter than its table of 5 rows"},
        {"a symbol twice", patched(20 + 5, {'a'}),
         "Damaged packed block in test.vlm: symbol 97 has two table rows"},
        {"more bytes than bits", patched(8, {0xff, 0, 0, 0}),
         "Damaged packed block in test.vlm: it claims 255 bytes, more than its 5 symbols and 24 bits can code"},
        {"no symbols but bytes", Bytes{'H', 'U', 'F', 'F', 0, 0, 0, 0, 1, 0, 0, 0, 17, 0, 0, 0, 0},
         "Damaged packed block in test.vlm: it claims 1 bytes, more than its 0 symbols and 8 bits can code"},
        {"bit stream ends early", cut,
         "Damaged packed block in test.vlm: the bit stream ends after 2 bytes, before 11 bytes are decoded"},
        {"code word the tree lacks", oneWithBadBit,
         "Damaged packed block in test.vlm: the bit stream holds a code word the table lacks"},
    };
    set_fatal_error_throws(true);
    for (const Corrupt& c : cases) {
        std::string message;
        try {
            decode(c.block);
        } catch (const FatalErrorException& e) {
            message = e.what();
        }
        EXPECT_EQ(message, c.message) << c.what;
    }
    set_fatal_error_throws(false);
}

} // namespace
