#include "platform/sdl_events.h"

namespace {

int fromKeycode(SDL_Keycode k)
{
    if (k >= SDLK_a && k <= SDLK_z)
        return 'A' + (k - SDLK_a);
    if (k >= SDLK_0 && k <= SDLK_9)
        return '0' + (k - SDLK_0);
    switch (k) {
    case SDLK_SEMICOLON: return VK_OEM_1;
    case SDLK_EQUALS: return VK_OEM_PLUS;
    case SDLK_COMMA: return VK_OEM_COMMA;
    case SDLK_MINUS: return VK_OEM_MINUS;
    case SDLK_PERIOD: return VK_OEM_PERIOD;
    case SDLK_SLASH: return VK_OEM_2;
    case SDLK_BACKQUOTE: return VK_OEM_3;
    case SDLK_LEFTBRACKET: return VK_OEM_4;
    case SDLK_BACKSLASH: return VK_OEM_5;
    case SDLK_RIGHTBRACKET: return VK_OEM_6;
    case SDLK_QUOTE: return VK_OEM_7;
    default: return 0;
    }
}

int fromScancode(SDL_Scancode s)
{
    if (s >= SDL_SCANCODE_F1 && s <= SDL_SCANCODE_F12)
        return VK_F1 + (s - SDL_SCANCODE_F1);
    if (s >= SDL_SCANCODE_KP_1 && s <= SDL_SCANCODE_KP_9)
        return VK_NUMPAD0 + 1 + (s - SDL_SCANCODE_KP_1);
    switch (s) {
    case SDL_SCANCODE_ESCAPE: return VK_ESCAPE;
    case SDL_SCANCODE_RETURN: return VK_RETURN;
    case SDL_SCANCODE_KP_ENTER: return VK_RETURN;
    case SDL_SCANCODE_SPACE: return VK_SPACE;
    case SDL_SCANCODE_TAB: return VK_TAB;
    case SDL_SCANCODE_BACKSPACE: return VK_BACK;
    case SDL_SCANCODE_LSHIFT:
    case SDL_SCANCODE_RSHIFT: return VK_SHIFT;
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL: return VK_CONTROL;
    case SDL_SCANCODE_LALT:
    case SDL_SCANCODE_RALT: return VK_MENU;
    case SDL_SCANCODE_PAUSE: return VK_PAUSE;
    case SDL_SCANCODE_CAPSLOCK: return VK_CAPITAL;
    case SDL_SCANCODE_PAGEUP: return VK_PRIOR;
    case SDL_SCANCODE_PAGEDOWN: return VK_NEXT;
    case SDL_SCANCODE_END: return VK_END;
    case SDL_SCANCODE_HOME: return VK_HOME;
    case SDL_SCANCODE_LEFT: return VK_LEFT;
    case SDL_SCANCODE_UP: return VK_UP;
    case SDL_SCANCODE_RIGHT: return VK_RIGHT;
    case SDL_SCANCODE_DOWN: return VK_DOWN;
    case SDL_SCANCODE_PRINTSCREEN: return VK_SNAPSHOT;
    case SDL_SCANCODE_INSERT: return VK_INSERT;
    case SDL_SCANCODE_DELETE: return VK_DELETE;
    case SDL_SCANCODE_LGUI: return VK_LWIN;
    case SDL_SCANCODE_RGUI: return VK_RWIN;
    case SDL_SCANCODE_APPLICATION: return VK_APPS;
    case SDL_SCANCODE_KP_0: return VK_NUMPAD0;
    case SDL_SCANCODE_KP_MULTIPLY: return VK_MULTIPLY;
    case SDL_SCANCODE_KP_PLUS: return VK_ADD;
    case SDL_SCANCODE_KP_MINUS: return VK_SUBTRACT;
    case SDL_SCANCODE_KP_PERIOD: return VK_DECIMAL;
    case SDL_SCANCODE_KP_DIVIDE: return VK_DIVIDE;
    case SDL_SCANCODE_NUMLOCKCLEAR: return VK_NUMLOCK;
    case SDL_SCANCODE_SCROLLLOCK: return VK_SCROLL;
    default: return 0;
    }
}

WPARAM mouseKeyState(Uint32 buttons)
{
    WPARAM state = 0;
    if (buttons & SDL_BUTTON_LMASK)
        state |= MK_LBUTTON;
    if (buttons & SDL_BUTTON_RMASK)
        state |= MK_RBUTTON;
    if (buttons & SDL_BUTTON_MMASK)
        state |= MK_MBUTTON;
    const SDL_Keymod mods = SDL_GetModState();
    if (mods & KMOD_SHIFT)
        state |= MK_SHIFT;
    if (mods & KMOD_CTRL)
        state |= MK_CONTROL;
    return state;
}

LPARAM point(int x, int y)
{
    return MAKELPARAM(static_cast<WORD>(x & 0xFFFF), static_cast<WORD>(y & 0xFFFF));
}

} // namespace

