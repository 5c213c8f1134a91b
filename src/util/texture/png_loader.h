#pragma once
// The engine's own PNG decoder, zlib inflater included. YsGenericPngDecoder
// reads the chunk structure and feeds the inflated bytes one at a time to its
// output operations; YsRawPngDecoder turns them into 8-bit RGBA pixels.
#include <cstdint>
#include <vector>

class Texture;

struct PngHeader {
    int width = 0;
    int height = 0;
    int bitDepth = 0;
    int colourType = 0;
    int compression = 0;
    int filter = 0;
    int interlace = 0;
};

struct PngPalette {
    unsigned count = 0;
    uint8_t* entries = nullptr; // 3 bytes (R, G, B) per entry
};

class YsGenericPngDecoder {
public:
    YsGenericPngDecoder();
    ~YsGenericPngDecoder();
    YsGenericPngDecoder(const YsGenericPngDecoder&) = delete;
    YsGenericPngDecoder& operator=(const YsGenericPngDecoder&) = delete;

    void Initialize();
    // 1 when the file was read and its pixels were all decoded, -1 otherwise.
    int DecodeFile(const char* file);
    int Decode(const uint8_t* data, unsigned length);

    virtual int PrepareOutput();
    virtual int OutputByte(uint8_t byte);
    // A run of inflated bytes, in order; the same as OutputByte on each.
    virtual int OutputBytes(const uint8_t* bytes, unsigned count);
    virtual int EndOutput();

    PngHeader header;
    PngPalette palette;
    int transparent[3];
    // Alpha of each palette entry, from tRNS of an indexed image (255 where
    // tRNS gives none).
    uint8_t paletteAlpha[256];
    int gamma;
};

class YsRawPngDecoder : public YsGenericPngDecoder {
public:
    YsRawPngDecoder();
    ~YsRawPngDecoder();

    int PrepareOutput() override;
    int OutputByte(uint8_t byte) override;
    int OutputBytes(const uint8_t* bytes, unsigned count) override;
    int EndOutput() override;

    void FlipVertically();
    void SwapRows();

    int outWidth = 0;
    int outHeight = 0;
    uint8_t* image = nullptr;
    int ownsImage = 1;
    int filterType = 0;
    int x = -1;
    int y = 0;
    int rowByte = 0;
    int pixelByte = 0;
    int last16[3] = {0, 0, 0};
    int outPos = 0;
    int pass = 1;
    uint8_t* rows = nullptr;
    uint8_t* current = nullptr;
    uint8_t* previous = nullptr;

private:
    bool complete() const;
    void start_pass();
    void put_pixel(int index, const uint8_t* rgba);
    void convert_pixel(int pixelIndex, const uint8_t* stored);
    void unfilter_scanline();
    void convert_scanline();
    void finish_scanline();

    int bitsPerPixel = 0;
    int pixelBytes = 0;   // distance to the left neighbour for the filters
    int passWidth = 0;    // pixels per scanline of the current pass
    int passHeight = 0;   // scanlines of the current pass
    int scanlineBytes = 0;
    int bytesInLine = 0;  // bytes of the current scanline taken so far
};

// The inflater: RFC 1950 header, RFC 1951 blocks; every inflated byte goes to
// the decoder's OutputByte.
class PngInflater {
public:
    explicit PngInflater(YsGenericPngDecoder* output) : output(output) {}
    // 1 when the final block was inflated, 0 when inflating stopped.
    int Inflate(unsigned length, const uint8_t* data);

private:
    YsGenericPngDecoder* output;
};

bool load_png(Texture* tex, const char* file);
bool load_png_buffer(Texture* tex, const uint8_t* data, int size);
bool png_to_texture(Texture* tex, YsRawPngDecoder& decoder);
uint32_t png_read_u32(const uint8_t* p);
int png_paeth(int a, int b, int c);

// Largest image the decoder accepts: each side and the pixel count.
constexpr int PNG_MAX_SIDE = 16384;
constexpr int64_t PNG_MAX_PIXELS = int64_t(1) << 25;
