#pragma once
// What a window handle points at. Private to the platform layer.
#include <functional>
#include <string>
#include <vector>

#include "platform/window.h"

struct SDL_Window;

struct PlatformDeviceContext {
    HWND window = nullptr;
};

struct PlatformWindow {
    enum class Kind { TopLevel, Dialog, Control };
    Kind kind = Kind::TopLevel;
    DWORD style = 0;
    DWORD exStyle = 0;
    bool destroyed = false;

    // Top-level windows.
    SDL_Window* sdl = nullptr;
    unsigned sdlId = 0;
    WNDPROC proc = nullptr;
    std::string className;
    PlatformDeviceContext dc;
    bool everShown = false;

    // Dialogs and their controls answer messages themselves.
    int id = 0;
    HWND parent = nullptr;
    std::vector<HWND> children;
    std::function<LRESULT(UINT, WPARAM, LPARAM)> handler;
};

// Looks up the top-level window that SDL knows by this window id.
HWND window_from_sdl_id(unsigned sdlId);
// Starts SDL's video on X11 once; false when there is no display.
bool ensure_sdl_video();
// The window the user made active (it took the keyboard focus).
void note_active_window(HWND window);
// Starts following the keyboard for GetAsyncKeyState (once SDL's video runs).
void watch_async_keys();
