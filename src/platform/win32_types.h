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

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;
