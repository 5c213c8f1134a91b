#include "platform/window.h"

// Placeholder until the SDL window exists: with no window every call acts on
// nothing, which is what the fatal-error path expects before start-up.
HWND GetActiveWindow() { return nullptr; }
HDC GetDC(HWND) { return nullptr; }
LONG ChangeDisplaySettingsA(DEVMODEA*, DWORD) { return DISP_CHANGE_SUCCESSFUL; }
BOOL EnumDisplaySettingsA(const char*, DWORD, DEVMODEA*) { return FALSE; }
LONG_PTR SetWindowLongA(HWND, int, LONG_PTR) { return 0; }
BOOL SetWindowPos(HWND, HWND, int, int, int, int, UINT) { return FALSE; }
BOOL ShowWindow(HWND, int) { return FALSE; }
BOOL SwapBuffers(HDC) { return FALSE; }
