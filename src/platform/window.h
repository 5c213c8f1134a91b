#pragma once
// Window classes, top-level windows, device contexts, display modes and the
// cursor. Built on SDL2 (X11). Window decorations belong to the X window
// manager, outside the client area, so a window's size is its client size.
#include <vector>

#include "platform/win32_types.h"

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;

constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_MINIMIZE = 0x20000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_OVERLAPPEDWINDOW =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr DWORD WS_EX_WINDOWEDGE = 0x00000100;
constexpr DWORD WS_EX_CONTROLPARENT = 0x00010000;
constexpr DWORD WS_EX_APPWINDOW = 0x00040000;

constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_OWNDC = 0x0020;

constexpr DWORD CDS_FULLSCREEN = 0x00000004;
constexpr DWORD CDS_RESET = 0x40000000;
constexpr LONG DISP_CHANGE_SUCCESSFUL = 0;
constexpr LONG DISP_CHANGE_FAILED = -1;
constexpr LONG DISP_CHANGE_BADMODE = -2;

constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
inline const HWND HWND_NOTOPMOST = reinterpret_cast<HWND>(static_cast<std::intptr_t>(-2));

constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;
constexpr int SW_RESTORE = 9;

constexpr DWORD DM_BITSPERPEL = 0x00040000;
constexpr DWORD DM_PELSWIDTH = 0x00080000;
constexpr DWORD DM_PELSHEIGHT = 0x00100000;
constexpr DWORD DM_DISPLAYFREQUENCY = 0x00400000;
constexpr DWORD ENUM_CURRENT_SETTINGS = 0xFFFFFFFF;

// The fields of the display-mode record that the engine reads and writes.
struct DEVMODEA {
    WORD dmSize;
    DWORD dmFields;
    DWORD dmBitsPerPel;
    DWORD dmPelsWidth;
    DWORD dmPelsHeight;
    DWORD dmDisplayFrequency;
};

struct WNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    const char* lpszMenuName;
    const char* lpszClassName;
};

struct CREATESTRUCTA {
    void* lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    const char* lpszName;
    const char* lpszClass;
    DWORD dwExStyle;
};

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
};

// Resource numbers in place of names (icons and cursors of the system).
inline const char* MAKEINTRESOURCEA(WORD number)
{
    return reinterpret_cast<const char*>(static_cast<std::uintptr_t>(number));
}
inline const char* const IDI_WINLOGO = MAKEINTRESOURCEA(32517);
inline const char* const IDC_ARROW = MAKEINTRESOURCEA(32512);

HINSTANCE GetModuleHandleA(const char* moduleName);
HICON LoadIconA(HINSTANCE instance, const char* name);
HCURSOR LoadCursorA(HINSTANCE instance, const char* name);

ATOM RegisterClassA(const WNDCLASSA* windowClass);
BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle);
// Creates the window; WM_CREATE runs inside this call. A WS_POPUP window
// created while a fullscreen mode is set covers the display in that mode.
HWND CreateWindowExA(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                     int x, int y, int width, int height, HWND parent, HMENU menu,
                     HINSTANCE instance, void* param);
BOOL DestroyWindow(HWND window);
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL IsWindow(HWND window);

HWND GetActiveWindow();
BOOL SetForegroundWindow(HWND window);
HWND SetFocus(HWND window);
HDC GetDC(HWND window);
HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);
BOOL GetClientRect(HWND window, RECT* rect);
BOOL ClientToScreen(HWND window, POINT* point);
LONG_PTR GetWindowLongA(HWND window, int index);
LONG_PTR SetWindowLongA(HWND window, int index, LONG_PTR value);
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL ShowWindow(HWND window, int command);
BOOL SwapBuffers(HDC dc);

int ShowCursor(BOOL show);
BOOL SetCursorPos(int x, int y);

// Display modes of the primary display, smallest first. A fullscreen change
// (CDS_FULLSCREEN) must name a listed size; a null mode returns to the desktop.
BOOL EnumDisplaySettingsA(const char* device, DWORD modeIndex, DEVMODEA* mode);
LONG ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags);

// Test seam: when given, the display lists exactly these modes (in this
// order) instead of asking the X server; null asks the server again.
void set_display_modes_for_testing(const std::vector<DEVMODEA>* modes);

// Whether the window currently covers the display in a fullscreen mode, and
// its client size. Used by tests to look at what the calls above did.
bool window_is_fullscreen(HWND window);
bool window_is_bordered(HWND window);