int virtual_key_from_sdl(const SDL_Keysym& key)
{
    // Keypad keys go by position whatever NumLock says.
    const int byPosition = fromScancode(key.scancode);
    if (byPosition)
        return byPosition;
    return fromKeycode(key.sym);
}

void translate_sdl_event(const SDL_Event& e, HWND window, std::vector<MSG>& out)
{
    auto push = [&](UINT message, WPARAM wParam, LPARAM lParam) {
        MSG m{};
        m.hwnd = window;
        m.message = message;
        m.wParam = wParam;
        m.lParam = lParam;
        m.time = e.common.timestamp;
        out.push_back(m);
    };

    switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        const int vk = virtual_key_from_sdl(e.key.keysym);
        if (!vk)
            return;
        const bool down = e.type == SDL_KEYDOWN;
        // Alt held, Alt itself and F10 make system keys.
        const bool system = (e.key.keysym.mod & KMOD_ALT) || vk == VK_MENU || vk == VK_F10;
        // Repeat count 1, scan code, context (Alt) bit, previous state, transition.
        LPARAM lParam = 1 | (static_cast<LPARAM>(e.key.keysym.scancode & 0xFF) << 16);
        if (e.key.keysym.mod & KMOD_ALT)
            lParam |= 1 << 29;
        if (!down || e.key.repeat)
            lParam |= 1 << 30;
        if (!down)
            lParam |= static_cast<LPARAM>(1u << 31);
        const UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN)
                                  : (system ? WM_SYSKEYUP : WM_KEYUP);
        push(message, static_cast<WPARAM>(vk), lParam);
        return;
    }
    case SDL_MOUSEMOTION:
        push(WM_MOUSEMOVE, mouseKeyState(e.motion.state), point(e.motion.x, e.motion.y));
        return;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const bool down = e.type == SDL_MOUSEBUTTONDOWN;
        UINT message = 0;
        switch (e.button.button) {
        case SDL_BUTTON_LEFT: message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
        case SDL_BUTTON_RIGHT: message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
        case SDL_BUTTON_MIDDLE: message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
        default: return;
        }
        push(message, mouseKeyState(SDL_GetMouseState(nullptr, nullptr)),
             point(e.button.x, e.button.y));
        return;
    }
    case SDL_MOUSEWHEEL: {
        int delta = e.wheel.y * WHEEL_DELTA;
        if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
            delta = -delta;
        if (delta == 0)
            return;
        int gx = 0, gy = 0;
        const Uint32 buttons = SDL_GetGlobalMouseState(&gx, &gy);
        push(WM_MOUSEWHEEL,
             MAKEWPARAM(static_cast<WORD>(mouseKeyState(buttons)), static_cast<WORD>(delta & 0xFFFF)),
             point(gx, gy));
        return;
    }
    case SDL_WINDOWEVENT:
        switch (e.window.event) {
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            push(WM_SIZE, SIZE_RESTORED, point(e.window.data1, e.window.data2));
            return;
        case SDL_WINDOWEVENT_RESTORED: {
            int w = 0, h = 0;
            if (SDL_Window* sdl = SDL_GetWindowFromID(e.window.windowID))
                SDL_GetWindowSize(sdl, &w, &h);
            push(WM_SIZE, SIZE_RESTORED, point(w, h));
            return;
        }
        case SDL_WINDOWEVENT_MINIMIZED:
            push(WM_SIZE, SIZE_MINIMIZED, 0);
            return;
        case SDL_WINDOWEVENT_EXPOSED:
            push(WM_PAINT, 0, 0);
            return;
        case SDL_WINDOWEVENT_CLOSE:
            push(WM_CLOSE, 0, 0);
            return;
        default:
            return;
        }
    default:
        return;
    }
}
