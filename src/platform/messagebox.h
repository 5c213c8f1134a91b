#pragma once
// Modal message boxes. They block until answered, as the engine expects.
// Tests answer them through set_message_box_responder instead of a display.
#include <functional>
#include <string>

#include "platform/win32_types.h"

constexpr UINT MB_OK = 0x0;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

// Shows a box with `text` and `caption` and the buttons `type` asks for;
// returns IDOK or IDCANCEL. The caption and the whole text go to standard
// output first: a box too long for the screen leaves lines out. The window
// library's box comes first; when it cannot be shown (no display, no core X
// fonts, any failure) the toolkit's box of the settings dialog takes its
// place; when that fails too, the failure and the whole text go to standard
// error and the answer is the box's default: OK, or Cancel (the Escape
// answer) for MB_OKCANCEL.
int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type);

// The same box without the copy on standard output, for a caller that writes
// the text there itself.
int message_box_uncopied(const char* text, const char* caption, UINT type);

// When set, every box goes to the responder instead of the screen (and
// standard output) and its answer is returned. Pass an empty function to
// show real boxes again.
using MessageBoxResponder = std::function<int(const char* text, const char* caption, UINT type)>;
void set_message_box_responder(MessageBoxResponder responder);

// One way of showing a box: true when it was answered (*answer set), false
// with the reason in *why when it could not be shown.
using MessageBoxPath = std::function<bool(const char* text, const char* caption, UINT type,
                                          int* answer, std::string* why)>;
// Replaces the window library's box, so that tests can make it fail and
// reach the fallbacks. An empty function puts the window library back.
void set_message_box_first_path(MessageBoxPath path);
