#include "platform/wgl.h"

#include <SDL.h>

#include <cstring>

#include "platform/window_internal.h"

struct PlatformGLContext {
    SDL_GLContext sdl = nullptr;
};

namespace {

BOOL swapIntervalThroughSdl(int interval)
{
    // Not every server lets the interval be set (Xvfb does not); that is fine.
    SDL_GL_SetSwapInterval(interval);
    return TRUE;
}

SDL_Window* windowOf(HDC dc)
{
    if (!dc || !dc->window || dc->window->destroyed)
        return nullptr;
    return dc->window->sdl;
}

} // namespace

int ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* descriptor)
{
    return dc && descriptor ? 1 : 0;
}

BOOL SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR*)
{
    return windowOf(dc) && format == 1 ? TRUE : FALSE;
}

HGLRC wglCreateContext(HDC dc)
{
    SDL_Window* window = windowOf(dc);
    if (!window)
        return nullptr;
    SDL_GLContext previous = SDL_GL_GetCurrentContext();
    SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context)
        return nullptr;
    // Creating does not make it current here; wglMakeCurrent does.
    SDL_GL_MakeCurrent(previousWindow, previous);
    auto* result = new PlatformGLContext;
    result->sdl = context;
    return result;
}

BOOL wglMakeCurrent(HDC dc, HGLRC context)
{
    if (!context)
        return SDL_GL_MakeCurrent(nullptr, nullptr) == 0 ? TRUE : FALSE;
    SDL_Window* window = windowOf(dc);
    if (!window)
        return FALSE;
    return SDL_GL_MakeCurrent(window, context->sdl) == 0 ? TRUE : FALSE;
}

BOOL wglDeleteContext(HGLRC context)
{
    if (!context)
        return FALSE;
    SDL_GL_DeleteContext(context->sdl);
    delete context;
    return TRUE;
}

void* wglGetProcAddress(const char* name)
{
    if (!name)
        return nullptr;
    if (std::strcmp(name, "wglSwapIntervalEXT") == 0)
        return reinterpret_cast<void*>(&swapIntervalThroughSdl);
    return SDL_GL_GetProcAddress(name);
}

const char* wglGetExtensionsStringEXT()
{
    return "WGL_EXT_swap_control";
}
