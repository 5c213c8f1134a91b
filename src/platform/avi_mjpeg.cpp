#include "platform/avi_mjpeg.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf escape;
};

void on_error(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->escape, 1);
}

void on_message(j_common_ptr) {}

}  // namespace

bool encode_mjpeg_frame(const std::uint8_t* bgrBottomUp, int width, int height, int quality,
                        std::vector<std::uint8_t>& jpeg)
{
    if (width <= 0 || height <= 0 || width > JPEG_MAX_DIMENSION || height > JPEG_MAX_DIMENSION)
        return false;
    jpeg_compress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = on_error;
    errors.base.output_message = on_message;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    if (setjmp(errors.escape)) {
        jpeg_destroy_compress(&info);
        std::free(buffer);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality < 1 ? 1 : quality > 100 ? 100 : quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    const std::size_t stride = static_cast<std::size_t>(width) * 3;
    while (info.next_scanline < info.image_height) {
        // JPEG runs top-down; the frame is stored bottom row first.
        const std::size_t row = static_cast<std::size_t>(height) - 1 - info.next_scanline;
        JSAMPROW line = const_cast<JSAMPROW>(bgrBottomUp + row * stride);
        jpeg_write_scanlines(&info, &line, 1);
    }
    jpeg_finish_compress(&info);
    jpeg.assign(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return true;
}
