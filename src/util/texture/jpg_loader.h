#pragma once
// Texture loader for JPEG files (through ImageRaster and libjpeg).
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include <jpeglib.h>

class Texture;

bool load_jpg(Texture* tex, const char* file);

// A libjpeg source manager over bytes held in memory.
void set_jpeg_memory_source(j_decompress_ptr cinfo, const uint8_t* data, size_t size);
