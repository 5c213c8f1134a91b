// Makes the text-mode canvas's glyph atlas: a 640x120 RGBA PNG of 80x10 cells
// of 8x12 pixels, white glyphs on black, glyph c (code page 850) in column
// c % 80 of band c / 80 counted from the top. Cells 256 to 511 hold the same
// glyphs inverted, cells 512 to 527 the 16 canvas palette colours, the last
// band stays empty.
//
// The shapes come from two Debian console fonts (console-data, GPL-2, see
// FONT-LICENSE): a 12-row Latin font with a Unicode table gives every glyph it
// has; the 14-row code page 850 font gives the rest (symbols 1 to 31, 127 and
// a few letters), cut to 12 rows by dropping blank rows at its ends.
//
// Writes the PNG and a C++ source file that holds its bytes.
//
//   glyph_atlas [--primary F] [--fallback F] [--png OUT] [--cpp OUT]
#include <zlib.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kCellW = 8;
constexpr int kCellH = 12;
constexpr int kCols = 80;
constexpr int kBands = 10;
constexpr int kWidth = kCols * kCellW;
constexpr int kHeight = kBands * kCellH;

// Unicode code point of each code page 850 byte; 1 to 31 and 127 are the
// IBM PC symbol pictures.
constexpr std::array<std::uint16_t, 256> kCp850 = {
    0x0000, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022,
    0x25D8, 0x25CB, 0x25D9, 0x2642, 0x2640, 0x266A, 0x266B, 0x263C,
    0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7, 0x25AC, 0x21A8,
    0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC,
    0x0020, 0x0021, 0x0022, 0x0023, 0x0024, 0x0025, 0x0026, 0x0027,
    0x0028, 0x0029, 0x002A, 0x002B, 0x002C, 0x002D, 0x002E, 0x002F,
    0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037,
    0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F,
    0x0040, 0x0041, 0x0042, 0x0043, 0x0044, 0x0045, 0x0046, 0x0047,
    0x0048, 0x0049, 0x004A, 0x004B, 0x004C, 0x004D, 0x004E, 0x004F,
    0x0050, 0x0051, 0x0052, 0x0053, 0x0054, 0x0055, 0x0056, 0x0057,
    0x0058, 0x0059, 0x005A, 0x005B, 0x005C, 0x005D, 0x005E, 0x005F,
    0x0060, 0x0061, 0x0062, 0x0063, 0x0064, 0x0065, 0x0066, 0x0067,
    0x0068, 0x0069, 0x006A, 0x006B, 0x006C, 0x006D, 0x006E, 0x006F,
    0x0070, 0x0071, 0x0072, 0x0073, 0x0074, 0x0075, 0x0076, 0x0077,
    0x0078, 0x0079, 0x007A, 0x007B, 0x007C, 0x007D, 0x007E, 0x2302,
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,
    0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0,
    0x00A9, 0x2563, 0x2551, 0x2557, 0x255D, 0x00A2, 0x00A5, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4,
    0x00F0, 0x00D0, 0x00CA, 0x00CB, 0x00C8, 0x0131, 0x00CD, 0x00CE,
    0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE,
    0x00DE, 0x00DA, 0x00DB, 0x00D9, 0x00FD, 0x00DD, 0x00AF, 0x00B4,
    0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8,
    0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0,
};

struct ConsoleFont {
    int height = 0;
    std::vector<std::vector<std::uint8_t>> glyphs;  // one byte per row, bit 7 leftmost
    std::map<std::uint32_t, int> unicode;           // code point -> glyph index
};

[[noreturn]] void fail(const std::string& message) {
    std::fprintf(stderr, "glyph_atlas: %s\n", message.c_str());
    std::exit(1);
}

std::vector<std::uint8_t> read_gz(const std::string& path) {
    gzFile f = gzopen(path.c_str(), "rb");
    if (!f) fail("cannot open " + path);
    std::vector<std::uint8_t> out;
    std::uint8_t buf[65536];
    int n;
    while ((n = gzread(f, buf, sizeof buf)) > 0) out.insert(out.end(), buf, buf + n);
    gzclose(f);
    if (n < 0) fail("cannot read " + path);
    return out;
}

std::uint32_t le32(const std::vector<std::uint8_t>& d, size_t at) {
    return d[at] | d[at + 1] << 8 | d[at + 2] << 16 | std::uint32_t(d[at + 3]) << 24;
}

// Decodes one UTF-8 sequence at d[i], advancing i; returns 0xFFFFFFFF on junk.
std::uint32_t utf8_next(const std::vector<std::uint8_t>& d, size_t& i, size_t end) {
    std::uint8_t b = d[i++];
    int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
    if (extra < 0) return 0xFFFFFFFF;
    std::uint32_t cp = extra == 0 ? b : b & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        if (i >= end) return 0xFFFFFFFF;
        cp = cp << 6 | (d[i++] & 0x3F);
    }
    return cp;
}

