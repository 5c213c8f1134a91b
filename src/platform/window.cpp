#include "platform/window.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <map>

#include "platform/messages.h"
#include "platform/window_internal.h"

namespace {

struct RegisteredClass {
    WNDCLASSA wc;
    std::string name;
};

std::map<std::string, RegisteredClass>& classes()
{
    static std::map<std::string, RegisteredClass> c;
    return c;
}

// Never destroyed: the exit handler below still walks it.
std::vector<HWND>& topLevelWindows()
{
    static auto* w = new std::vector<HWND>;
    return *w;
}

HWND g_active = nullptr;
int g_cursorCount = 0;
bool g_modesOverridden = false;
std::vector<DEVMODEA> g_modeOverride;
bool g_fullscreenSet = false;
DEVMODEA g_fullscreenMode{};

bool alive(HWND w)
{
    return w && w->kind == PlatformWindow::Kind::TopLevel && !w->destroyed && w->sdl;
}

std::vector<DEVMODEA> displayModes()
{
    if (g_modesOverridden)
        return g_modeOverride;
    std::vector<DEVMODEA> modes;
    if (!ensure_sdl_video())
        return modes;
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode m{};
        if (SDL_GetDisplayMode(0, i, &m) != 0)
            continue;
        DEVMODEA d{};
        d.dmSize = 156;
        d.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
        d.dmBitsPerPel = SDL_BYTESPERPIXEL(m.format) * 8;
        d.dmPelsWidth = static_cast<DWORD>(m.w);
        d.dmPelsHeight = static_cast<DWORD>(m.h);
        d.dmDisplayFrequency = static_cast<DWORD>(m.refresh_rate);
        modes.push_back(d);
    }
    // SDL lists the largest mode first; the display lists the smallest first.
    std::reverse(modes.begin(), modes.end());
    return modes;
}

// Puts a WS_POPUP window over the display in the fullscreen mode set by
// ChangeDisplaySettingsA, or back into a normal window.
void applyFullscreen(HWND w)
{
    if (!alive(w))
        return;
    const bool wanted = g_fullscreenSet && (w->style & WS_POPUP) != 0;
    if (wanted) {
        SDL_DisplayMode mode{};
        mode.w = static_cast<int>(g_fullscreenMode.dmPelsWidth);
        mode.h = static_cast<int>(g_fullscreenMode.dmPelsHeight);
        SDL_DisplayMode closest{};
        if (SDL_GetClosestDisplayMode(0, &mode, &closest))
            SDL_SetWindowDisplayMode(w->sdl, &closest);
        SDL_SetWindowFullscreen(w->sdl, SDL_WINDOW_FULLSCREEN);
    } else if (SDL_GetWindowFlags(w->sdl) & SDL_WINDOW_FULLSCREEN) {
        SDL_SetWindowFullscreen(w->sdl, 0);
    }
}

void applyStyle(HWND w)
{
    if (!alive(w))
        return;
    const bool framed = (w->style & WS_POPUP) == 0 && (w->style & WS_CAPTION) != 0;
    SDL_SetWindowBordered(w->sdl, framed ? SDL_TRUE : SDL_FALSE);
    SDL_SetWindowResizable(w->sdl, (w->style & WS_THICKFRAME) ? SDL_TRUE : SDL_FALSE);
    applyFullscreen(w);
}

// A fullscreen mode is temporary: it ends with the process, as the X server
// would otherwise keep it after the program has gone.
void leaveFullscreenAtExit()
{
    for (HWND w : topLevelWindows())
        if (alive(w) && (SDL_GetWindowFlags(w->sdl) & SDL_WINDOW_FULLSCREEN))
            SDL_SetWindowFullscreen(w->sdl, 0);
}

void sendSize(HWND w)
{
    int cw = 0, ch = 0;
    SDL_GetWindowSize(w->sdl, &cw, &ch);
    w->proc(w, WM_SIZE, SIZE_RESTORED,
            MAKELPARAM(static_cast<WORD>(cw), static_cast<WORD>(ch)));
}

} // namespace

