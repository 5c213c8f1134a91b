#pragma once
// Hands a decoded raster to a texture's image record; shared by the BMP and
// JPEG loaders. Shows "Invalid texture information" and returns false when the
// raster has no usable size. `sourcePath`/`line` name the loader in the box.
class ImageRaster;
class Texture;

bool raster_to_texture(Texture* tex, ImageRaster* raster, const char* sourcePath, int line);
