#pragma once
// Helpers of the image tests: a small PNG writer over zlib (any colour type at
// 8 bits, any filter, Adam7, a chosen deflate strategy), a raw deflate bit
// writer for hand-made damaged streams, a BMP writer with every header field
// in reach, and ImageMagick as the reference decoder.
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace imgtest {

using Bytes = std::vector<uint8_t>;

inline void put_u32(Bytes& b, uint32_t v)
{
    b.push_back(uint8_t(v >> 24));
    b.push_back(uint8_t(v >> 16));
    b.push_back(uint8_t(v >> 8));
    b.push_back(uint8_t(v));
}

inline void put_chunk(Bytes& png, const char* type, const Bytes& data)
{
    put_u32(png, static_cast<uint32_t>(data.size()));
    Bytes typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    png.insert(png.end(), typed.begin(), typed.end());
    put_u32(png, static_cast<uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size()))));
}

inline Bytes ihdr(uint32_t w, uint32_t h, int depth, int type, int interlace)
{
    Bytes d;
    put_u32(d, w);
    put_u32(d, h);
    d.push_back(uint8_t(depth));
    d.push_back(uint8_t(type));
    d.push_back(0);
    d.push_back(0);
    d.push_back(uint8_t(interlace));
    return d;
}

inline Bytes signature() { return Bytes{137, 'P', 'N', 'G', 13, 10, 26, 10}; }

// A PNG from its parts: zlib data given as is (for damaged streams).
inline Bytes make_png_raw(const Bytes& header, const Bytes& idat, const Bytes& plte = {}, const Bytes& trns = {},
                          bool withEnd = true)
{
    Bytes png = signature();
    put_chunk(png, "IHDR", header);
    if (!plte.empty())
        put_chunk(png, "PLTE", plte);
    if (!trns.empty())
        put_chunk(png, "tRNS", trns);
    put_chunk(png, "IDAT", idat);
    if (withEnd)
        put_chunk(png, "IEND", {});
    return png;
}

inline Bytes deflate_bytes(const Bytes& raw, int level, int strategy)
{
    z_stream s{};
    deflateInit2(&s, level, Z_DEFLATED, 15, 8, strategy);
    Bytes out(deflateBound(&s, static_cast<uLong>(raw.size())) + 16);
    s.next_in = const_cast<Bytef*>(raw.data());
    s.avail_in = static_cast<uInt>(raw.size());
    s.next_out = out.data();
    s.avail_out = static_cast<uInt>(out.size());
    deflate(&s, Z_FINISH);
    out.resize(s.total_out);
    deflateEnd(&s);
    return out;
}

struct Image {
    int width = 0;
    int height = 0;
    Bytes rgba; // top row first
};

// Encodes `img` (already restricted to what the colour type can hold) as an
// 8-bit PNG. filter -1 cycles through the five filter types row by row.
struct PngOptions {
    int colourType = 6;
    bool interlace = false;
    int filter = -1;
    int level = 6;
    int strategy = Z_DEFAULT_STRATEGY;
    bool splitIdat = false;
    Bytes trns;
};

inline int channels_of(int colourType)
{
    switch (colourType) {
    case 0: return 1;
    case 2: return 3;
    case 3: return 1;
    case 4: return 2;
    default: return 4;
    }
}

inline int paeth(int a, int b, int c)
{
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    if (pb <= pc) return b;
    return c;
}

