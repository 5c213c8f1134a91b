#pragma once
// Texture loader for uncompressed 24-bit BMP files (through ImageRaster).
class Texture;

bool load_bmp(Texture* tex, const char* file);
