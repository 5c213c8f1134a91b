#include "util/fbo/fbo.h"

#include <algorithm>
#include <string>

#include "system/fatal_error.h"
#include "system/log_message.h"
#include "util/texture/texture.h"

const GLenum FBO_DRAW_BUFFERS[4] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT0 + 1, GL_COLOR_ATTACHMENT0 + 2,
                                    GL_COLOR_ATTACHMENT0 + 3};

namespace {
const int kNeededDrawBuffers = 3;

// The most samples every attachment kind of this driver takes.
int max_samples()
{
    GLint maxSamples = 0, maxColour = 0, maxDepth = 0;
    glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
    glGetIntegerv(GL_MAX_COLOR_TEXTURE_SAMPLES, &maxColour);
    glGetIntegerv(GL_MAX_DEPTH_TEXTURE_SAMPLES, &maxDepth);
    int m = maxSamples;
    if (maxColour > 0) m = std::min(m, static_cast<int>(maxColour));
    if (maxDepth > 0) m = std::min(m, static_cast<int>(maxDepth));
    return m;
}
}

FBO::FBO(int width_, int height_, int type, int samples_) : width(width_), height(height_), samples(0)
{
    samples = samples_;
    if (samples >= 2) {
        // More samples than the driver offers cannot make a complete framebuffer.
        const int most = max_samples();
        if (most >= 1 && samples > most) {
            log_message("FBO: " + std::to_string(samples) + "x anti-aliasing asked, the driver offers at most "
                        + std::to_string(most) + "x; using " + std::to_string(most) + "x\n");
            samples = most;
        }
    }
    glGetIntegerv(GL_MAX_DRAW_BUFFERS, &max_draw_buffers);
    if (max_draw_buffers < kNeededDrawBuffers)
        FATAL_ERROR("GL_MAX_DRAW_BUFFERS is " + std::to_string(max_draw_buffers)
                    + ", which just ain't gonna cut it. You must have " + std::to_string(kNeededDrawBuffers)
                    + " for this ride.");
    glGenFramebuffers(1, &fbo_id);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_id);
    switch (type) {
    case FBO_TYPE_RGBA8_MIPMAP:
        add_depth_buffer();
        add_mipmapped_color_attachment(GL_RGBA8);
        break;
    case FBO_TYPE_RGBA32F_X3_MIPMAP:
        add_depth_buffer();
        add_mipmapped_color_attachment(GL_RGBA32F);
        add_mipmapped_color_attachment(GL_RGBA32F);
        add_mipmapped_color_attachment(GL_RGBA32F);
        break;
    case FBO_TYPE_RGBA32F_MIPMAP:
        add_depth_buffer();
        add_mipmapped_color_attachment(GL_RGBA32F);
        break;
    case FBO_TYPE_RGBA8_DEPTH_TEXTURE:
        add_depth_texture();
        add_color_attachment(GL_RGBA8, false);
        break;
    case FBO_TYPE_RGBA8:
        add_depth_buffer();
        add_color_attachment(GL_RGBA8, false);
        break;
    default:
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        FATAL_ERROR("Unrecognized FBO type");
    }
    check_status();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    fbo_pushed = -1;
}

void FBO::check_status()
{
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    const char* name = nullptr;
    switch (status) {
    case GL_FRAMEBUFFER_COMPLETE: return;
    case GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT: name = "GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT_EXT"; break;
    case GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT: name = "GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT_EXT"; break;
    case GL_FRAMEBUFFER_INCOMPLETE_DIMENSIONS_EXT: name = "GL_FRAMEBUFFER_INCOMPLETE_DIMENSIONS_EXT"; break;
    case GL_FRAMEBUFFER_INCOMPLETE_FORMATS_EXT: name = "GL_FRAMEBUFFER_INCOMPLETE_FORMATS_EXT"; break;
    case GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER: name = "GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER_EXT"; break;
    case GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER: name = "GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER_EXT"; break;
    case GL_FRAMEBUFFER_UNSUPPORTED: name = "GL_FRAMEBUFFER_UNSUPPORTED_EXT"; break;
    case GL_FRAMEBUFFER_INCOMPLETE_MULTISAMPLE: name = "GL_FRAMEBUFFER_INCOMPLETE_MULTISAMPLE"; break;
    default: break;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (name)
        FATAL_ERROR(std::string("FBO error: ") + name);
    FATAL_ERROR("FBO error: Unknown error " + std::to_string(status));
}

void FBO::add_depth_buffer()
{
    if (depth_buffer != 0)
        FATAL_ERROR("Depth buffer already present!");
    glGenRenderbuffers(1, &depth_buffer);
    glBindRenderbuffer(GL_RENDERBUFFER, depth_buffer);
    if (samples >= 2)
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_DEPTH_COMPONENT, width, height);
    else
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_buffer);
}

void FBO::add_depth_texture()
{
    if (depth_texture)
        FATAL_ERROR("Trying to add depth texture to an FBO that already has one!");
    depth_texture = new Texture();
    const bool ok = samples >= 2 ? depth_texture->create_empty(width, height, false, false, GL_DEPTH_COMPONENT32, samples)
                                 : depth_texture->create_empty(width, height, false, false, GL_DEPTH_COMPONENT32);
    if (!ok)
        FATAL_ERROR("Failed to create " + std::to_string(width) + "x" + std::to_string(height) + " texture for FBO "
                    + std::to_string(fbo_id) + " depth attachment");
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, texture_target(), depth_texture->get_id(), 0);
}

