#include "util/texture/imageraster.h"

#include <cstdlib>

ImageRaster::ImageRaster(int channels_) : channels(channels_) {}

ImageRaster::~ImageRaster() { release(); }

void ImageRaster::allocate()
{
    if (width == 0 || height == 0)
        return;
    block = static_cast<Pixel*>(std::calloc(size_t(width) * height, sizeof(Pixel)));
    rows = static_cast<Pixel**>(std::malloc(sizeof(Pixel*) * height));
    if (!block || !rows) {
        std::free(block);
        std::free(rows);
        block = nullptr;
        rows = nullptr;
        return;
    }
    for (int r = 0; r < height; r++)
        rows[r] = block + size_t(r) * width;
}

void ImageRaster::release()
{
    std::free(block);
    std::free(rows);
    block = nullptr;
    rows = nullptr;
}

void ImageRaster::set_pixel(int row, int col, int a, int b, int c)
{
    if (!rows || row < 0 || row >= height || col < 0 || col >= width)
        return;
    Pixel& p = rows[row][col];
    p.red = a;
    p.blue = b;
    p.green = c;
}

unsigned char* ImageRaster::to_rgba() const
{
    if (!rows)
        return nullptr;
    unsigned char* out = static_cast<unsigned char*>(std::malloc(size_t(width) * height * 4));
    if (!out)
        return nullptr;
    for (int i = 0; i < height; i++) {
        unsigned char* dst = out + size_t(height - 1 - i) * width * 4;
        for (int j = 0; j < width; j++) {
            const Pixel& p = rows[i][j];
            dst[j * 4 + 0] = static_cast<unsigned char>(p.red);
            dst[j * 4 + 1] = static_cast<unsigned char>(p.green);
            dst[j * 4 + 2] = static_cast<unsigned char>(p.blue);
            dst[j * 4 + 3] = 255;
        }
    }
    return out;
}
