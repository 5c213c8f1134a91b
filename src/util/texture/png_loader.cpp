#include "util/texture/png_loader.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <emmintrin.h>

#include "platform/messagebox.h"
#include "system/fatal_error.h"
#include "util/data/data_layer.h"
#include "util/texture/texture.h"

namespace {

constexpr uint32_t chunk_type(char a, char b, char c, char d)
{
    return (uint32_t(uint8_t(a)) << 24) | (uint32_t(uint8_t(b)) << 16) | (uint32_t(uint8_t(c)) << 8) | uint8_t(d);
}

// Adam7: first column, column step, first row, row step of passes 1 to 7.
const int kAdam7[7][4] = {{0, 8, 0, 8}, {4, 8, 0, 8}, {0, 4, 4, 8}, {2, 4, 0, 4},
                          {0, 2, 2, 4}, {1, 2, 0, 2}, {0, 1, 1, 2}};

int bits_per_pixel(int colourType, int bitDepth)
{
    switch (colourType) {
    case 0: return (bitDepth == 1 || bitDepth == 8) ? bitDepth : 0;
    case 2: return (bitDepth == 8 || bitDepth == 16) ? 3 * bitDepth : 0;
    case 3: return (bitDepth == 4 || bitDepth == 8) ? bitDepth : 0;
    case 4: return bitDepth == 8 ? 16 : 0;
    case 6: return bitDepth == 8 ? 32 : 0;
    default: return 0;
    }
}

std::string source_location(int line)
{
    return fatal_error_source_path(__FILE__) + ":" + std::to_string(line);
}

}

uint32_t png_read_u32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

int png_paeth(int a, int b, int c)
{
    // |p - a|, |p - b| and |p - c| with p = a + b - c, without forming p.
    const int pa = std::abs(b - c);
    const int pb = std::abs(a - c);
    const int pc = std::abs(a + b - c - c);
    if (pa <= pb && pa <= pc)
        return a;
    if (pb <= pc)
        return b;
    return c;
}

namespace {

// Paeth reconstruction of whole 3- or 4-byte pixels from the second pixel
// on, the channels of a pixel side by side in 16-bit lanes.
template <int d>
void unfilter_paeth_pixels(uint8_t* cur, const uint8_t* up, int n)
{
    const __m128i zero = _mm_setzero_si128();
    auto load = [](const uint8_t* p) {
        uint32_t v = 0;
        std::memcpy(&v, p, d);
        return _mm_cvtsi32_si128(static_cast<int>(v));
    };
    __m128i a = _mm_unpacklo_epi8(load(cur), zero);
    __m128i c = _mm_unpacklo_epi8(load(up), zero);
    for (int i = d; i + d <= n; i += d) {
        const __m128i b = _mm_unpacklo_epi8(load(up + i), zero);
        const __m128i x = _mm_unpacklo_epi8(load(cur + i), zero);
        // pa = |b - c|, pb = |a - c|, pc = |a + b - 2c|
        const __m128i bc = _mm_sub_epi16(b, c);
        const __m128i ac = _mm_sub_epi16(a, c);
        const __m128i pa = _mm_max_epi16(bc, _mm_sub_epi16(zero, bc));
        const __m128i pb = _mm_max_epi16(ac, _mm_sub_epi16(zero, ac));
        const __m128i sum = _mm_add_epi16(ac, bc);
        const __m128i pc = _mm_max_epi16(sum, _mm_sub_epi16(zero, sum));
        // a when pa <= pb and pa <= pc; else b when pb <= pc; else c.
        const __m128i useA = _mm_andnot_si128(_mm_or_si128(_mm_cmpgt_epi16(pa, pb), _mm_cmpgt_epi16(pa, pc)),
                                              _mm_set1_epi16(-1));
        const __m128i useB = _mm_andnot_si128(_mm_cmpgt_epi16(pb, pc), _mm_set1_epi16(-1));
        const __m128i bOrC = _mm_or_si128(_mm_and_si128(useB, b), _mm_andnot_si128(useB, c));
        const __m128i pred = _mm_or_si128(_mm_and_si128(useA, a), _mm_andnot_si128(useA, bOrC));
        const __m128i value = _mm_and_si128(_mm_add_epi16(x, pred), _mm_set1_epi16(0xFF));
        const uint32_t packed = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(value, zero)));
        std::memcpy(cur + i, &packed, d);
        a = value;
        c = b;
    }
}

}

