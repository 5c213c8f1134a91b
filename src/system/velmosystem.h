#pragma once
// All run-time settings and handles of the program, as static members, and
// the table of compiled-in productions.
#include <string>

#include "platform/win32_types.h"

class SceneManager;

namespace LoadingScreenType {
enum : int { ProgressBar = 0, Ascii = 1, Circles = 2 };
}

class VelmoSystem {
public:
    static HINSTANCE hInstance;
    static HWND hWnd;
    static HDC hDC;
    static HGLRC hGLRC;
    static int width;
    static int height;
    static int aspectNumerator;
    static int aspectDenominator;
    static int fullscreen;
    static int vsync;
    static int samples;
    static int dataFileMode;
    static const char* dataFileName;
    static float volume;
    static float bpm;
    static float beatOffset;
    static int sceneSet;
    static std::string title;
    static std::string musicFile;
    static std::string logoImage;
    static int loadingScreenType;
    static int loadingFadeMs;
    static bool dumpVideo;
    static int syncClient;
    static char syncServerAddress[256];
    static bool quitPosted;
    static SceneManager* sceneManager;
};

// Copies the selected production's title, music, logo, loading screen,
// fade-out time and tempo into VelmoSystem.
void selectSceneSet();
