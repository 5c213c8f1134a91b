#pragma once
// A 2D OpenGL texture and the image record the decoders fill (pixels bottom
// row first, 8-bit RGBA from every decoder). Textures are made from image
// files, from PNG bytes in memory, or empty as framebuffer attachments
// (optionally multisampled).
#include <GL/glew.h>

#include <cstdint>
#include <string>

class Texture {
public:
    Texture();
    Texture(std::string file, bool mipmaps, bool repeat);
    Texture(std::string file, bool mipmaps, bool repeat, int minFilter, int magFilter);
    ~Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    bool load(std::string file, bool mipmaps, bool repeat, int minFilter, int magFilter);
    bool load_png_buffer(const uint8_t* buffer, int size, bool mipmaps, bool repeat, int minFilter, int magFilter);
    bool create();
    bool create_empty(int width, int height, bool mipmaps, bool repeat, int internalFormat, int samples);
    bool create_empty(int width, int height, bool mipmaps, bool repeat, int internalFormat);
    bool resize(int width, int height);
    // width x height x 4 bytes, bottom row first; the caller frees it.
    uint8_t* read_pixels();

    void bind(int unit);
    static void unbind(int unit);
    void bind_and_enable();
    void draw_fullscreen(float x, float y, float w, float h);
    static void bind_default_shader();

    unsigned int get_id() const { return id; }
    int get_width() const { return width; }
    int get_height() const { return height; }
    GLenum get_target() const { return samples > 0 ? GL_TEXTURE_2D_MULTISAMPLE : GL_TEXTURE_2D; }

    // The image record, filled by the decoders.
    uint8_t* imageData;
    int bpp;
    int width;
    int height;
    int format;

    unsigned int id;
    int wrap;
    int internalFormat;
    bool mipmaps;
    int minFilter;
    int magFilter;
    int samples;

private:
    void reset();
};