ConsoleFont load_psf(const std::string& path) {
    std::vector<std::uint8_t> d = read_gz(path);
    ConsoleFont font;
    if (d.size() >= 4 && d[0] == 0x36 && d[1] == 0x04) {  // PSF 1
        int mode = d[2];
        font.height = d[3];
        int count = (mode & 1) ? 512 : 256;
        size_t off = 4;
        if (d.size() < off + size_t(count) * font.height) fail(path + " is truncated");
        for (int g = 0; g < count; ++g, off += font.height)
            font.glyphs.emplace_back(d.begin() + off, d.begin() + off + font.height);
        if (mode & 2) {
            for (int g = 0; g < count && off + 1 < d.size(); ++g) {
                for (;;) {
                    std::uint16_t u = d[off] | d[off + 1] << 8;
                    off += 2;
                    if (u == 0xFFFF) break;
                    if (u != 0xFFFE) font.unicode.emplace(u, g);
                    if (off + 1 >= d.size()) break;
                }
            }
        }
    } else if (d.size() >= 32 && le32(d, 0) == 0x864AB572u) {  // PSF 2
        std::uint32_t header = le32(d, 8), flags = le32(d, 12), count = le32(d, 16);
        std::uint32_t bytes = le32(d, 20), height = le32(d, 24), width = le32(d, 28);
        if (width != 8 || bytes != height) fail(path + " is not 8 pixels wide");
        font.height = int(height);
        size_t off = header;
        if (d.size() < off + size_t(count) * bytes) fail(path + " is truncated");
        for (std::uint32_t g = 0; g < count; ++g, off += bytes)
            font.glyphs.emplace_back(d.begin() + off, d.begin() + off + bytes);
        if (flags & 1) {
            for (std::uint32_t g = 0; g < count && off < d.size(); ++g) {
                bool sequence = false;
                while (off < d.size() && d[off] != 0xFF) {
                    if (d[off] == 0xFE) { sequence = true; ++off; continue; }
                    std::uint32_t cp = utf8_next(d, off, d.size());
                    if (!sequence && cp != 0xFFFFFFFF) font.unicode.emplace(cp, int(g));
                }
                ++off;
            }
        }
    } else {
        fail(path + " is not a PSF font");
    }
    return font;
}

// Cuts a taller glyph to 12 rows, dropping blank rows at the top or bottom
// (top first), then plain top rows if nothing blank is left.
std::vector<std::uint8_t> fit_rows(std::vector<std::uint8_t> rows) {
    while (int(rows.size()) > kCellH) {
        if (rows.front() == 0) rows.erase(rows.begin());
        else if (rows.back() == 0) rows.pop_back();
        else rows.erase(rows.begin());
    }
    while (int(rows.size()) < kCellH) rows.push_back(0);
    return rows;
}

void put_be32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(std::uint8_t(v >> s));
}

void put_chunk(std::vector<std::uint8_t>& png, const char* type, const std::vector<std::uint8_t>& data) {
    put_be32(png, std::uint32_t(data.size()));
    size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    put_be32(png, crc32(0, png.data() + start, uInt(png.size() - start)));
}

std::vector<std::uint8_t> encode_png(const std::vector<std::uint8_t>& rgba) {
    // Each row uses the filter that gives the smallest sum of absolute values.
    std::vector<std::uint8_t> raw;
    const int stride = kWidth * 4;
    for (int y = 0; y < kHeight; ++y) {
        const std::uint8_t* row = &rgba[size_t(y) * stride];
        const std::uint8_t* up = y > 0 ? row - stride : nullptr;
        std::vector<std::uint8_t> best;
        long bestCost = -1;
        for (int filter = 0; filter < 3; ++filter) {
            std::vector<std::uint8_t> line(1, std::uint8_t(filter));
            long cost = 0;
            for (int i = 0; i < stride; ++i) {
                std::uint8_t pred = filter == 1 ? (i >= 4 ? row[i - 4] : 0) : filter == 2 ? (up ? up[i] : 0) : 0;
                std::uint8_t v = std::uint8_t(row[i] - pred);
                line.push_back(v);
                cost += v < 128 ? v : 256 - v;
            }
            if (bestCost < 0 || cost < bestCost) { bestCost = cost; best = std::move(line); }
        }
        raw.insert(raw.end(), best.begin(), best.end());
    }
    uLongf packedSize = compressBound(uLong(raw.size()));
    std::vector<std::uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), 9) != Z_OK) fail("compression failed");
    packed.resize(packedSize);

    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<std::uint8_t> ihdr;
    put_be32(ihdr, kWidth);
    put_be32(ihdr, kHeight);
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter variants, no interlace
    put_chunk(png, "IHDR", ihdr);
    put_chunk(png, "IDAT", packed);
    put_chunk(png, "IEND", {});
    return png;
}