inline Bytes make_png(const Image& img, const PngOptions& o, Bytes* paletteOut = nullptr)
{
    const int ch = channels_of(o.colourType);
    // Palette from the image's colours (at most 256 expected).
    Bytes palette, alphas;
    std::vector<uint32_t> colours;
    auto index_of = [&](const uint8_t* p) {
        const uint32_t c = (uint32_t(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
        for (size_t i = 0; i < colours.size(); i++)
            if (colours[i] == c) return int(i);
        colours.push_back(c);
        palette.insert(palette.end(), {p[0], p[1], p[2]});
        alphas.push_back(p[3]);
        return int(colours.size() - 1);
    };
    auto sample = [&](int x, int y, uint8_t* out) {
        const uint8_t* p = &img.rgba[(size_t(y) * img.width + x) * 4];
        switch (o.colourType) {
        case 0: out[0] = p[0]; break;
        case 2: out[0] = p[0]; out[1] = p[1]; out[2] = p[2]; break;
        case 3: out[0] = uint8_t(index_of(p)); break;
        case 4: out[0] = p[0]; out[1] = p[3]; break;
        default: for (int i = 0; i < 4; i++) out[i] = p[i];
        }
    };
    static const int adam7[7][4] = {{0, 8, 0, 8}, {4, 8, 0, 8}, {0, 4, 4, 8}, {2, 4, 0, 4},
                                    {0, 2, 2, 4}, {1, 2, 0, 2}, {0, 1, 1, 2}};
    Bytes raw;
    int rowCounter = 0;
    const int passes = o.interlace ? 7 : 1;
    for (int p = 0; p < passes; p++) {
        const int x0 = o.interlace ? adam7[p][0] : 0, dx = o.interlace ? adam7[p][1] : 1;
        const int y0 = o.interlace ? adam7[p][2] : 0, dy = o.interlace ? adam7[p][3] : 1;
        const int pw = img.width > x0 ? (img.width - x0 + dx - 1) / dx : 0;
        const int ph = img.height > y0 ? (img.height - y0 + dy - 1) / dy : 0;
        if (pw == 0 || ph == 0) continue;
        Bytes prev(size_t(pw) * ch, 0), cur(size_t(pw) * ch);
        for (int j = 0; j < ph; j++) {
            for (int i = 0; i < pw; i++)
                sample(x0 + i * dx, y0 + j * dy, &cur[size_t(i) * ch]);
            const int f = o.filter >= 0 ? o.filter : rowCounter % 5;
            rowCounter++;
            raw.push_back(uint8_t(f));
            for (size_t k = 0; k < cur.size(); k++) {
                const int a = k >= size_t(ch) ? cur[k - ch] : 0, b = prev[k], c = k >= size_t(ch) ? prev[k - ch] : 0;
                int pred = 0;
                if (f == 1) pred = a;
                if (f == 2) pred = b;
                if (f == 3) pred = (a + b) >> 1;
                if (f == 4) pred = paeth(a, b, c);
                raw.push_back(uint8_t(cur[k] - pred));
            }
            prev = cur;
        }
    }
    const Bytes z = deflate_bytes(raw, o.level, o.strategy);
    Bytes png = signature();
    put_chunk(png, "IHDR", ihdr(img.width, img.height, 8, o.colourType, o.interlace ? 1 : 0));
    if (o.colourType == 3) {
        put_chunk(png, "PLTE", palette);
        bool anyAlpha = false;
        for (uint8_t a : alphas) anyAlpha |= a != 255;
        if (anyAlpha) put_chunk(png, "tRNS", alphas);
        if (paletteOut) *paletteOut = palette;
    } else if (!o.trns.empty()) {
        put_chunk(png, "tRNS", o.trns);
    }
    if (o.splitIdat) {
        const size_t half = z.size() / 2;
        put_chunk(png, "IDAT", Bytes(z.begin(), z.begin() + half));
        put_chunk(png, "IDAT", Bytes(z.begin() + half, z.end()));
    } else {
        put_chunk(png, "IDAT", z);
    }
    put_chunk(png, "IEND", {});
    return png;
}

// A picture with smooth and sharp content and varied alpha; `greyOnly` makes
// r = g = b, `fewColours` keeps at most 64 colours (for palettes).
inline Image test_image(int w, int h, bool greyOnly, bool fewColours, bool opaque)
{
    Image img{w, h, Bytes(size_t(w) * h * 4)};
    uint32_t seed = 12345;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            seed = seed * 1103515245u + 12345u;
            uint8_t* p = &img.rgba[(size_t(y) * w + x) * 4];
            int r = (x * 255) / (w > 1 ? w - 1 : 1), g = (y * 255) / (h > 1 ? h - 1 : 1);
            int b = ((x ^ y) & 8) ? 230 : int(seed >> 24);
            int a = opaque ? 255 : int((x + y * 3) * 7 % 256);
            if (fewColours) { r &= 0xC0; g &= 0xC0; b &= 0x80; a = opaque ? 255 : (a & 0x80 ? 255 : 40); }
            if (greyOnly) g = b = r = (r + g + b) / 3;
            p[0] = uint8_t(r); p[1] = uint8_t(g); p[2] = uint8_t(b); p[3] = uint8_t(a);
        }
    return img;
}

inline void write_file(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline Bytes run_capture(const std::string& command)
{
    Bytes out;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return out;
    uint8_t buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof(buf), p)) > 0) out.insert(out.end(), buf, buf + n);
    pclose(p);
    return out;
}

