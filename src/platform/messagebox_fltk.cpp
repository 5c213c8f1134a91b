#include "platform/messagebox_fltk.h"

#include <X11/Xlib.h>

#include <FL/Fl.H>
#include <FL/fl_ask.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <algorithm>
#include <cmath>

#include "platform/messagebox.h"
#include "platform/messagebox_wrap.h"

bool show_fltk_message_box(const char* text, const char* caption, UINT type, int* answer,
                           std::string* why)
{
    // FLTK ends the process when it cannot open its display itself, so the
    // display is opened here first and handed over.
    if (!fl_display) {
        Display* display = XOpenDisplay(nullptr);
        if (!display) {
            *why = "cannot open the X display";
            return false;
        }
        fl_open_display(display);
    }
    // The box takes the width of its longest line, measured in the box's
    // font, and is 67 pixels tall plus a line's height a line (measured:
    // FLTK 1.3). Its caption is the window's title, which does not size the
    // box.
    fl_font(fl_message_font_, fl_message_size_ > 0 ? fl_message_size_ : FL_NORMAL_SIZE);
    const std::string lines = keep_lines(wrap_lines(text, kMessageBoxTextWidth, [](std::string_view s) {
        return static_cast<int>(std::ceil(fl_width(s.data(), static_cast<int>(s.size()))));
    }), (kMessageBoxHeight - 67) / std::max(fl_height(), 1));
    // An "@" starts a symbol in a label: "@@" draws the "@" itself.
    std::string label;
    label.reserve(lines.size());
    for (char c : lines) {
        label += c;
        if (c == '@')
            label += '@';
    }
    text = label.c_str();
    fl_message_title(caption);
    if ((type & 0xF) == MB_OKCANCEL) {
        // Button 0 answers Escape and the close box as well.
        *answer = fl_choice("%s", fl_cancel, fl_ok, nullptr, text) == 1 ? IDOK : IDCANCEL;
        return true;
    }
    const char* close = fl_close;
    fl_close = fl_ok;
    if ((type & 0xF0) == MB_ICONERROR || (type & 0xF0) == MB_ICONWARNING)
        fl_alert("%s", text);
    else
        fl_message("%s", text);
    fl_close = close;
    *answer = IDOK;
    return true;
}
