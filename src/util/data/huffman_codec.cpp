#include "util/data/huffman_codec.h"

#include <climits>
#include <cstring>

#include "system/fatal_error.h"

namespace {

// Decode table entries: one or two whole code words, or a flag.
//   bits 0-7 first symbol, 8-15 second symbol, 16-19 bits of both words,
//   20-21 count of words (1 or 2), 22-25 bits of the first word.
constexpr std::uint32_t SubtreeFlag = 1u << 28; // low byte: the node reached
constexpr std::uint32_t InvalidFlag = 1u << 29; // no code word starts so

constexpr std::uint32_t one_word(std::uint8_t symbol, std::uint32_t length)
{
    return symbol | (length << 16) | (1u << 20) | (length << 22);
}

void put_u32(std::uint8_t* p, std::uint32_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

std::uint32_t get_u32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint64_t get_be64(const std::uint8_t* p)
{
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return __builtin_bswap64(v);
}

// Appends code bits MSB first; the byte where writing stops is always counted.
class BitWriter {
public:
    explicit BitWriter(std::uint8_t* out) : out_(out) {}
    void put(std::uint64_t bits, std::uint32_t length)
    {
        if (length > 32) {
            put(bits >> 32, length - 32);
            bits &= 0xffffffffu;
            length = 32;
        }
        acc_ = (acc_ << length) | bits;
        count_ += length;
        while (count_ >= 8) {
            count_ -= 8;
            *out_++ = static_cast<std::uint8_t>(acc_ >> count_);
        }
    }
    // Writes the current byte (its unused low bits 0) and returns the end.
    std::uint8_t* finish()
    {
        *out_++ = static_cast<std::uint8_t>(acc_ << (8 - count_));
        return out_;
    }

private:
    std::uint8_t* out_;
    std::uint64_t acc_ = 0;
    std::uint32_t count_ = 0;
};

} // namespace

// Entries of higher frequency first; of two equal ones, the one further back
// counts as belonging in front.
int HuffmanCodec::compare_entries(int x, int y) const
{
    const std::uint32_t fx = entries_[x].frequency;
    const std::uint32_t fy = entries_[y].frequency;
    if (fx != fy)
        return fx < fy ? 1 : -1;
    if (x == y)
        return 0;
    return x < y ? 1 : -1;
}

void HuffmanCodec::swap_entries(int x, int y)
{
    if (x == y)
        return;
    const SymbolEntry t = entries_[x];
    entries_[x] = entries_[y];
    entries_[y] = t;
}

// The codec's own quicksort. Equal frequencies are ordered by position at
// the moment of each comparison, so every step below shapes the tree and
// must stay exactly as it is.
void HuffmanCodec::sort_entries(int lo0, int hi0)
{
    if (hi0 - lo0 < 1)
        return;
    int pending[256][2];
    int top = 0;
    pending[top][0] = lo0;
    pending[top][1] = hi0;
    ++top;
    while (top > 0) {
        --top;
        int lo = pending[top][0];
        int hi = pending[top][1];
        if (hi - lo + 1 <= 8) {
            while (hi > lo) {
                int m = lo;
                for (int p = lo + 1; p <= hi; ++p)
                    if (compare_entries(p, m) > 0)
                        m = p;
                swap_entries(m, hi);
                --hi;
            }
            continue;
        }
        int mid = lo + (hi - lo + 1) / 2;
        if (compare_entries(lo, mid) > 0)
            swap_entries(lo, mid);
        if (compare_entries(lo, hi) > 0)
            swap_entries(lo, hi);
        if (compare_entries(mid, hi) > 0)
            swap_entries(mid, hi);

        int a = lo;
        int b = hi;
        for (;;) {
            if (mid > a) {
                do
                    ++a;
                while (a < mid && compare_entries(a, mid) <= 0);
            }
            if (mid <= a) {
                do
                    ++a;
                while (a <= hi && compare_entries(a, mid) <= 0);
            }
            do
                --b;
            while (b > mid && compare_entries(b, mid) > 0);
            if (b < a)
                break;
            swap_entries(a, b);
            if (mid == b)
                mid = a;
        }
        ++b;
        if (mid < b) {
            do
                --b;
            while (b > mid && compare_entries(b, mid) == 0);
        }
        if (mid >= b) {
            do
                --b;
            while (b > lo && compare_entries(b, mid) == 0);
        }
        if (lo < b) {
            pending[top][0] = lo;
            pending[top][1] = b;
            ++top;
        }
        if (a < hi) {
            pending[top][0] = a;
            pending[top][1] = hi;
            ++top;
        }
    }
}

void HuffmanCodec::build_tree()
{
    std::memset(nodes_, 0, sizeof nodes_);
    const int n = static_cast<int>(symbolCount_);
    if (n == 0)
        return;
    if (n == 1) {
        nodes_[0].symbol0 = entries_[0].symbol;
        return;
    }
    for (int i = n - 2; i >= 0; --i) {
        TreeNode& node = nodes_[i];
        if (entries_[i].node) {
            node.child0 = entries_[i].node;
            node.child0->parent = &node;
        } else {
            node.symbol0 = entries_[i].symbol;
        }
        if (entries_[i + 1].node) {
            node.child1 = entries_[i + 1].node;
            node.child1->parent = &node;
        } else {
            node.symbol1 = entries_[i + 1].symbol;
        }
        if (i > 0) {
            entries_[i].frequency += entries_[i + 1].frequency;
            entries_[i].node = &node;
            entries_[i + 1].frequency = 0;
            sort_entries(0, i);
        }
    }
}

void HuffmanCodec::assign_codes()
{
    std::memset(codes_, 0, sizeof codes_);
    if (symbolCount_ == 0)
        return;
    if (symbolCount_ == 1) {
        codes_[nodes_[0].symbol0] = {1, 0};
        return;
    }
    // Every leaf: the branch into it is bit 0, each branch further up the
    // next higher bit, up to the root.
    for (int i = 0; i < static_cast<int>(symbolCount_) - 1; ++i) {
        for (int branch = 0; branch < 2; ++branch) {
            const TreeNode* node = &nodes_[i];
            if ((branch == 0 ? node->child0 : node->child1) != nullptr)
                continue;
            const std::uint8_t symbol = branch == 0 ? node->symbol0 : node->symbol1;
            std::uint64_t bits = static_cast<std::uint64_t>(branch);
            std::uint32_t length = 1;
            for (const TreeNode* up = node; up->parent; up = up->parent) {
                const std::uint64_t b = up->parent->child1 == up ? 1 : 0;
                VELMO_ASSERT(length < 64);
                bits |= b << length;
                ++length;
            }
            codes_[symbol] = {length, bits};
        }
    }
}

void HuffmanCodec::huffman_encode(std::uint8_t* out, int* packedSizeOut, const std::uint8_t* in, int size)
{
    for (int i = 0; i < 256; ++i)
        entries_[i] = {0, static_cast<std::uint8_t>(i), nullptr};
    for (int i = 0; i < size; ++i)
        ++entries_[in[i]].frequency;
    symbolCount_ = 0;
    for (const SymbolEntry& e : entries_)
        if (e.frequency != 0)
            ++symbolCount_;

    sort_entries(0, 255);

    std::memcpy(out, "HUFF", 4);
    put_u32(out + 4, symbolCount_);
    put_u32(out + 8, static_cast<std::uint32_t>(size));
    put_u32(out + 12, 0);
    std::uint8_t* row = out + HeaderSize;
    for (std::uint32_t i = 0; i < symbolCount_; ++i, row += RowSize) {
        put_u32(row, entries_[i].frequency);
        row[4] = entries_[i].symbol;
    }

    build_tree();
    assign_codes();

    BitWriter writer(row);
    for (int i = 0; i < size; ++i) {
        const CodeWord& c = codes_[in[i]];
        writer.put(c.bits, c.length);
    }
    const std::uint8_t* end = writer.finish();
    const int packedSize = static_cast<int>(end - out);
    put_u32(out + 12, static_cast<std::uint32_t>(packedSize));
    *packedSizeOut = packedSize;
}

std::uint32_t HuffmanCodec::set_header(const std::uint8_t* block, std::uint32_t blockSize, const std::string& sourceName)
{
    block_ = block;
    blockSize_ = blockSize;
    sourceName_ = sourceName;
    const std::string what = "Damaged packed block in " + sourceName + ": ";
    if (blockSize < HeaderSize)
        FATAL_ERROR(what + "the block has " + std::to_string(blockSize) + " bytes, shorter than its " +
                    std::to_string(HeaderSize) + "-byte header");
    symbolCount_ = get_u32(block + 4);
    unpackedSize_ = get_u32(block + 8);
    if (symbolCount_ > 256)
        FATAL_ERROR(what + "symbol count " + std::to_string(symbolCount_) + " is above 256");
    const std::uint32_t streamStart = HeaderSize + RowSize * symbolCount_;
    if (blockSize < streamStart)
        FATAL_ERROR(what + "the block has " + std::to_string(blockSize) + " bytes, shorter than its table of " +
                    std::to_string(symbolCount_) + " rows");
    bool seen[256] = {};
    for (std::uint32_t i = 0; i < symbolCount_; ++i) {
        const std::uint8_t symbol = block[HeaderSize + RowSize * i + 4];
        if (seen[symbol])
            FATAL_ERROR(what + "symbol " + std::to_string(symbol) + " has two table rows");
        seen[symbol] = true;
    }
    // Every byte takes at least one bit, so the stream bounds the output.
    const std::uint64_t streamBits = static_cast<std::uint64_t>(blockSize - streamStart) * 8;
    if (unpackedSize_ > 0 && (symbolCount_ == 0 || unpackedSize_ > streamBits || unpackedSize_ > INT_MAX))
        FATAL_ERROR(what + "it claims " + std::to_string(unpackedSize_) + " bytes, more than its " +
                    std::to_string(symbolCount_) + " symbols and " + std::to_string(streamBits) +
                    " bits can code");
    return unpackedSize_;
}

void HuffmanCodec::build_decode_table()
{
    constexpr std::uint32_t size = 1u << TableBits;
    if (symbolCount_ == 1) {
        for (std::uint32_t i = 0; i < size / 2; ++i) {
            table_[i] = one_word(nodes_[0].symbol0, 1);
            table_[size / 2 + i] = InvalidFlag;
        }
    } else {
        struct Pending {
            int node;
            std::uint32_t prefix;
            int depth;
        };
        Pending stack[2 * TableBits + 2];
        int top = 0;
        stack[top++] = {0, 0, 0};
        while (top > 0) {
            const Pending p = stack[--top];
            const TreeNode& node = nodes_[p.node];
            for (std::uint32_t branch = 0; branch < 2; ++branch) {
                const TreeNode* child = branch ? node.child1 : node.child0;
                const std::uint32_t prefix = (p.prefix << 1) | branch;
                const int depth = p.depth + 1;
                if (!child) {
                    const std::uint8_t symbol = branch ? node.symbol1 : node.symbol0;
                    const std::uint32_t first = prefix << (TableBits - depth);
                    const std::uint32_t count = 1u << (TableBits - depth);
                    for (std::uint32_t i = 0; i < count; ++i)
                        table_[first + i] = one_word(symbol, static_cast<std::uint32_t>(depth));
                } else if (depth == TableBits) {
                    table_[prefix] = SubtreeFlag | static_cast<std::uint32_t>(child - nodes_);
                } else {
                    stack[top++] = {static_cast<int>(child - nodes_), prefix, depth};
                }
            }
        }
    }
    // Where a second whole code word follows inside the looked-up bits, the
    // entry gives both.
    std::uint32_t single[size];
    std::memcpy(single, table_, sizeof single);
    for (std::uint32_t i = 0; i < size; ++i) {
        const std::uint32_t e1 = single[i];
        if (e1 & (SubtreeFlag | InvalidFlag))
            continue;
        const std::uint32_t l1 = (e1 >> 16) & 15;
        const std::uint32_t e2 = single[(i << l1) & (size - 1)];
        if (e2 & (SubtreeFlag | InvalidFlag))
            continue;
        const std::uint32_t l2 = (e2 >> 16) & 15;
        if (l1 + l2 <= TableBits)
            table_[i] = (e1 & 0xff) | ((e2 & 0xff) << 8) | ((l1 + l2) << 16) | (2u << 20) | (l1 << 22);
    }
}

void HuffmanCodec::huffman_decode(std::uint8_t* out, int* sizeOut, const std::uint8_t* block)
{
    VELMO_ASSERT(block == block_);
    *sizeOut = 0;
    const std::uint32_t n = unpackedSize_;
    const std::uint32_t streamStart = HeaderSize + RowSize * symbolCount_;
    for (std::uint32_t i = 0; i < symbolCount_; ++i) {
        const std::uint8_t* row = block + HeaderSize + RowSize * i;
        entries_[i] = {get_u32(row), row[4], nullptr};
    }
    build_tree();
    if (n == 0)
        return;
    build_decode_table();

    // Bits are taken MSB first from a 64-bit window; past the block's end the
    // window is filled with zeros and the overrun is caught afterwards.
    const std::uint8_t* stream = block + streamStart;
    const std::size_t avail = blockSize_ - streamStart;
    std::size_t pos = 0;
    std::uint64_t window = 0;
    int count = 0;
    auto refill = [&] {
        if (pos + 8 <= avail) {
            window |= get_be64(stream + pos) >> count;
            pos += static_cast<std::size_t>((63 - count) >> 3);
            count |= 56;
        } else {
            while (count < 56) {
                const std::uint64_t byte = pos < avail ? stream[pos] : 0;
                ++pos;
                window |= byte << (56 - count);
                count += 8;
            }
        }
    };
    auto bad_code = [&] {
        FATAL_ERROR("Damaged packed block in " + sourceName_ + ": the bit stream holds a code word the table lacks");
    };
    // A code word longer than the table: walk the tree bit by bit.
    auto walk = [&](std::uint32_t entry) -> std::uint8_t {
        if (entry & InvalidFlag)
            bad_code();
        window <<= TableBits;
        count -= TableBits;
        const TreeNode* node = &nodes_[entry & 0xff];
        for (;;) {
            if (count == 0)
                refill();
            const bool bit = (window >> 63) != 0;
            window <<= 1;
            --count;
            const TreeNode* child = bit ? node->child1 : node->child0;
            if (!child)
                return bit ? node->symbol1 : node->symbol0;
            node = child;
        }
    };

    std::uint8_t* o = out;
    std::uint8_t* const end = out + n;
    // After a refill at least 56 bits are ready: four table look-ups of at
    // most 11 bits each, and a walk's first 11 bits, always fit. Each look-up
    // stores two bytes and keeps one or both.
    while (end - o >= 8) {
        refill();
        for (int k = 0; k < 4; ++k) {
            const std::uint32_t e = table_[window >> (64 - TableBits)];
            if (e & (SubtreeFlag | InvalidFlag)) {
                *o++ = walk(e);
                break;
            }
            o[0] = static_cast<std::uint8_t>(e);
            o[1] = static_cast<std::uint8_t>(e >> 8);
            o += (e >> 20) & 3;
            const int length = static_cast<int>((e >> 16) & 15);
            window <<= length;
            count -= length;
        }
    }
    // The last bytes one code word at a time.
    while (o < end) {
        refill();
        const std::uint32_t e = table_[window >> (64 - TableBits)];
        if (e & (SubtreeFlag | InvalidFlag)) {
            *o++ = walk(e);
            continue;
        }
        *o++ = static_cast<std::uint8_t>(e);
        const int length = static_cast<int>((e >> 22) & 15);
        window <<= length;
        count -= length;
    }
    const std::uint64_t usedBits = static_cast<std::uint64_t>(pos) * 8 - static_cast<std::uint64_t>(count);
    if (usedBits > static_cast<std::uint64_t>(avail) * 8)
        FATAL_ERROR("Damaged packed block in " + sourceName_ + ": the bit stream ends after " +
                    std::to_string(avail) + " bytes, before " + std::to_string(n) + " bytes are decoded");
    *sizeOut = static_cast<int>(n);
}