// ImageMagick's reading of the file as 8-bit RGBA, top row first.
inline Bytes reference_rgba(const std::filesystem::path& file)
{
    return run_capture("convert '" + file.string() + "' -depth 8 rgba:- 2>/dev/null");
}

inline bool have_imagemagick() { return std::system("convert -version >/dev/null 2>&1") == 0; }

// Bits of a raw deflate stream: fields least significant bit first, Huffman
// codes most significant bit first.
class DeflateBits {
public:
    void bits(uint32_t value, int n)
    {
        for (int i = 0; i < n; i++) bit((value >> i) & 1);
    }
    void code(uint32_t code, int n)
    {
        for (int i = n - 1; i >= 0; i--) bit((code >> i) & 1);
    }
    // Fixed-code literal or length symbol.
    void fixed_symbol(int s)
    {
        if (s < 144) code(0x30 + s, 8);
        else if (s < 256) code(0x190 + s - 144, 9);
        else if (s < 280) code(s - 256, 7);
        else code(0xC0 + s - 280, 8);
    }
    Bytes zlib() const
    {
        Bytes z{0x78, 0x01};
        z.insert(z.end(), out.begin(), out.end());
        if (used) z.push_back(cur);
        return z;
    }

private:
    void bit(int b)
    {
        cur |= uint8_t(b << used);
        if (++used == 8) { out.push_back(cur); cur = 0; used = 0; }
    }
    Bytes out;
    uint8_t cur = 0;
    int used = 0;
};

// A 24-bit BMP; imageSizeField -1 writes the true size, rows padded to 4.
inline Bytes make_bmp(int w, int h, const Bytes& rgbTopFirst, int imageSizeField, int bitCount = 24,
                      uint32_t compression = 0, uint32_t coloursUsed = 0, uint32_t coloursImportant = 0)
{
    const int rowBytes = (w * 3 + 3) & ~3;
    Bytes b;
    auto le32 = [&](uint32_t v) { for (int i = 0; i < 4; i++) b.push_back(uint8_t(v >> (8 * i))); };
    auto le16 = [&](uint16_t v) { b.push_back(uint8_t(v)); b.push_back(uint8_t(v >> 8)); };
    const uint32_t pixelBytes = uint32_t(rowBytes) * h;
    b.push_back('B'); b.push_back('M');
    le32(54 + pixelBytes); le16(0); le16(0); le32(54);
    le32(40); le32(uint32_t(w)); le32(uint32_t(h)); le16(1); le16(uint16_t(bitCount)); le32(compression);
    le32(imageSizeField < 0 ? pixelBytes : uint32_t(imageSizeField)); le32(2835); le32(2835);
    le32(coloursUsed); le32(coloursImportant);
    for (int y = h - 1; y >= 0; y--) {
        for (int x = 0; x < w; x++) {
            const uint8_t* p = &rgbTopFirst[(size_t(y) * w + x) * 3];
            b.push_back(p[2]); b.push_back(p[1]); b.push_back(p[0]);
        }
        for (int k = w * 3; k < rowBytes; k++) b.push_back(0);
    }
    return b;
}

}