bool ensure_sdl_video()
{
    if (SDL_WasInit(SDL_INIT_VIDEO))
        return true;
    // GLEW on Debian loads through GLX: stay on X11.
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    // Keys and the close box are the program's own business.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    // Ctrl+C and kill end the program as they would without SDL.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return false;
    watch_async_keys();
    return true;
}

void note_active_window(HWND window)
{
    if (alive(window))
        g_active = window;
}

HWND window_from_sdl_id(unsigned sdlId)
{
    for (HWND w : topLevelWindows())
        if (w->sdlId == sdlId && !w->destroyed)
            return w;
    return nullptr;
}

HINSTANCE GetModuleHandleA(const char*)
{
    static int module;
    return reinterpret_cast<HINSTANCE>(&module);
}

HICON LoadIconA(HINSTANCE, const char* name)
{
    return reinterpret_cast<HICON>(const_cast<char*>(name));
}

HCURSOR LoadCursorA(HINSTANCE, const char* name)
{
    return reinterpret_cast<HCURSOR>(const_cast<char*>(name));
}

ATOM RegisterClassA(const WNDCLASSA* wc)
{
    if (!wc || !wc->lpszClassName || !wc->lpfnWndProc)
        return 0;
    const std::string name = wc->lpszClassName;
    if (classes().count(name))
        return 0; // already registered
    classes()[name] = RegisteredClass{*wc, name};
    return static_cast<ATOM>(0xC000 + classes().size());
}

BOOL AdjustWindowRectEx(RECT* rect, DWORD, BOOL, DWORD)
{
    // The frame is drawn by the window manager outside the client area.
    return rect ? TRUE : FALSE;
}

HWND CreateWindowExA(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                     int x, int y, int width, int height, HWND parent, HMENU menu,
                     HINSTANCE instance, void* param)
{
    if (!className)
        return nullptr;
    const auto cls = classes().find(className);
    if (cls == classes().end() || !ensure_sdl_video())
        return nullptr;

    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if ((style & WS_POPUP) || !(style & WS_CAPTION))
        flags |= SDL_WINDOW_BORDERLESS;
    if (style & WS_THICKFRAME)
        flags |= SDL_WINDOW_RESIZABLE;
    SDL_Window* sdl = SDL_CreateWindow(windowName ? windowName : "", x, y,
                                       std::max(width, 1), std::max(height, 1), flags);
    if (!sdl)
        return nullptr;

    auto* w = new PlatformWindow;
    w->kind = PlatformWindow::Kind::TopLevel;
    w->style = style & ~WS_VISIBLE;
    w->exStyle = exStyle;
    w->sdl = sdl;
    w->sdlId = SDL_GetWindowID(sdl);
    w->proc = cls->second.wc.lpfnWndProc;
    w->className = className;
    w->dc.window = w;
    topLevelWindows().push_back(w);
    applyFullscreen(w);

    CREATESTRUCTA cs{param, instance, menu, parent, height, width, y, x,
                     static_cast<LONG>(style), windowName, className, exStyle};
    if (w->proc(w, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(w);
        return nullptr;
    }
    if (style & WS_VISIBLE)
        ShowWindow(w, SW_SHOW);
    return w;
}

BOOL DestroyWindow(HWND w)
{
    if (w && !w->destroyed && w->kind == PlatformWindow::Kind::Dialog) {
        SendMessageA(w, WM_DESTROY, 0, 0);
        return TRUE;
    }
    if (!alive(w))
        return FALSE;
    w->proc(w, WM_DESTROY, 0, 0);
    // The X window goes away with the process: an OpenGL context may still
    // be current on it until the message loop deletes the context.
    SDL_HideWindow(w->sdl);
    w->destroyed = true;
    if (g_active == w)
        g_active = nullptr;
    return TRUE;
}

LRESULT DefWindowProcA(HWND w, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_CLOSE:
        DestroyWindow(w);
        return 0;
    case WM_SYSKEYDOWN:
        if (wParam == 0x73 /* F4 with Alt */)
            PostMessageA(w, WM_CLOSE, 0, 0);
        return 0;
    default:
        return 0;
    }
}