// ---------------------------------------------------------------------------
// Chunk structure

YsGenericPngDecoder::YsGenericPngDecoder() { Initialize(); }

YsGenericPngDecoder::~YsGenericPngDecoder() { std::free(palette.entries); }

void YsGenericPngDecoder::Initialize()
{
    header = PngHeader();
    std::free(palette.entries);
    palette = PngPalette();
    transparent[0] = transparent[1] = transparent[2] = INT_MAX;
    std::memset(paletteAlpha, 255, sizeof(paletteAlpha));
    gamma = 100000;
}

int YsGenericPngDecoder::PrepareOutput() { return 1; }
int YsGenericPngDecoder::OutputByte(uint8_t) { return 1; }

int YsGenericPngDecoder::OutputBytes(const uint8_t* bytes, unsigned count)
{
    for (unsigned i = 0; i < count; i++)
        if (OutputByte(bytes[i]) != 1)
            return 0;
    return 1;
}
int YsGenericPngDecoder::EndOutput() { return 1; }

int YsGenericPngDecoder::DecodeFile(const char* file)
{
    int size = 0;
    uint8_t* data = load_file(file, "rb", &size, false);
    if (!data)
        return -1;
    const int result = Decode(data, static_cast<unsigned>(size));
    std::free(data);
    return result;
}

int YsGenericPngDecoder::Decode(const uint8_t* data, unsigned length)
{
    static const uint8_t kSignature[8] = {137, 'P', 'N', 'G', 13, 10, 26, 10};
    if (!data || length < 8 || std::memcmp(data, kSignature, 8) != 0)
        return -1;

    std::vector<uint8_t> compressed;
    compressed.reserve(length);
    size_t pos = 8;
    for (;;) {
        if (length - pos < 8)
            break;
        const uint32_t chunkLength = png_read_u32(data + pos);
        const uint32_t type = png_read_u32(data + pos + 4);
        pos += 8;
        if (chunkLength > length - pos)
            break;
        const uint8_t* chunk = data + pos;
        pos += chunkLength;
        if (length - pos < 4)
            break; // no room for the CRC
        pos += 4;  // CRC, not verified

        if (type == chunk_type('I', 'E', 'N', 'D'))
            break;
        if (chunkLength == 0)
            continue;
        if (type == chunk_type('I', 'H', 'D', 'R')) {
            if (chunkLength >= 13) {
                const uint32_t w = png_read_u32(chunk);
                const uint32_t h = png_read_u32(chunk + 4);
                header.width = w > INT_MAX ? INT_MAX : static_cast<int>(w);
                header.height = h > INT_MAX ? INT_MAX : static_cast<int>(h);
                header.bitDepth = chunk[8];
                header.colourType = chunk[9];
                header.compression = chunk[10];
                header.filter = chunk[11];
                header.interlace = chunk[12];
            }
        } else if (type == chunk_type('P', 'L', 'T', 'E')) {
            if (chunkLength % 3 != 0)
                return -1;
            std::free(palette.entries);
            palette.entries = static_cast<uint8_t*>(std::malloc(chunkLength));
            if (!palette.entries) {
                palette.count = 0;
                return -1;
            }
            std::memcpy(palette.entries, chunk, chunkLength);
            palette.count = chunkLength / 3;
        } else if (type == chunk_type('t', 'R', 'N', 'S')) {
            if (header.colourType == 0 && chunkLength >= 2) {
                transparent[0] = (chunk[0] << 8) | chunk[1];
            } else if (header.colourType == 2 && chunkLength >= 6) {
                transparent[0] = (chunk[0] << 8) | chunk[1];
                transparent[1] = (chunk[2] << 8) | chunk[3];
                transparent[2] = (chunk[4] << 8) | chunk[5];
            } else if (header.colourType == 3) {
                // One alpha byte per palette entry, in entry order.
                const uint32_t n = chunkLength < 256 ? chunkLength : 256;
                for (uint32_t i = 0; i < n; i++)
                    paletteAlpha[i] = chunk[i];
            }
        } else if (type == chunk_type('g', 'A', 'M', 'A')) {
            if (chunkLength >= 4)
                gamma = static_cast<int>(png_read_u32(chunk));
        } else if (type == chunk_type('I', 'D', 'A', 'T')) {
            compressed.insert(compressed.end(), chunk, chunk + chunkLength);
        }
    }

    if (PrepareOutput() != 1)
        return 1; // nothing to decode; the caller refuses the empty image
    PngInflater inflater(this);
    inflater.Inflate(static_cast<unsigned>(compressed.size()), compressed.data());
    // Damaged or truncated data leaves the image incomplete.
    if (EndOutput() != 1)
        return -1;
    return 1;
}

