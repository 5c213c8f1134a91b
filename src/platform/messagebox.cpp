#include "platform/messagebox.h"

#include <SDL.h>

#include "platform/window_internal.h"

namespace {
MessageBoxResponder& responder()
{
    static MessageBoxResponder r;
    return r;
}
}

void set_message_box_responder(MessageBoxResponder r)
{
    responder() = std::move(r);
}

int MessageBoxA(HWND /*owner*/, const char* text, const char* caption, UINT type)
{
    if (responder())
        return responder()(text, caption, type);

    ensure_sdl_video(); // with the layer's settings (X11, signals left alone)

    const bool withCancel = (type & 0xF) == MB_OKCANCEL;
    SDL_MessageBoxButtonData buttons[2] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDOK, "OK"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDCANCEL, "Cancel"},
    };
    if (!withCancel)
        buttons[0].flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;

    Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
    if ((type & 0xF0) == MB_ICONERROR)
        flags = SDL_MESSAGEBOX_ERROR;
    else if ((type & 0xF0) == MB_ICONWARNING)
        flags = SDL_MESSAGEBOX_WARNING;

    SDL_MessageBoxData data{};
    data.flags = flags;
    data.title = caption ? caption : "";
    data.message = text ? text : "";
    data.numbuttons = withCancel ? 2 : 1;
    data.buttons = buttons;

    int pressed = 0;
    if (SDL_ShowMessageBox(&data, &pressed) != 0)
        return 0;
    // Closing the box by its frame answers like Escape.
    if (pressed < 0)
        pressed = withCancel ? IDCANCEL : IDOK;
    return pressed;
}
