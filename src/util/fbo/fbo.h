#pragma once
// A framebuffer object with a depth renderbuffer or depth texture and one to
// three colour textures, all of one size and sample count. push/pop bind it
// and restore the previous binding, draw and read buffers and viewport, so
// framebuffers nest like a stack.
#include <GL/glew.h>

#include <vector>

class Texture;

constexpr int FBO_TYPE_RGBA8_MIPMAP = 1;
constexpr int FBO_TYPE_RGBA32F_X3_MIPMAP = 2;
constexpr int FBO_TYPE_RGBA32F_MIPMAP = 3;
constexpr int FBO_TYPE_RGBA8_DEPTH_TEXTURE = 4;
constexpr int FBO_TYPE_RGBA8 = 5;

extern const GLenum FBO_DRAW_BUFFERS[4];

class FBO {
public:
    FBO(int width, int height, int type, int samples);
    FBO(const FBO&) = delete;
    FBO& operator=(const FBO&) = delete;

    void add_depth_buffer();
    void add_depth_texture();
    void add_color_attachment(GLenum internalFormat, bool mipmaps);
    void add_mipmapped_color_attachment(GLenum internalFormat);

    void push(bool clear);
    // Restores what push saved and rebuilds the mip chains of the colour
    // textures made with mipmaps (the others filter from level 0 only).
    void pop();
    // pop for a framebuffer whose colour textures are reached only through
    // draw, bind_texture and get_texture: the mip chains are rebuilt when
    // one of those first needs them, and not while the picture is only drawn
    // magnified (a magnified draw reads level 0 alone).
    void pop_deferring_mipmaps();
    // Rebuilds the mip chain of every colour texture.
    void generate_mipmaps();
    void blit();
    Texture* get_texture(unsigned index);
    void bind_texture(int index, int unit);
    void bind_depth_texture(int unit);
    void draw();
    void resize(int width, int height);

    // On (the default): pop leaves alone the chains of colour textures made
    // without mipmaps, and pop_deferring_mipmaps defers the others. Off:
    // every pop rebuilds every chain at once; the benchmarks and the
    // frame-comparison tests run both ways.
    void set_skip_unseen_work(bool skip) { skip_unseen_work = skip; }

    GLuint get_id() const { return fbo_id; }
    int get_width() const { return width; }
    int get_height() const { return height; }
    int get_samples() const { return samples; }

private:
    GLenum texture_target() const { return samples >= 2 ? GL_TEXTURE_2D_MULTISAMPLE : GL_TEXTURE_2D; }
    void check_status();
    // Puts back the binding, draw and read buffers and viewport push saved.
    void restore();
    // The chains pop_deferring_mipmaps left out, when a draw into the
    // current viewport may read them.
    void update_deferred_mipmaps(bool forMagnifiedDraw);
    // Binds each colour texture on unit 0 in turn and rebuilds its mip
    // chain: of every texture, or only of those made with mipmaps.
    void rebuild_mipmaps(bool unsampledToo);

    int width;
    int height;
    int samples;
    int max_draw_buffers = 0;
    GLuint fbo_id = 0;
    GLuint depth_buffer = 0;
    Texture* depth_texture = nullptr;
    std::vector<Texture*> color_textures;
    GLint fbo_pushed = -1;
    bool skip_unseen_work = true;
    bool mipmaps_deferred = false;
    GLint saved_draw_buffer = 0;
    GLint saved_read_buffer = 0;
    GLint saved_viewport[4] = {0, 0, 0, 0};
};