// ---------------------------------------------------------------------------
// Pixels

YsRawPngDecoder::YsRawPngDecoder() = default;

YsRawPngDecoder::~YsRawPngDecoder()
{
    if (ownsImage)
        std::free(image);
    std::free(rows);
}

int YsRawPngDecoder::PrepareOutput()
{
    bitsPerPixel = bits_per_pixel(header.colourType, header.bitDepth);
    if (bitsPerPixel == 0)
        return 0;
    if (header.width <= 0 || header.height <= 0 || header.width > PNG_MAX_SIDE || header.height > PNG_MAX_SIDE
        || int64_t(header.width) * header.height > PNG_MAX_PIXELS)
        return 0;
    if (header.interlace != 0 && header.interlace != 1)
        return 0;

    if (ownsImage)
        std::free(image);
    image = nullptr;
    ownsImage = 1;
    std::free(rows);
    rows = nullptr;

    const size_t lineBytes = (size_t(header.width) * bitsPerPixel + 7) / 8;
    image = static_cast<uint8_t*>(std::calloc(size_t(header.width) * header.height, 4));
    rows = static_cast<uint8_t*>(std::calloc(2, lineBytes));
    if (!image || !rows) {
        std::free(image);
        std::free(rows);
        image = rows = nullptr;
        return 0;
    }
    outWidth = header.width;
    outHeight = header.height;
    current = rows;
    previous = rows + lineBytes;
    pixelBytes = bitsPerPixel < 8 ? 1 : bitsPerPixel / 8;
    filterType = 0;
    rowByte = 0;
    pixelByte = 0;
    outPos = 0;
    pass = 1;
    start_pass();
    return 1;
}

bool YsRawPngDecoder::complete() const
{
    if (header.interlace == 1)
        return pass > 7;
    return y >= outHeight;
}

void YsRawPngDecoder::start_pass()
{
    y = 0;
    x = -1;
    if (header.interlace == 1) {
        // Passes without pixels carry no bytes.
        for (; pass <= 7; pass++) {
            const int* a = kAdam7[pass - 1];
            passWidth = outWidth > a[0] ? (outWidth - a[0] + a[1] - 1) / a[1] : 0;
            passHeight = outHeight > a[2] ? (outHeight - a[2] + a[3] - 1) / a[3] : 0;
            if (passWidth > 0 && passHeight > 0)
                break;
        }
    } else {
        passWidth = outWidth;
        passHeight = outHeight;
    }
    scanlineBytes = static_cast<int>((int64_t(passWidth) * bitsPerPixel + 7) / 8);
    std::memset(previous, 0, static_cast<size_t>(scanlineBytes));
}

void YsRawPngDecoder::SwapRows()
{
    uint8_t* t = current;
    current = previous;
    previous = t;
}

void YsRawPngDecoder::finish_scanline()
{
    y++;
    x = -1;
    SwapRows();
    if (header.interlace == 1 && y >= passHeight) {
        pass++;
        start_pass();
    }
}

