#pragma once
// The handful of Win32 scalar and handle types the engine's code is written
// against. Handles are opaque pointers owned by the platform layer.
#include <cstdint>

struct PlatformWindow;
struct PlatformDeviceContext;
struct PlatformGLContext;
struct PlatformModule;

using HWND = PlatformWindow*;
using HDC = PlatformDeviceContext*;
using HGLRC = PlatformGLContext*;
using HINSTANCE = PlatformModule*;
using HMODULE = HINSTANCE;

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using LONG = std::int32_t;
using LONG_PTR = std::intptr_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using ULONGLONG = std::uint64_t;
using INT_PTR = std::intptr_t;
using ATOM = WORD;
using SHORT = std::int16_t;

struct PlatformIcon;
struct PlatformCursor;
struct PlatformBrush;
struct PlatformMenu;
using HICON = PlatformIcon*;
using HCURSOR = PlatformCursor*;
using HBRUSH = PlatformBrush*;
using HMENU = PlatformMenu*;

struct POINT {
    LONG x;
    LONG y;
};

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

constexpr WORD LOWORD(std::uintptr_t v) { return static_cast<WORD>(v & 0xFFFF); }
constexpr WORD HIWORD(std::uintptr_t v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
constexpr WPARAM MAKEWPARAM(WORD low, WORD high)
{
    return static_cast<WPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}
constexpr LPARAM MAKELPARAM(WORD low, WORD high)
{
    return static_cast<LPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;
