// The JPEG reader of ImageRaster, through libjpeg. Decoding errors come back
// here (the error manager jumps back instead of ending the process), so a
// corrupt file ends in the loader's own fatal error.
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <jpeglib.h>
#include <jerror.h>

#include "system/log_message.h"
#include "util/data/data_layer.h"
#include "util/texture/imageraster.h"
#include "util/texture/jpg_loader.h"

namespace {

struct JpegErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

void jpeg_error_exit(j_common_ptr cinfo)
{
    JpegErrorManager* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    char message[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, message);
    log_message(std::string("[JPEG] ") + message + "\n");
    std::longjmp(err->jump, 1);
}

// Warnings about damaged entropy data mean the decoder would go on filling
// the picture with made-up blocks: such a file is treated as corrupt. Other
// warnings (stray bytes between segments) are only reported.
void (*g_standard_emit_message)(j_common_ptr, int) = nullptr;

void jpeg_emit_message(j_common_ptr cinfo, int level)
{
    if (level < 0) {
        const int code = cinfo->err->msg_code;
        if (code == JWRN_HIT_MARKER || code == JWRN_HUFF_BAD_CODE || code == JWRN_JPEG_EOF)
            (*cinfo->err->error_exit)(cinfo);
    }
    g_standard_emit_message(cinfo, level);
}

void memory_init_source(j_decompress_ptr) {}

boolean memory_fill_input_buffer(j_decompress_ptr cinfo)
{
    ERREXIT(cinfo, JERR_INPUT_EMPTY);
    return TRUE;
}

void memory_skip_input_data(j_decompress_ptr cinfo, long count)
{
    if (count <= 0)
        return;
    jpeg_source_mgr* src = cinfo->src;
    if (static_cast<size_t>(count) > src->bytes_in_buffer)
        ERREXIT(cinfo, JERR_INPUT_EMPTY);
    src->next_input_byte += count;
    src->bytes_in_buffer -= static_cast<size_t>(count);
}

void memory_term_source(j_decompress_ptr) {}

// Everything the decode allocates, so the error path can free it.
struct JpegDecode {
    jpeg_decompress_struct cinfo;
    JpegErrorManager err;
    uint8_t* file = nullptr;
    uint8_t* scanlines = nullptr;
    JSAMPROW* rowPointers = nullptr;
    bool created = false;
};

void free_decode(JpegDecode& d)
{
    std::free(d.scanlines);
    std::free(d.rowPointers);
    if (d.created)
        jpeg_destroy_decompress(&d.cinfo);
    std::free(d.file);
    d.scanlines = nullptr;
    d.rowPointers = nullptr;
    d.file = nullptr;
    d.created = false;
}

// Decodes into the decode's scanline buffer; false on any error. Kept free of
// objects with destructors, since errors return here through longjmp.
bool decode(JpegDecode& d, int size)
{
    d.cinfo.err = jpeg_std_error(&d.err.pub);
    d.err.pub.error_exit = jpeg_error_exit;
    g_standard_emit_message = d.err.pub.emit_message;
    d.err.pub.emit_message = jpeg_emit_message;
    if (setjmp(d.err.jump))
        return false;
    jpeg_CreateDecompress(&d.cinfo, 62, sizeof(jpeg_decompress_struct));
    d.created = true;
    set_jpeg_memory_source(&d.cinfo, d.file, static_cast<size_t>(size));
    jpeg_read_header(&d.cinfo, TRUE);
    d.cinfo.out_color_space = JCS_RGB;
    if (d.cinfo.image_width == 0 || d.cinfo.image_height == 0 || d.cinfo.image_width > IMAGE_MAX_SIDE
        || d.cinfo.image_height > IMAGE_MAX_SIDE
        || static_cast<long long>(d.cinfo.image_width) * d.cinfo.image_height > IMAGE_MAX_PIXELS)
        return false;
    jpeg_start_decompress(&d.cinfo);
    const size_t rowBytes = size_t(d.cinfo.output_width) * d.cinfo.output_components;
    d.scanlines = static_cast<uint8_t*>(std::malloc(rowBytes * d.cinfo.output_height));
    d.rowPointers = static_cast<JSAMPROW*>(std::malloc(sizeof(JSAMPROW) * d.cinfo.output_height));
    if (!d.scanlines || !d.rowPointers)
        return false;
    for (unsigned r = 0; r < d.cinfo.output_height; r++)
        d.rowPointers[r] = d.scanlines + r * rowBytes;
    while (d.cinfo.output_scanline < d.cinfo.output_height)
        jpeg_read_scanlines(&d.cinfo, d.rowPointers + d.cinfo.output_scanline,
                            d.cinfo.output_height - d.cinfo.output_scanline);
    return true;
}

}

void set_jpeg_memory_source(j_decompress_ptr cinfo, const uint8_t* data, size_t size)
{
    if (!cinfo->src)
        cinfo->src = static_cast<jpeg_source_mgr*>(
            (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(jpeg_source_mgr)));
    jpeg_source_mgr* src = cinfo->src;
    src->init_source = memory_init_source;
    src->fill_input_buffer = memory_fill_input_buffer;
    src->skip_input_data = memory_skip_input_data;
    src->resync_to_restart = jpeg_resync_to_restart;
    src->term_source = memory_term_source;
    src->next_input_byte = data;
    src->bytes_in_buffer = size;
}

bool ImageRaster::read_jpeg(const char* file)
{
    struct Release {
        void operator()(JpegDecode* d) const
        {
            free_decode(*d);
            delete d;
        }
    };
    std::unique_ptr<JpegDecode, Release> d(new JpegDecode());
    int size = 0;
    d->file = load_file(file, "rb", &size, false);
    if (!d->file)
        return false;
    if (!decode(*d, size))
        return false;
    release();
    width = static_cast<int>(d->cinfo.output_width);
    height = static_cast<int>(d->cinfo.output_height);
    allocate();
    const size_t rowBytes = size_t(width) * d->cinfo.output_components;
    for (int r = 0; r < height; r++) {
        const uint8_t* src = d->scanlines + r * rowBytes;
        for (int c = 0; c < width; c++)
            set_pixel(r, c, src[c * 3], src[c * 3 + 2], src[c * 3 + 1]);
    }
    std::free(d->scanlines);
    std::free(d->rowPointers);
    d->scanlines = nullptr;
    d->rowPointers = nullptr;
    // Finishing can still meet damaged data after the last scanline.
    if (setjmp(d->err.jump) == 0)
        jpeg_finish_decompress(&d->cinfo);
    return true;
}
