#pragma once
// File attributes, as the engine asks for them. Built on stat.
#include "platform/win32_types.h"

constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;
constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x00000001;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x00000010;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080;

// INVALID_FILE_ATTRIBUTES when the path does not exist.
DWORD GetFileAttributesA(const char* path);