void write_file(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) fail("cannot write " + path);
    std::fclose(f);
}

std::string cpp_source(const std::vector<std::uint8_t>& png) {
    std::string s =
        "// Generated by tools/glyph_atlas from Debian console fonts (GPL-2, see\n"
        "// tools/glyph_atlas/FONT-LICENSE). Do not edit; rebuild with the tool.\n"
        "#include \"util/ascii/asciiengine_glyphs.h\"\n\n"
        "const unsigned char ascii_glyph_atlas_png[] = {\n";
    char buf[8];
    for (size_t i = 0; i < png.size(); ++i) {
        if (i % 16 == 0) s += "   ";
        std::snprintf(buf, sizeof buf, " 0x%02x,", png[i]);
        s += buf;
        if (i % 16 == 15 || i + 1 == png.size()) s += "\n";
    }
    s += "};\n\nconst int ascii_glyph_atlas_png_size = " + std::to_string(png.size()) + ";\n";
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    std::string primaryPath = "/usr/share/consolefonts/lat1-12.psf.gz";
    std::string fallbackPath = "/usr/share/consolefonts/cp850-8x14.psf.gz";
    std::string pngPath, cppPath;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string key = argv[i], value = argv[i + 1];
        if (key == "--primary") primaryPath = value;
        else if (key == "--fallback") fallbackPath = value;
        else if (key == "--png") pngPath = value;
        else if (key == "--cpp") cppPath = value;
        else fail("unknown option " + key);
    }
    if (argc % 2 == 0) fail("options come in pairs");

    ConsoleFont primary = load_psf(primaryPath);
    ConsoleFont fallback = load_psf(fallbackPath);
    if (primary.height != kCellH) fail(primaryPath + " is not 12 rows high");
    if (int(fallback.glyphs.size()) < 256) fail(fallbackPath + " has fewer than 256 glyphs");

    std::array<std::vector<std::uint8_t>, 256> shapes;
    int fromFallback = 0;
    for (int c = 0; c < 256; ++c) {
        auto hit = primary.unicode.find(kCp850[c]);
        if (c == 0 || c == 32 || c == 255) shapes[c].assign(kCellH, 0);  // blanks
        else if (hit != primary.unicode.end()) shapes[c] = primary.glyphs[hit->second];
        else { shapes[c] = fit_rows(fallback.glyphs[c]); ++fromFallback; }
    }

    std::vector<std::uint8_t> rgba(size_t(kWidth) * kHeight * 4, 0);
    auto cell_pixel = [&](int cell, int x, int y) -> std::uint8_t* {
        int px = (cell % kCols) * kCellW + x, py = (cell / kCols) * kCellH + y;
        return &rgba[(size_t(py) * kWidth + px) * 4];
    };
    for (int cell = 0; cell < kCols * kBands; ++cell)
        for (int y = 0; y < kCellH; ++y)
            for (int x = 0; x < kCellW; ++x) cell_pixel(cell, x, y)[3] = 255;
    for (int c = 0; c < 256; ++c) {
        for (int y = 0; y < kCellH; ++y) {
            for (int x = 0; x < kCellW; ++x) {
                bool on = (shapes[c][y] >> (7 - x)) & 1;
                std::uint8_t v = on ? 255 : 0;
                std::uint8_t* p = cell_pixel(c, x, y);
                p[0] = p[1] = p[2] = v;
                std::uint8_t* q = cell_pixel(256 + c, x, y);
                q[0] = q[1] = q[2] = std::uint8_t(255 - v);
            }
        }
    }
    static const std::uint8_t palette[16][3] = {
        {0, 0, 0},     {0, 0, 128},   {0, 128, 0},   {0, 128, 128}, {128, 0, 0},   {128, 0, 128},
        {128, 128, 0}, {192, 192, 192}, {128, 128, 128}, {0, 0, 255}, {0, 255, 0}, {0, 255, 255},
        {255, 0, 0},   {255, 0, 255}, {255, 255, 0}, {255, 255, 255}};
    for (int i = 0; i < 16; ++i)
        for (int y = 0; y < kCellH; ++y)
            for (int x = 0; x < kCellW; ++x) std::memcpy(cell_pixel(512 + i, x, y), palette[i], 3);

    std::vector<std::uint8_t> png = encode_png(rgba);
    if (!pngPath.empty()) write_file(pngPath, std::string(png.begin(), png.end()));
    if (!cppPath.empty()) write_file(cppPath, cpp_source(png));
    std::printf("glyph_atlas: %zu bytes, %d glyphs from %s\n", png.size(), fromFallback, fallbackPath.c_str());
    return 0;
}