void YsRawPngDecoder::put_pixel(int index, const uint8_t* rgba)
{
    int column = index;
    int row = y;
    if (header.interlace == 1) {
        const int* a = kAdam7[pass - 1];
        column = a[0] + index * a[1];
        row = a[2] + y * a[3];
    }
    if (column >= outWidth || row >= outHeight)
        return;
    std::memcpy(image + (size_t(row) * outWidth + column) * 4, rgba, 4);
    outPos = static_cast<int>((size_t(row) * outWidth + column + 1) * 4);
}

void YsRawPngDecoder::convert_pixel(int index, const uint8_t* s)
{
    uint8_t rgba[4];
    switch (header.colourType) {
    case 0:
        if (header.bitDepth == 1) {
            const uint8_t v = s[0] ? 255 : 0;
            rgba[0] = rgba[1] = rgba[2] = v;
            rgba[3] = 0;
        } else {
            rgba[0] = rgba[1] = rgba[2] = s[0];
            rgba[3] = (s[0] == transparent[0] || s[0] == transparent[1] || s[0] == transparent[2]) ? 0 : 255;
        }
        break;
    case 2:
        if (header.bitDepth == 16) {
            last16[0] = (s[0] << 8) | s[1];
            last16[1] = (s[2] << 8) | s[3];
            last16[2] = (s[4] << 8) | s[5];
            rgba[0] = s[0];
            rgba[1] = s[2];
            rgba[2] = s[4];
            rgba[3] = (last16[0] == transparent[0] && last16[1] == transparent[1] && last16[2] == transparent[2]) ? 0 : 255;
        } else {
            rgba[0] = s[0];
            rgba[1] = s[1];
            rgba[2] = s[2];
            rgba[3] = (s[0] == transparent[0] && s[1] == transparent[1] && s[2] == transparent[2]) ? 0 : 255;
        }
        break;
    case 3: {
        const unsigned i = s[0];
        if (i >= palette.count)
            return; // left as it is
        rgba[0] = palette.entries[i * 3];
        rgba[1] = palette.entries[i * 3 + 1];
        rgba[2] = palette.entries[i * 3 + 2];
        rgba[3] = paletteAlpha[i];
        break;
    }
    case 4:
        rgba[0] = rgba[1] = rgba[2] = s[0];
        rgba[3] = s[1];
        break;
    default: // 6
        std::memcpy(rgba, s, 4);
        break;
    }
    put_pixel(index, rgba);
}

// Scanlines are gathered whole, then reconstructed and converted in one go.
int YsRawPngDecoder::OutputBytes(const uint8_t* bytes, unsigned count)
{
    if (header.interlace != 0 && header.interlace != 1)
        return 0;
    while (count > 0) {
        if (!image || complete())
            return 0;
        if (x == -1) {
            filterType = *bytes++;
            count--;
            rowByte = 0;
            pixelByte = 0;
            bytesInLine = 0;
            x = 0;
            continue;
        }
        const unsigned take = std::min(count, static_cast<unsigned>(scanlineBytes - bytesInLine));
        std::memcpy(current + bytesInLine, bytes, take);
        bytesInLine += static_cast<int>(take);
        bytes += take;
        count -= take;
        if (bytesInLine == scanlineBytes) {
            unfilter_scanline();
            convert_scanline();
            finish_scanline();
        }
    }
    return 1;
}

int YsRawPngDecoder::OutputByte(uint8_t byte) { return OutputBytes(&byte, 1); }

