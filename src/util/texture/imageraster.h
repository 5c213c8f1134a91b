#pragma once
// An intermediate picture of integer colour pixels (row 0 at the top), filled
// by the BMP and JPEG readers and turned into the RGBA record of a texture.

// Largest picture the readers accept: each side and the pixel count.
constexpr int IMAGE_MAX_SIDE = 16384;
constexpr long long IMAGE_MAX_PIXELS = 1LL << 25;

class ImageRaster {
public:
    struct Pixel {
        int red;
        int blue;
        int green;
    };

    explicit ImageRaster(int channels);
    ~ImageRaster();
    ImageRaster(const ImageRaster&) = delete;
    ImageRaster& operator=(const ImageRaster&) = delete;

    int get_channels() const { return channels; }
    // 0 on success; 1 no file, 2 not an uncompressed 24-bit picture of a
    // usable size, 3 pixel data or row padding beyond the file, 4 file too
    // short for its headers or its pixels.
    int read_bmp(const char* file);
    bool read_jpeg(const char* file);
    void allocate();
    void release();
    void set_pixel(int row, int col, int a, int b, int c);
    // width x height x 4 bytes (bottom row first, alpha 255); the caller frees it.
    unsigned char* to_rgba() const;

    int width = 0;
    int height = 0;

private:
    int channels;
    Pixel** rows = nullptr;
    Pixel* block = nullptr;
};
