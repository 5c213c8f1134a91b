#pragma once
// Windows, device contexts, display modes and the calls the fatal-error path
// makes on them. Built on SDL2.
#include "platform/win32_types.h"

constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;

constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_OVERLAPPEDWINDOW =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr DWORD WS_EX_APPWINDOW = 0x00040000;
constexpr DWORD WS_EX_WINDOWEDGE = 0x00000100;

constexpr DWORD CDS_FULLSCREEN = 0x00000004;
constexpr DWORD CDS_RESET = 0x40000000;
constexpr LONG DISP_CHANGE_SUCCESSFUL = 0;
constexpr LONG DISP_CHANGE_FAILED = -1;

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
constexpr DWORD ENUM_CURRENT_SETTINGS = 0xFFFFFFFF;

struct DEVMODEA {
    WORD dmSize;
    DWORD dmFields;
    DWORD dmBitsPerPel;
    DWORD dmPelsWidth;
    DWORD dmPelsHeight;
    DWORD dmDisplayFrequency;
};

HWND GetActiveWindow();
HDC GetDC(HWND window);
LONG ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags);
BOOL EnumDisplaySettingsA(const char* device, DWORD modeIndex, DEVMODEA* mode);
LONG_PTR SetWindowLongA(HWND window, int index, LONG_PTR value);
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL ShowWindow(HWND window, int command);
BOOL SwapBuffers(HDC dc);