void YsRawPngDecoder::unfilter_scanline()
{
    uint8_t* cur = current;
    const uint8_t* up = previous;
    const int n = scanlineBytes;
    const int d = pixelBytes;
    switch (filterType) {
    case 1:
        for (int i = d; i < n; i++)
            cur[i] = static_cast<uint8_t>(cur[i] + cur[i - d]);
        break;
    case 2:
        for (int i = 0; i < n; i++)
            cur[i] = static_cast<uint8_t>(cur[i] + up[i]);
        break;
    case 3:
        for (int i = 0; i < d && i < n; i++)
            cur[i] = static_cast<uint8_t>(cur[i] + (up[i] >> 1));
        for (int i = d; i < n; i++)
            cur[i] = static_cast<uint8_t>(cur[i] + ((cur[i - d] + up[i]) >> 1));
        break;
    case 4:
        for (int i = 0; i < d && i < n; i++)
            cur[i] = static_cast<uint8_t>(cur[i] + up[i]); // left and upper left are 0
        if (d == 4)
            unfilter_paeth_pixels<4>(cur, up, n);
        else if (d == 3)
            unfilter_paeth_pixels<3>(cur, up, n);
        else
            for (int i = d; i < n; i++)
                cur[i] = static_cast<uint8_t>(cur[i] + png_paeth(cur[i - d], up[i], up[i - d]));
        break;
    default:
        break;
    }
}

void YsRawPngDecoder::convert_scanline()
{
    if (header.colourType == 6 && header.interlace == 0) {
        std::memcpy(image + size_t(y) * outWidth * 4, current, size_t(outWidth) * 4);
        x = passWidth;
        return;
    }
    if (bitsPerPixel < 8) {
        const int depth = header.bitDepth;
        const int mask = (1 << depth) - 1;
        for (int i = 0; i < scanlineBytes; i++)
            for (int shift = 8 - depth; shift >= 0 && x < passWidth; shift -= depth, x++) {
                const uint8_t packed = static_cast<uint8_t>((current[i] >> shift) & mask);
                convert_pixel(x, &packed);
            }
        return;
    }
    for (rowByte = 0; x < passWidth; x++, rowByte += pixelBytes)
        convert_pixel(x, current + rowByte);
}

int YsRawPngDecoder::EndOutput() { return complete() ? 1 : 0; }

void YsRawPngDecoder::FlipVertically()
{
    if (!image)
        return;
    const size_t stride = size_t(outWidth) * 4;
    std::vector<uint8_t> temp(stride);
    for (int i = 0; i < outHeight / 2; i++) {
        uint8_t* a = image + size_t(i) * stride;
        uint8_t* b = image + size_t(outHeight - 1 - i) * stride;
        std::memcpy(temp.data(), a, stride);
        std::memcpy(a, b, stride);
        std::memcpy(b, temp.data(), stride);
    }
}

// ---------------------------------------------------------------------------
// Entry points

bool png_to_texture(Texture* tex, YsRawPngDecoder& decoder)
{
    decoder.FlipVertically();
    tex->width = decoder.outWidth;
    tex->height = decoder.outHeight;
    tex->bpp = 4 * decoder.header.bitDepth;
    if (tex->width > 0 && tex->height > 0 && (tex->bpp == 24 || tex->bpp == 32)) {
        tex->format = tex->bpp == 24 ? GL_RGB : GL_RGBA;
        tex->imageData = decoder.image;
        decoder.ownsImage = 0;
        return true;
    }
    std::printf("Dimensions %ix%i, bpp %i\n", tex->width, tex->height, tex->bpp);
    std::fflush(stdout);
    char caption[512];
    std::snprintf(caption, sizeof(caption), "ERROR at %s:%i", fatal_error_source_path(__FILE__).c_str(), __LINE__);
    MessageBoxA(nullptr, "Invalid texture information", caption, MB_OK);
    tex->imageData = nullptr;
    return false;
}

bool load_png(Texture* tex, const char* file)
{
    YsRawPngDecoder decoder;
    if (decoder.DecodeFile(file) == -1) {
        tex->imageData = nullptr;
        FATAL_ERROR(source_location(__LINE__) + ": Failed to open/decode " + file + "!\n");
    }
    return png_to_texture(tex, decoder);
}

bool load_png_buffer(Texture* tex, const uint8_t* data, int size)
{
    YsRawPngDecoder decoder;
    if (size < 0 || decoder.Decode(data, static_cast<unsigned>(size)) == -1) {
        tex->imageData = nullptr;
        FATAL_ERROR(source_location(__LINE__) + ": Failed to open/decode png buffer of size " + std::to_string(size)
                    + "!\n");
    }
    return png_to_texture(tex, decoder);
}
