#pragma once
// Modal dialogs built from in-memory dialog templates (the standard layout:
// header, menu, class, caption, optional font, then the items). The layer
// reads the template bytes and shows real FLTK widgets at the template's
// positions; the dialog procedure sees WM_INITDIALOG and WM_COMMAND as on
// Windows. Supported controls: "STATIC", "BUTTON" (push, default push, check
// boxes) and "COMBOBOX" (drop-down lists), by name or by class number.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/messages.h"
#include "platform/window.h"

using DLGPROC = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

constexpr DWORD DS_SETFONT = 0x40;
constexpr DWORD DS_MODALFRAME = 0x80;

constexpr DWORD BS_PUSHBUTTON = 0x0;
constexpr DWORD BS_DEFPUSHBUTTON = 0x1;
constexpr DWORD BS_CHECKBOX = 0x2;
constexpr DWORD BS_AUTOCHECKBOX = 0x3;
constexpr DWORD BS_TYPEMASK = 0xF;
constexpr DWORD CBS_DROPDOWNLIST = 0x3;

// Notification codes (high word of WM_COMMAND's wParam).
constexpr WORD BN_CLICKED = 0;
constexpr WORD CBN_SELCHANGE = 1;
constexpr WORD CBN_SELENDOK = 9;

constexpr UINT BM_GETCHECK = 0x00F0;
constexpr UINT BM_SETCHECK = 0x00F1;
constexpr WPARAM BST_UNCHECKED = 0;
constexpr WPARAM BST_CHECKED = 1;

constexpr UINT CB_ADDSTRING = 0x0143;
constexpr UINT CB_GETCOUNT = 0x0146;
constexpr UINT CB_GETCURSEL = 0x0147;
constexpr UINT CB_GETLBTEXT = 0x0148;
constexpr UINT CB_GETLBTEXTLEN = 0x0149;
constexpr UINT CB_SETCURSEL = 0x014E;
constexpr LRESULT CB_ERR = -1;

// Shows the dialog and runs its modal loop until EndDialog; returns the
// value given to EndDialog, or -1 when the template cannot be read or no
// display can be opened. Enter answers the default push button (id 1 when
// the template marks none); Escape and the close box answer id 2.
INT_PTR DialogBoxIndirectParamA(HINSTANCE instance, const void* dialogTemplate, HWND parent,
                                DLGPROC dialogProc, LPARAM initParam);
// Builds the dialog and its controls without showing them and sends
// WM_INITDIALOG; the dialog lives until DestroyWindow. Tests drive dialog
// procedures this way, without a display.
HWND CreateDialogIndirectParamA(HINSTANCE instance, const void* dialogTemplate, HWND parent,
                                DLGPROC dialogProc, LPARAM initParam);
BOOL EndDialog(HWND dialog, INT_PTR result);
// Whether EndDialog was called for a live dialog, and with what result.
bool dialog_has_ended(HWND dialog, INT_PTR* result);
HWND GetDlgItem(HWND dialog, int id);

// The template as the layer reads it.
struct DialogItemInfo {
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0, y = 0, width = 0, height = 0;
    WORD id = 0;
    std::string className; // "STATIC", "BUTTON", "COMBOBOX", ... (numbers mapped to names)
    std::string text;      // UTF-8
};
struct DialogInfo {
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0, y = 0, width = 0, height = 0;
    std::string caption; // UTF-8
    int pointSize = 0;
    std::string fontFace;
    std::vector<DialogItemInfo> items;
};
// Reads a template; false when it is malformed.
bool read_dialog_template(const void* dialogTemplate, DialogInfo& out);

// Dialog units to pixels: the system font's base units are 8 x 16 pixels.
int dialog_units_to_pixels_x(int units);
int dialog_units_to_pixels_y(int units);
