// The zlib inflater of the PNG decoder (RFC 1950 header, RFC 1951 blocks).
// Damaged data stops it with result 0; nothing is read outside the input or
// written outside the window.
#include <cstring>
#include <vector>

#include "util/texture/png_loader.h"

namespace {

constexpr int kMaxBits = 15;

// A canonical Huffman code: how many codes of each length, and the symbols
// ordered by code. Decoding walks the code one bit at a time from its most
// significant bit, as a code tree would.
struct HuffmanCode {
    short count[kMaxBits + 1];
    short symbol[288];
};

enum class Build { Complete, Incomplete, Oversubscribed };

Build build_code(HuffmanCode& h, const uint8_t* lengths, int n)
{
    std::memset(h.count, 0, sizeof(h.count));
    for (int s = 0; s < n; s++)
        h.count[lengths[s]]++;
    if (h.count[0] == n)
        return Build::Incomplete;
    int left = 1;
    for (int len = 1; len <= kMaxBits; len++) {
        left <<= 1;
        left -= h.count[len];
        if (left < 0)
            return Build::Oversubscribed;
    }
    short offs[kMaxBits + 1];
    offs[1] = 0;
    for (int len = 1; len < kMaxBits; len++)
        offs[len + 1] = static_cast<short>(offs[len] + h.count[len]);
    for (int s = 0; s < n; s++)
        if (lengths[s] != 0)
            h.symbol[offs[lengths[s]]++] = static_cast<short>(s);
    return left > 0 ? Build::Incomplete : Build::Complete;
}

// Bits of the compressed data, least significant first, through a 64-bit
// buffer.
class BitReader {
public:
    BitReader(const uint8_t* data, unsigned length) : data(data), length(length) {}

    void refill()
    {
        while (bitCount <= 56 && pos < length) {
            bitBuffer |= uint64_t(data[pos++]) << bitCount;
            bitCount += 8;
        }
    }

    // -1 past the end of the data.
    int bit()
    {
        if (bitCount == 0) {
            refill();
            if (bitCount == 0)
                return -1;
        }
        const int b = static_cast<int>(bitBuffer & 1);
        bitBuffer >>= 1;
        bitCount--;
        return b;
    }

    // A field of n bits, first bit as bit 0; -1 past the end.
    int bits(int n)
    {
        if (bitCount < n) {
            refill();
            if (bitCount < n)
                return -1;
        }
        const int value = static_cast<int>(bitBuffer & ((uint64_t(1) << n) - 1));
        bitBuffer >>= n;
        bitCount -= n;
        return value;
    }

    // Drops the bits left of the current byte; the whole bytes already taken
    // into the buffer go back to the data.
    void align_to_byte()
    {
        const int drop = bitCount & 7;
        bitBuffer >>= drop;
        bitCount -= drop;
        pos -= static_cast<unsigned>(bitCount / 8);
        bitBuffer = 0;
        bitCount = 0;
    }

