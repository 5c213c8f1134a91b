// The BMP reader of ImageRaster: uncompressed 24-bit pictures only.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "util/data/data_layer.h"
#include "util/texture/imageraster.h"

namespace {

uint32_t u32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
uint16_t u16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

int read_bmp_bytes(ImageRaster& raster, const uint8_t* data, size_t size)
{
    if (size < 14)
        return 4;
    const uint32_t pixelOffset = u32(data + 10);
    if (size - 14 < 44)
        return 4;
    const uint8_t* info = data + 14;
    const int32_t width = static_cast<int32_t>(u32(info + 4));
    const int32_t height = static_cast<int32_t>(u32(info + 8));
    const uint16_t bitCount = u16(info + 14);
    const uint32_t compression = u32(info + 16);
    const uint32_t coloursUsed = u32(info + 32);
    const uint32_t coloursImportant = u32(info + 36);
    if (bitCount != 24 || compression != 0 || (coloursUsed != 0 && coloursImportant != 0))
        return 2;
    // Top-down pictures (negative height) and empty or huge ones are refused.
    if (width <= 0 || height <= 0 || width > IMAGE_MAX_SIDE || height > IMAGE_MAX_SIDE
        || static_cast<long long>(width) * height > IMAGE_MAX_PIXELS)
        return 2;

    raster.release();
    raster.width = width;
    raster.height = height;
    raster.allocate();

    if (pixelOffset >= size)
        return 3;
    size_t pos = pixelOffset;
    // Rows are padded to four bytes; the image-size field may be 0, so the
    // padding comes from the width.
    const size_t rowBytes = size_t(width) * 3;
    const size_t padding = ((rowBytes + 3) & ~size_t(3)) - rowBytes;
    for (int row = height - 1; row >= 0; row--) {
        for (int col = 0; col < width; col++) {
            if (size - pos < 3)
                return 4;
            const int blue = data[pos];
            const int green = data[pos + 1];
            const int red = data[pos + 2];
            pos += 3;
            raster.set_pixel(row, col, red, blue, green);
        }
        if (size - pos < padding)
            return 3;
        pos += padding;
    }
    return 0;
}

}

int ImageRaster::read_bmp(const char* file)
{
    int size = 0;
    uint8_t* data = load_file(file, "rb", &size, false);
    if (!data)
        return 1;
    const int code = read_bmp_bytes(*this, data, static_cast<size_t>(size));
    std::free(data);
    return code;
}
