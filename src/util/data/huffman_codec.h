#pragma once
// Static byte-oriented Huffman codec for the packed data file's one block:
//
//   "HUFF", uint32 symbolCount, uint32 unpackedSize, uint32 packedSize,
//   symbolCount rows of (uint32 frequency, uint8 symbol), then the bit stream
//   (code words MSB first; the byte where writing stopped is counted).
//
// The decoder rebuilds the encoder's tree from the rows, so the tree building
// and its sort routine are part of the format. A codec object serves one
// encode or one decode.
#include <cstdint>
#include <string>

class HuffmanCodec {
public:
    static constexpr std::uint32_t HeaderSize = 16;
    static constexpr std::uint32_t RowSize = 5;

    struct TreeNode {
        std::uint8_t symbol0;
        std::uint8_t symbol1;
        TreeNode* child0; // null: child 0 is the leaf symbol0
        TreeNode* child1; // null: child 1 is the leaf symbol1
        TreeNode* parent;
    };
    struct SymbolEntry {
        std::uint32_t frequency;
        std::uint8_t symbol;
        TreeNode* node; // null while the entry stands for a single symbol
    };
    struct CodeWord {
        std::uint32_t length;
        std::uint64_t bits; // first bit in bit length - 1, last bit in bit 0
    };

    // The largest block that `size` input bytes can give.
    static std::uint64_t max_packed_size(std::uint64_t size) { return size + HeaderSize + RowSize * 256 + 1; }

    // Writes the block for `size` bytes at `in` to `out` (room for
    // max_packed_size(size) bytes); *packedSizeOut = the block's length.
    void huffman_encode(std::uint8_t* out, int* packedSizeOut, const std::uint8_t* in, int size);

    // Remembers the block of `blockSize` bytes and returns its unpackedSize.
    // A block that cannot be decoded inside its bytes (shorter than its header
    // or its table, more than 256 symbols, a symbol listed twice, more bytes
    // than its bit stream can code) is a fatal error naming `sourceName`.
    std::uint32_t set_header(const std::uint8_t* block, std::uint32_t blockSize, const std::string& sourceName);

    // Decodes the block given to set_header into `out` (unpackedSize bytes);
    // *sizeOut = the count written. A bit stream that ends early or holds a
    // code word the tree lacks is a fatal error.
    void huffman_decode(std::uint8_t* out, int* sizeOut, const std::uint8_t* block);

private:
    int compare_entries(int x, int y) const;
    void swap_entries(int x, int y);
    void sort_entries(int lo, int hi);
    void build_tree();
    void assign_codes();
    void build_decode_table();

    SymbolEntry entries_[256];
    TreeNode nodes_[256];
    CodeWord codes_[256];
    std::uint32_t symbolCount_ = 0;

    const std::uint8_t* block_ = nullptr;
    std::uint32_t blockSize_ = 0;
    std::uint32_t unpackedSize_ = 0;
    std::string sourceName_;

    // Decoding looks TableBits bits ahead: an entry gives a whole code word's
    // symbol and length, or the node reached when the word is longer.
    static constexpr int TableBits = 11;
    std::uint32_t table_[1u << TableBits];
};
