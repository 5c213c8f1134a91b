#pragma once
// A cube-map texture made from six face images (negative x, positive x,
// negative y, positive y, negative z, positive z), each loaded as a Texture.
#include <GL/glew.h>

#include <cstdint>

#include "util/texture/texture.h"

class TextureCube {
public:
    TextureCube();
    ~TextureCube();
    TextureCube(const TextureCube&) = delete;
    TextureCube& operator=(const TextureCube&) = delete;

    bool load(const char* negx, const char* posx, const char* negy, const char* posy, const char* negz,
              const char* posz);
    bool create();
    void bind(int unit);
    static void unbind(int unit);

    unsigned int get_id() const { return id; }

private:
    void reset();

    Texture tex_array[6];
    uint8_t* data_negx;
    uint8_t* data_posx;
    uint8_t* data_negy;
    uint8_t* data_posy;
    uint8_t* data_negz;
    uint8_t* data_posz;
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
};
