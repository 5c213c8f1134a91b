#include "util/ascii/rawloader.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "system/fatal_error.h"
#include "util/ascii/asciiengine.h"
#include "util/data/data_layer.h"

void RawLoader::remap_colours(const std::uint8_t* file, std::uint8_t* out, int count, const char* path)
{
    for (int i = 0; i < count; ++i) {
        if (file[i] > 15)
            FATAL_ERROR(std::string("File ") + path + " holds colour index " + std::to_string(file[i]) +
                        " at byte " + std::to_string(i) + ", expected 0 to 15!");
        out[i] = colourRemap[file[i]];
    }
}

RawLoader::RawLoader(AsciiEngine* canvas, const char* path, int width, int height)
    : canvas(canvas), width(width), height(height)
{
    const long long count = static_cast<long long>(width) * height;
    if (width < 0 || height < 0 || count > 0x7FFFFFFF)
        FATAL_ERROR("Failed to allocate memory for RawLoader");
    pixels = static_cast<std::uint8_t*>(std::malloc(static_cast<size_t>(std::max(count, 1LL))));
    if (!pixels)
        FATAL_ERROR("Failed to allocate memory for RawLoader");

    int size = 0;
    std::uint8_t* bytes = load_file(path, "rb", &size, false);
    if (!bytes)
        FATAL_ERROR(std::string("Failed to load file ") + path);
    if (size < count) {
        std::free(bytes);
        FATAL_ERROR(std::string("File ") + path + " is only " + std::to_string(size) + " bytes, expeted " +
                    std::to_string(width) + "x" + std::to_string(height) + " image!");
    }
    remap_colours(bytes, pixels, static_cast<int>(count), path);
    std::free(bytes);
}

RawLoader::~RawLoader()
{
    std::free(pixels);
}

void RawLoader::draw(std::uint8_t ch, int transparent, int x, int y)
{
    for (int r = 0; r < AsciiEngine::ROWS; ++r) {
        const long long py = static_cast<long long>(y) + r;
        if (py < 0 || py >= height)
            continue;
        for (int c = 0; c < AsciiEngine::COLUMNS; ++c) {
            const long long px = static_cast<long long>(x) + c;
            if (px < 0 || px >= width)
                continue;
            const int p = pixels[py * width + px];
            if (p != transparent)
                canvas->put(r, c, ch, static_cast<std::uint8_t>(p), 0);
        }
    }
}

namespace {

// Truncates toward zero; false when v is not finite or beyond the int range.
bool truncate_to_int(double v, long long& out)
{
    if (!std::isfinite(v) || std::fabs(v) >= 2147483648.0)
        return false;
    out = static_cast<long long>(v);
    return true;
}

}  // namespace

void RawLoader::draw_rotated(std::uint8_t ch, int transparent, int x, int y, double angle, double zoom_x,
                             double zoom_y)
{
    const long long rowBegin = std::max(0LL, -static_cast<long long>(y));
    const long long rowEnd = std::min<long long>(AsciiEngine::ROWS, static_cast<long long>(height) - y);
    const long long colBegin = std::max(0LL, -static_cast<long long>(x));
    const long long colEnd = std::min<long long>(AsciiEngine::COLUMNS, static_cast<long long>(width) - x);
    const int hw = width / 2;
    const int hh = height / 2;
    const double cosA = std::cos(angle);
    const double sinA = std::sin(angle);
    for (long long r = rowBegin; r < rowEnd; ++r) {
        for (long long c = colBegin; c < colEnd; ++c) {
            const double u = static_cast<double>(c - hw);
            const double v = static_cast<double>(r - hh);
            long long du, dv;
            if (!truncate_to_int((u * cosA + v * sinA) * zoom_x, du) ||
                !truncate_to_int((v * cosA - u * sinA) * zoom_y, dv))
                continue;
            const long long sx = hw + du;
            const long long sy = hh + dv;
            if (sx < 0 || sx >= width || sy < 0 || sy >= height)
                continue;
            const int p = pixels[sy * width + sx];
            if (p != transparent)
                canvas->put(static_cast<int>(r), static_cast<int>(c), ch, static_cast<std::uint8_t>(p), 0);
        }
    }
}