BOOL IsWindow(HWND w)
{
    return w && !w->destroyed ? TRUE : FALSE;
}

HWND GetActiveWindow()
{
    return alive(g_active) ? g_active : nullptr;
}

BOOL SetForegroundWindow(HWND w)
{
    if (!alive(w))
        return FALSE;
    SDL_RaiseWindow(w->sdl);
    g_active = w;
    return TRUE;
}

HWND SetFocus(HWND w)
{
    HWND previous = GetActiveWindow();
    if (alive(w)) {
        SDL_SetWindowInputFocus(w->sdl);
        g_active = w;
    }
    return previous;
}

HDC GetDC(HWND w)
{
    return alive(w) ? &w->dc : nullptr;
}

HDC BeginPaint(HWND w, PAINTSTRUCT* paint)
{
    HDC dc = GetDC(w);
    if (paint) {
        *paint = PAINTSTRUCT{};
        paint->hdc = dc;
    }
    return dc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT*)
{
    return TRUE;
}

BOOL GetClientRect(HWND w, RECT* rect)
{
    if (!alive(w) || !rect)
        return FALSE;
    int cw = 0, ch = 0;
    SDL_GetWindowSize(w->sdl, &cw, &ch);
    *rect = RECT{0, 0, cw, ch};
    return TRUE;
}

BOOL ClientToScreen(HWND w, POINT* point)
{
    if (!alive(w) || !point)
        return FALSE;
    int wx = 0, wy = 0;
    SDL_GetWindowPosition(w->sdl, &wx, &wy);
    point->x += wx;
    point->y += wy;
    return TRUE;
}

LONG_PTR GetWindowLongA(HWND w, int index)
{
    if (!w)
        return 0;
    if (index == GWL_STYLE)
        return static_cast<LONG_PTR>(w->style | (alive(w) && (SDL_GetWindowFlags(w->sdl) & SDL_WINDOW_SHOWN) ? WS_VISIBLE : 0));
    if (index == GWL_EXSTYLE)
        return static_cast<LONG_PTR>(w->exStyle);
    return 0;
}

LONG_PTR SetWindowLongA(HWND w, int index, LONG_PTR value)
{
    if (!alive(w))
        return 0;
    const LONG_PTR previous = GetWindowLongA(w, index);
    if (index == GWL_EXSTYLE) {
        w->exStyle = static_cast<DWORD>(value);
    } else if (index == GWL_STYLE) {
        w->style = static_cast<DWORD>(value) & ~WS_VISIBLE;
        applyStyle(w);
        if (value & WS_VISIBLE)
            SDL_ShowWindow(w->sdl);
    }
    return previous;
}

BOOL SetWindowPos(HWND w, HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    if (!alive(w))
        return FALSE;
    if (insertAfter == HWND_NOTOPMOST)
        SDL_SetWindowAlwaysOnTop(w->sdl, SDL_FALSE);
    if (!(flags & SWP_NOSIZE))
        SDL_SetWindowSize(w->sdl, std::max(cx, 1), std::max(cy, 1));
    if (!(flags & SWP_NOMOVE))
        SDL_SetWindowPosition(w->sdl, x, y);
    if (flags & SWP_SHOWWINDOW)
        SDL_ShowWindow(w->sdl);
    return TRUE;
}