void FBO::add_color_attachment(GLenum internalFormat, bool mipmaps)
{
    const int n = static_cast<int>(color_textures.size());
    if (n >= max_draw_buffers)
        FATAL_ERROR("Tried to add more than " + std::to_string(n) + " color attachments, and GL_MAX_DRAW_BUFFERS is "
                    + std::to_string(max_draw_buffers));
    Texture* tex = new Texture();
    color_textures.push_back(tex);
    const bool ok = samples >= 2 ? tex->create_empty(width, height, mipmaps, false, static_cast<int>(internalFormat), samples)
                                 : tex->create_empty(width, height, mipmaps, false, static_cast<int>(internalFormat));
    if (!ok)
        FATAL_ERROR("Failed to create " + std::to_string(width) + "x" + std::to_string(height) + " texture for FBO "
                    + std::to_string(fbo_id) + " color attachment " + std::to_string(n));
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + n, texture_target(), tex->get_id(), 0);
}

void FBO::add_mipmapped_color_attachment(GLenum internalFormat) { add_color_attachment(internalFormat, true); }

void FBO::push(bool clear)
{
    if (fbo_pushed >= 0)
        FATAL_ERROR("Failed assert fbo_pushed < 0");
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &fbo_pushed);
    glGetIntegerv(GL_DRAW_BUFFER, &saved_draw_buffer);
    glGetIntegerv(GL_READ_BUFFER, &saved_read_buffer);
    glGetIntegerv(GL_VIEWPORT, saved_viewport);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_id);
    const int n = static_cast<int>(color_textures.size());
    if (n > kNeededDrawBuffers)
        FATAL_ERROR("Can only draw to " + std::to_string(kNeededDrawBuffers) + " buffers at a time here");
    glDrawBuffers(n, FBO_DRAW_BUFFERS);
    glViewport(0, 0, width, height);
    if (clear)
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT | GL_ACCUM_BUFFER_BIT);
}

void FBO::restore()
{
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(fbo_pushed));
    glDrawBuffer(static_cast<GLenum>(saved_draw_buffer));
    glReadBuffer(static_cast<GLenum>(saved_read_buffer));
    glViewport(saved_viewport[0], saved_viewport[1], saved_viewport[2], saved_viewport[3]);
    fbo_pushed = -1;
}

void FBO::pop()
{
    restore();
    rebuild_mipmaps(!skip_unseen_work);
}

void FBO::pop_deferring_mipmaps()
{
    if (!skip_unseen_work) {
        pop();
        return;
    }
    restore();
    mipmaps_deferred = true;
}

void FBO::update_deferred_mipmaps(bool forMagnifiedDraw)
{
    if (!mipmaps_deferred)
        return;
    if (forMagnifiedDraw) {
        // The unit square fills the viewport: no smaller than the picture
        // both ways, every pixel is magnified (lambda <= 0, with or without
        // anisotropy) and level 0 alone is read.
        GLint viewport[4] = {0, 0, 0, 0};
        glGetIntegerv(GL_VIEWPORT, viewport);
        if (viewport[2] >= width && viewport[3] >= height)
            return;
    }
    rebuild_mipmaps(false);
}

void FBO::generate_mipmaps() { rebuild_mipmaps(true); }

void FBO::rebuild_mipmaps(bool unsampledToo)
{
    mipmaps_deferred = false;
    // Multisample textures have no mipmaps; generating on the 2D target
    // would touch whatever other texture is bound there.
    if (samples >= 2)
        return;
    for (size_t i = 0; i < color_textures.size(); i++) {
        bind_texture(static_cast<int>(i), 0);
        // A texture made without mipmaps filters from level 0 only: levels
        // built from it are never sampled.
        if (unsampledToo || color_textures[i]->mipmaps)
            glGenerateMipmap(GL_TEXTURE_2D);
    }
    glActiveTexture(GL_TEXTURE0);
}

void FBO::blit()
{
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_id);
    glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_LINEAR);
}

Texture* FBO::get_texture(unsigned index)
{
    update_deferred_mipmaps(false);
    if (index >= color_textures.size())
        return nullptr;
    return color_textures[index];
}

void FBO::bind_texture(int index, int unit)
{
    if (index < 0 || index >= static_cast<int>(color_textures.size()))
        FATAL_ERROR("Invalid texture number");
    update_deferred_mipmaps(false);
    color_textures[index]->bind(unit);
}

void FBO::bind_depth_texture(int unit)
{
    if (!depth_texture)
        FATAL_ERROR("No depth texture is created!");
    depth_texture->bind(unit);
}

void FBO::draw()
{
    update_deferred_mipmaps(true);
    color_textures.at(0)->draw_fullscreen(0, 0, 1, 1);
}

void FBO::resize(int width_, int height_)
{
    if (!GLEW_ARB_texture_non_power_of_two) {
        int p = 2;
        while (p < width_)
            p *= 2;
        width_ = height_ = p / 2;
    }
    if (width_ == width && height_ == height)
        return;
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_id);
    width = width_;
    height = height_;
    const GLenum target = texture_target();
    if (depth_buffer != 0) {
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, 0);
        glDeleteRenderbuffers(1, &depth_buffer);
        depth_buffer = 0;
        add_depth_buffer();
    }
    if (depth_texture) {
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, target, 0, 0);
        depth_texture->resize(width, height);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, target, depth_texture->get_id(), 0);
    }
    for (size_t i = 0; i < color_textures.size(); i++) {
        const GLenum attachment = GL_COLOR_ATTACHMENT0 + static_cast<GLenum>(i);
        glFramebufferTexture2D(GL_FRAMEBUFFER, attachment, target, 0, 0);
        color_textures[i]->resize(width, height);
        glFramebufferTexture2D(GL_FRAMEBUFFER, attachment, target, color_textures[i]->get_id(), 0);
    }
    check_status();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    mipmaps_deferred = false;  // made again, with their chains
}