    const uint8_t* data;
    unsigned length;
    unsigned pos = 0;
    uint64_t bitBuffer = 0;
    int bitCount = 0;
};

constexpr int kFastBits = 9;

// A canonical Huffman code with a lookup table for codes of up to kFastBits
// bits (indexed by the next bits as they arrive); longer codes are walked
// one bit at a time.
struct FastCode {
    HuffmanCode code;
    // symbol << 4 | length; 0 where no code of up to kFastBits bits starts.
    uint16_t fast[1 << kFastBits];
};

Build build_fast(FastCode& f, const uint8_t* lengths, int n)
{
    const Build result = build_code(f.code, lengths, n);
    std::memset(f.fast, 0, sizeof(f.fast));
    if (result == Build::Oversubscribed)
        return result;
    int next[kMaxBits + 2];
    int code = 0;
    next[1] = 0;
    for (int len = 1; len <= kMaxBits; len++) {
        code = (code + (len > 1 ? f.code.count[len - 1] : 0)) << (len > 1 ? 1 : 0);
        next[len] = code;
    }
    for (int s = 0; s < n; s++) {
        const int len = lengths[s];
        if (len == 0)
            continue;
        const int c = next[len]++;
        if (len > kFastBits)
            continue;
        int reversed = 0;
        for (int i = 0; i < len; i++)
            reversed |= ((c >> i) & 1) << (len - 1 - i);
        for (int k = reversed; k < (1 << kFastBits); k += 1 << len)
            f.fast[k] = static_cast<uint16_t>((s << 4) | len);
    }
    return result;
}

// -1 end of data, -2 a code that the table does not hold.
int decode_slow(BitReader& in, const HuffmanCode& h)
{
    int code = 0, first = 0, index = 0;
    for (int len = 1; len <= kMaxBits; len++) {
        const int b = in.bit();
        if (b < 0)
            return -1;
        code |= b;
        const int count = h.count[len];
        if (code - count < first)
            return h.symbol[index + (code - first)];
        index += count;
        first += count;
        first <<= 1;
        code <<= 1;
    }
    return -2;
}

inline int decode_symbol(BitReader& in, const FastCode& f)
{
    if (in.bitCount < kFastBits)
        in.refill();
    if (in.bitCount >= kFastBits) {
        const uint16_t entry = f.fast[in.bitBuffer & ((1u << kFastBits) - 1)];
        if (entry != 0) {
            const int len = entry & 15;
            in.bitBuffer >>= len;
            in.bitCount -= len;
            return entry >> 4;
        }
    }
    return decode_slow(in, f.code);
}

const short kLengthBase[29] = {3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27, 31,
                               35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
const short kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2,
                                3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
const short kDistBase[30] = {1, 2, 3, 4, 5, 7, 9, 13, 17, 25, 33, 49, 65, 97, 129,
                             193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097,
                             6145, 8193, 12289, 16385, 24577};
const short kDistExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6,
                              6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
const uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

class InflateState {
public:
    InflateState(YsGenericPngDecoder* output, const uint8_t* data, unsigned length, unsigned windowSize)
        : out(output), in(data, length), window(windowSize), mask(windowSize - 1)
    {
    }

    // Hands the bytes written since the last flush to the decoder; false:
    // stop inflating.
    bool flush()
    {
        if (writePos == flushed)
            return true;
        const bool ok = out->OutputBytes(window.data() + flushed, writePos - flushed) == 1;
        flushed = writePos & mask;
        writePos &= mask;
        return ok;
    }

    bool emit(uint8_t byte)
    {
        window[writePos++] = byte;
        produced++;
        return writePos <= mask || flush();
    }

    bool stored()
    {
        in.align_to_byte();
        if (in.length - in.pos < 4)
            return false;
        const unsigned len = in.data[in.pos] | (in.data[in.pos + 1] << 8);
        in.pos += 4; // NLEN is not checked
        if (in.length - in.pos < len)
            return false;
        for (unsigned i = 0; i < len; i++)
            if (!emit(in.data[in.pos + i]))
                return false;
        in.pos += len;
        return true;
    }

    // Without a distance code the distances are 5-bit codes (fixed blocks).
    bool codes(const FastCode& lencode, const FastCode* distcode)
    {
        for (;;) {
            const int symbol = decode_symbol(in, lencode);
            if (symbol < 0)
                return false;
            if (symbol < 256) {
                if (!emit(static_cast<uint8_t>(symbol)))
                    return false;
                continue;
            }
            if (symbol == 256)
                return true;
            if (symbol > 285)
                continue; // 286 and 287 carry nothing
            const int li = symbol - 257;
            const int extra = in.bits(kLengthExtra[li]);
            if (extra < 0)
                return false;
            const int length = kLengthBase[li] + extra;

            int dcode;
            if (distcode) {
                dcode = decode_symbol(in, *distcode);
                if (dcode == -2)
                    return false;
            } else {
                dcode = 0;
                for (int i = 0; i < 5; i++) {
                    const int b = in.bit();
                    if (b < 0)
                        return false;
                    dcode = (dcode << 1) | b;
                }
            }
            if (dcode < 0 || dcode > 29)
                return false; // end of data, or the undefined codes 30 and 31
            const int dextra = in.bits(kDistExtra[dcode]);
            if (dextra < 0)
                return false;
            const unsigned distance = static_cast<unsigned>(kDistBase[dcode] + dextra);
            if (distance > produced || distance > window.size())
                return false; // reaches before the first byte, or beyond the window
            for (int i = 0; i < length; i++) {
                window[writePos] = window[(writePos - distance) & mask];
                writePos++;
                if (writePos > mask && !flush())
                    return false;
            }
            produced += static_cast<unsigned>(length);
        }
    }

    bool fixed()
    {
        static FastCode lencode;
        static bool built = false;
        if (!built) {
            uint8_t lengths[288];
            int s = 0;
            for (; s < 144; s++) lengths[s] = 8;
            for (; s < 256; s++) lengths[s] = 9;
            for (; s < 280; s++) lengths[s] = 7;
            for (; s < 288; s++) lengths[s] = 8;
            build_fast(lencode, lengths, 288);
            built = true;
        }
        return codes(lencode, nullptr);
    }

    bool dynamic()
    {
        const int hlit = in.bits(5);
        const int hdist = in.bits(5);
        const int hclen = in.bits(4);
        if (hlit < 0 || hdist < 0 || hclen < 0)
            return false;
        const int nlen = hlit + 257;
        const int ndist = hdist + 1;
        if (nlen > 286 || ndist > 30)
            return false;

        uint8_t lengths[320] = {};
        for (int i = 0; i < hclen + 4; i++) {
            const int l = in.bits(3);
            if (l < 0)
                return false;
            lengths[kCodeLengthOrder[i]] = static_cast<uint8_t>(l);
        }
        FastCode lencode;
        if (build_fast(lencode, lengths, 19) != Build::Complete)
            return false;

        int index = 0;
        while (index < nlen + ndist) {
            const int symbol = decode_symbol(in, lencode);
            if (symbol < 0)
                return false;
            if (symbol < 16) {
                lengths[index++] = static_cast<uint8_t>(symbol);
                continue;
            }
            int value = 0;
            int repeat;
            if (symbol == 16) {
                if (index == 0)
                    return false; // nothing to repeat
                value = lengths[index - 1];
                repeat = in.bits(2);
                if (repeat < 0)
                    return false;
                repeat += 3;
            } else if (symbol == 17) {
                repeat = in.bits(3);
                if (repeat < 0)
                    return false;
                repeat += 3;
            } else {
                repeat = in.bits(7);
                if (repeat < 0)
                    return false;
                repeat += 11;
            }
            if (index + repeat > nlen + ndist)
                return false; // runs past the table
            while (repeat--)
                lengths[index++] = static_cast<uint8_t>(value);
        }
        if (lengths[256] == 0)
            return false; // no end-of-block code

        FastCode litcode, distcode;
        if (build_fast(litcode, lengths, nlen) == Build::Oversubscribed)
            return false;
        if (build_fast(distcode, lengths + nlen, ndist) == Build::Oversubscribed)
            return false;
        return codes(litcode, &distcode);
    }

    int run()
    {
        for (;;) {
            const int last = in.bit();
            const int type = in.bits(2);
            if (last < 0 || type < 0) {
                flush();
                return 0;
            }
            bool ok;
            if (type == 0)
                ok = stored();
            else if (type == 1)
                ok = fixed();
            else if (type == 2)
                ok = dynamic();
            else
                ok = false;
            if (!ok) {
                flush();
                return 0;
            }
            if (last)
                return flush() ? 1 : 0;
        }
    }

private:
    YsGenericPngDecoder* out;
    BitReader in;
    std::vector<uint8_t> window;
    unsigned mask;
    unsigned writePos = 0;
    unsigned flushed = 0;
    unsigned produced = 0;
};

}

int PngInflater::Inflate(unsigned length, const uint8_t* data)
{
    if (length < 2)
        return 0;
    const int cmf = data[0];
    const int flg = data[1];
    if ((cmf & 0x0F) != 8)
        return 0;
    const int cinfo = cmf >> 4;
    if (cinfo > 7)
        return 0; // windows above 32768 bytes are not deflate
    if (flg & 0x20)
        return 0; // preset dictionary
    InflateState state(output, data + 2, length - 2, 1u << (cinfo + 8));
    return state.run();
}