BOOL ShowWindow(HWND w, int command)
{
    if (!alive(w))
        return FALSE;
    const BOOL wasVisible = (SDL_GetWindowFlags(w->sdl) & SDL_WINDOW_SHOWN) ? TRUE : FALSE;
    switch (command) {
    case SW_HIDE:
        SDL_HideWindow(w->sdl);
        break;
    case SW_RESTORE:
        SDL_RestoreWindow(w->sdl);
        SDL_ShowWindow(w->sdl);
        break;
    default:
        SDL_ShowWindow(w->sdl);
        break;
    }
    // The first showing tells the window its client size.
    if (command != SW_HIDE && !w->everShown) {
        w->everShown = true;
        sendSize(w);
    }
    return wasVisible;
}

BOOL SwapBuffers(HDC dc)
{
    if (!dc || !alive(dc->window))
        return FALSE;
    SDL_GL_SwapWindow(dc->window->sdl);
    return TRUE;
}

int ShowCursor(BOOL show)
{
    g_cursorCount += show ? 1 : -1;
    if (SDL_WasInit(SDL_INIT_VIDEO))
        SDL_ShowCursor(g_cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return g_cursorCount;
}

BOOL SetCursorPos(int x, int y)
{
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return FALSE;
    return SDL_WarpMouseGlobal(x, y) == 0 ? TRUE : FALSE;
}

BOOL EnumDisplaySettingsA(const char*, DWORD modeIndex, DEVMODEA* mode)
{
    if (!mode)
        return FALSE;
    if (modeIndex == ENUM_CURRENT_SETTINGS) {
        if (g_modesOverridden) {
            if (g_modeOverride.empty())
                return FALSE;
            *mode = g_modeOverride.back();
            return TRUE;
        }
        SDL_DisplayMode m{};
        if (!ensure_sdl_video() || SDL_GetCurrentDisplayMode(0, &m) != 0)
            return FALSE;
        mode->dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
        mode->dmBitsPerPel = SDL_BYTESPERPIXEL(m.format) * 8;
        mode->dmPelsWidth = static_cast<DWORD>(m.w);
        mode->dmPelsHeight = static_cast<DWORD>(m.h);
        mode->dmDisplayFrequency = static_cast<DWORD>(m.refresh_rate);
        return TRUE;
    }
    const std::vector<DEVMODEA> modes = displayModes();
    if (modeIndex >= modes.size())
        return FALSE;
    const WORD size = mode->dmSize;
    *mode = modes[modeIndex];
    mode->dmSize = size;
    return TRUE;
}

LONG ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags)
{
    if (!mode) {
        // Back to the desktop's own mode.
        g_fullscreenSet = false;
        for (HWND w : topLevelWindows())
            applyFullscreen(w);
        return DISP_CHANGE_SUCCESSFUL;
    }
    const std::vector<DEVMODEA> modes = displayModes();
    const bool listed = std::any_of(modes.begin(), modes.end(), [&](const DEVMODEA& m) {
        return (!(mode->dmFields & DM_PELSWIDTH) || m.dmPelsWidth == mode->dmPelsWidth)
            && (!(mode->dmFields & DM_PELSHEIGHT) || m.dmPelsHeight == mode->dmPelsHeight);
    });
    if (!listed)
        return DISP_CHANGE_BADMODE;
    if (flags & CDS_FULLSCREEN) {
        static const bool registered = std::atexit(leaveFullscreenAtExit) == 0;
        (void)registered;
        g_fullscreenSet = true;
        g_fullscreenMode = *mode;
        for (HWND w : topLevelWindows())
            applyFullscreen(w);
    }
    return DISP_CHANGE_SUCCESSFUL;
}

void set_display_modes_for_testing(const std::vector<DEVMODEA>* modes)
{
    g_modesOverridden = modes != nullptr;
    g_modeOverride = modes ? *modes : std::vector<DEVMODEA>{};
}

bool window_is_fullscreen(HWND w)
{
    return alive(w) && (SDL_GetWindowFlags(w->sdl) & SDL_WINDOW_FULLSCREEN) != 0;
}

bool window_is_bordered(HWND w)
{
    return alive(w) && (SDL_GetWindowFlags(w->sdl) & SDL_WINDOW_BORDERLESS) == 0;
}
