#include "support/gl_context.h"

#include <SDL.h>

#include <cstdio>

namespace gltest {
namespace {
SDL_Window* g_window = nullptr;
SDL_GLContext g_context = nullptr;
int g_width = 0;
int g_height = 0;
}

bool ensure_context(int width, int height)
{
    if (g_context) {
        SDL_GL_MakeCurrent(g_window, g_context);
        return true;
    }
    // GLEW on Debian loads through GLX: stay on X11.
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "SDL video init failed: %s\n", SDL_GetError());
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    g_window = SDL_CreateWindow("gltest", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!g_window) {
        std::fprintf(stderr, "SDL window failed: %s\n", SDL_GetError());
        return false;
    }
    g_context = SDL_GL_CreateContext(g_window);
    if (!g_context) {
        std::fprintf(stderr, "GL context failed: %s\n", SDL_GetError());
        return false;
    }
    SDL_GL_MakeCurrent(g_window, g_context);
    glewExperimental = GL_TRUE;
    const GLenum err = glewInit();
    if (err != GLEW_OK) {
        std::fprintf(stderr, "glewInit failed: %u\n", err);
        return false;
    }
    glGetError(); // glewInit may leave an error behind
    SDL_GL_GetDrawableSize(g_window, &g_width, &g_height);
    return true;
}

int window_width() { return g_width; }
int window_height() { return g_height; }

std::vector<std::uint8_t> read_rgba(int x, int y, int width, int height)
{
    std::vector<std::uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

std::uint32_t read_pixel(int x, int y)
{
    const auto p = read_rgba(x, y, 1, 1);
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

void reset_state()
{
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDrawBuffer(GL_BACK);
    glReadBuffer(GL_BACK);
    glUseProgram(0);
    glBindVertexArray(0);
    glViewport(0, 0, g_width, g_height);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glDisable(GL_SCISSOR_TEST);
    glActiveTexture(GL_TEXTURE0);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

void GLTest::SetUp()
{
    ASSERT_TRUE(ensure_context()) << "no OpenGL context (is DISPLAY set to an Xvfb?)";
    reset_state();
}

}
