#include "platform/messagebox.h"

#include <SDL.h>

#include <cstdio>

#include "platform/messagebox_fltk.h"
#include "platform/messagebox_wrap.h"
#include "platform/window_internal.h"

namespace {

MessageBoxResponder& responder()
{
    static MessageBoxResponder r;
    return r;
}

MessageBoxPath& first_path()
{
    static MessageBoxPath p;
    return p;
}

// The window library's X11 box writes in a fixed font 7 pixels wide a
// character, 14 for one beyond U+FFFF, up to 17 for one the core fonts' CJK
// faces draw, and adds 15 pixels of margin on either side. It is 82 pixels
// tall plus 15 a line, or 88 plus 18 a line once a character takes one of
// the CJK faces (measured: SDL 2.26 with the core fonts of xfonts-base).
constexpr int kSdlCharacterWidth = 7;
constexpr int kSdlLines = (kMessageBoxHeight - 88) / 18;

bool with_cancel(UINT type)
{
    return (type & 0xF) == MB_OKCANCEL;
}

bool show_sdl_message_box(const char* text, const char* caption, UINT type, int* answer,
                          std::string* why)
{
    ensure_sdl_video(); // with the layer's settings (X11, signals left alone)

    const bool withCancel = with_cancel(type);
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

    // The box takes the width of its longest line. Its caption is the
    // window's title, which does not size the box (a window manager clips a
    // long title to the frame).
    const std::string lines = keep_lines(wrap_lines(text, kMessageBoxTextWidth, [](std::string_view s) {
        return kSdlCharacterWidth * static_cast<int>(utf8_columns(s));
    }), kSdlLines);
    SDL_MessageBoxData data{};
    data.flags = flags;
    data.title = caption;
    data.message = lines.c_str();
    data.numbuttons = withCancel ? 2 : 1;
    data.buttons = buttons;

    int pressed = 0;
    if (SDL_ShowMessageBox(&data, &pressed) != 0) {
        *why = SDL_GetError();
        return false;
    }
    // Closing the box by its frame answers like Escape.
    *answer = pressed < 0 ? (withCancel ? IDCANCEL : IDOK) : pressed;
    return true;
}

} // namespace

void set_message_box_responder(MessageBoxResponder r)
{
    responder() = std::move(r);
}

void set_message_box_first_path(MessageBoxPath path)
{
    first_path() = std::move(path);
}

namespace {

int show_message_box(const char* text, const char* caption, UINT type, bool copyToOutput)
{
    if (responder())
        return responder()(text, caption, type);
    text = text ? text : "";
    caption = caption ? caption : "";
    if (copyToOutput) {
        // The box may have to leave lines out, and it is gone once answered.
        std::printf("%s\n%s\n", caption, text);
        std::fflush(stdout);
    }

    int answer = 0;
    std::string firstWhy, toolkitWhy;
    const bool shown = first_path() ? first_path()(text, caption, type, &answer, &firstWhy)
                                    : show_sdl_message_box(text, caption, type, &answer, &firstWhy);
    if (shown || show_fltk_message_box(text, caption, type, &answer, &toolkitWhy))
        return answer;

    answer = with_cancel(type) ? IDCANCEL : IDOK;
    std::fprintf(stderr,
                 "No message box could be shown (window library: %s; toolkit: %s); answered %s.\n"
                 "%s\n%s\n",
                 firstWhy.c_str(), toolkitWhy.c_str(), answer == IDOK ? "OK" : "Cancel", caption,
                 text);
    std::fflush(stderr);
    return answer;
}

} // namespace

int MessageBoxA(HWND /*owner*/, const char* text, const char* caption, UINT type)
{
    return show_message_box(text, caption, type, true);
}

int message_box_uncopied(const char* text, const char* caption, UINT type)
{
    return show_message_box(text, caption, type, false);
}
