#pragma once
// The toolkit's own message box (FLTK, as the settings dialog uses): the
// fallback when the window library cannot show one.
#include <string>

#include "platform/win32_types.h"

// Shows `text` under `caption` with OK, or OK and Cancel for MB_OKCANCEL
// (Return answers OK; Escape and the close box answer Cancel, or OK when it
// is the only button), and sets *answer. False, with the reason in *why,
// when no X display can be opened.
bool show_fltk_message_box(const char* text, const char* caption, UINT type, int* answer,
                           std::string* why);
