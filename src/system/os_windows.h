#pragma once
// The program's side of the window system: the settings dialog, the window
// with its OpenGL context, the extension check, the message loop and the
// buffer swap.
#include <cstdint>

#include "platform/win32_types.h"

class SceneManager;

// Builds the settings dialog in memory and runs it modally: 1 for "&Run" or
// Enter, 106 for "Get &avi", 2 for "&Quit", Escape or the close box.
int showSettingsDialog(HINSTANCE instance, HWND parent);
// The settings dialog's template, built in memory (release with std::free).
std::uint8_t* makeSettingsDialogTemplate();
// The settings dialog's procedure; writes every choice into VelmoSystem.
INT_PTR settingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Registers the window class, sets the fullscreen mode when asked, creates
// the window (its WM_CREATE makes the OpenGL context current) and hides the
// cursor.
void createWindow();
LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void setSwapInterval(bool vsync);
// Asks whether to go on when an OpenGL extension the show uses is missing;
// Cancel ends the process with exit code 1.
void checkExtensions();

// Runs one frame of the scene manager, then the pending window messages,
// until the quit message; deletes the OpenGL context on the way out.
void runMessageLoop(SceneManager* sceneManager);
void swapBuffers();
