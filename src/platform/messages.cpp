#include "platform/messages.h"

#include <SDL.h>

#include <array>
#include <deque>

#include "platform/sdl_events.h"
#include "platform/window_internal.h"

namespace {

std::deque<MSG>& queue()
{
    static std::deque<MSG> q;
    return q;
}

bool g_quitPosted = false;
int g_quitCode = 0;

// Key state as the keyboard has it, updated as SDL reads events from X.
std::array<bool, 256> g_keyDown{};
std::array<bool, 256> g_keyPressed{};
bool g_watching = false;

void setKey(int vk, bool down)
{
    if (vk <= 0 || vk > 255)
        return;
    if (down && !g_keyDown[vk])
        g_keyPressed[vk] = true;
    g_keyDown[vk] = down;
}

int SDLCALL watchKeys(void*, SDL_Event* e)
{
    switch (e->type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        setKey(virtual_key_from_sdl(e->key.keysym), e->type == SDL_KEYDOWN);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const int vk = e->button.button == SDL_BUTTON_LEFT    ? VK_LBUTTON
                     : e->button.button == SDL_BUTTON_RIGHT   ? VK_RBUTTON
                     : e->button.button == SDL_BUTTON_MIDDLE  ? VK_MBUTTON
                                                              : 0;
        setKey(vk, e->type == SDL_MOUSEBUTTONDOWN);
        break;
    }
    default:
        break;
    }
    return 1;
}

void ensureWatch()
{
    watch_async_keys();
}

// Moves what SDL has seen into the queue as window messages.
void pump()
{
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return;
    ensureWatch();
    std::vector<MSG> translated;
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        Uint32 windowId = 0;
        switch (e.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP: windowId = e.key.windowID; break;
        case SDL_MOUSEMOTION: windowId = e.motion.windowID; break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: windowId = e.button.windowID; break;
        case SDL_MOUSEWHEEL: windowId = e.wheel.windowID; break;
        case SDL_WINDOWEVENT: windowId = e.window.windowID; break;
        default: continue;
        }
        HWND window = window_from_sdl_id(windowId);
        if (!window)
            continue;
        if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED)
            note_active_window(window);
        translated.clear();
        translate_sdl_event(e, window, translated);
        for (const MSG& m : translated)
            queue().push_back(m);
    }
}

bool matches(const MSG& m, HWND window, UINT first, UINT last)
{
    if (window && m.hwnd != window)
        return false;
    if (first == 0 && last == 0)
        return true;
    return m.message >= first && m.message <= last;
}

} // namespace

void watch_async_keys()
{
    if (!g_watching && SDL_WasInit(SDL_INIT_EVENTS)) {
        SDL_AddEventWatch(watchKeys, nullptr);
        g_watching = true;
    }
}

BOOL PeekMessageA(MSG* msg, HWND window, UINT first, UINT last, UINT remove)
{
    pump();
    auto& q = queue();
    for (auto it = q.begin(); it != q.end(); ++it) {
        if (!matches(*it, window, first, last))
            continue;
        *msg = *it;
        if (remove & PM_REMOVE)
            q.erase(it);
        return TRUE;
    }
    // The quit request comes when nothing else is pending for the thread.
    if (g_quitPosted && !window && matches(MSG{nullptr, WM_QUIT, 0, 0, 0, {}}, nullptr, first, last)) {
        *msg = MSG{};
        msg->message = WM_QUIT;
        msg->wParam = static_cast<WPARAM>(g_quitCode);
        if (remove & PM_REMOVE)
            g_quitPosted = false;
        return TRUE;
    }
    return FALSE;
}

LRESULT DispatchMessageA(const MSG* msg)
{
    if (!msg || !msg->hwnd || msg->hwnd->destroyed)
        return 0;
    return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG m{};
    m.hwnd = window;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    queue().push_back(m);
    return TRUE;
}

void PostQuitMessage(int exitCode)
{
    g_quitPosted = true;
    g_quitCode = exitCode;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!window || window->destroyed)
        return 0;
    if (window->kind == PlatformWindow::Kind::TopLevel)
        return window->proc ? window->proc(window, message, wParam, lParam) : 0;
    return window->handler ? window->handler(message, wParam, lParam) : 0;
}

SHORT GetAsyncKeyState(int virtualKey)
{
    if (virtualKey <= 0 || virtualKey > 255)
        return 0;
    if (SDL_WasInit(SDL_INIT_EVENTS)) {
        ensureWatch();
        SDL_PumpEvents();
    }
    SHORT state = 0;
    if (g_keyDown[virtualKey])
        state = static_cast<SHORT>(0x8000);
    if (g_keyPressed[virtualKey])
        state = static_cast<SHORT>(state | 1);
    g_keyPressed[virtualKey] = false;
    return state;
}

void reset_message_queue_for_testing()
{
    queue().clear();
    g_quitPosted = false;
    g_quitCode = 0;
}
