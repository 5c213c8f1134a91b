#include "system/velmosystem.h"

#include "system/fatal_error.h"

HINSTANCE VelmoSystem::hInstance = nullptr;
HWND VelmoSystem::hWnd = nullptr;
HDC VelmoSystem::hDC = nullptr;
HGLRC VelmoSystem::hGLRC = nullptr;
int VelmoSystem::width = -1;
int VelmoSystem::height = -1;
int VelmoSystem::aspectNumerator = 16;
int VelmoSystem::aspectDenominator = 9;
int VelmoSystem::fullscreen = 1;
int VelmoSystem::vsync = 1;
int VelmoSystem::samples = 4;
int VelmoSystem::dataFileMode = 1;
const char* VelmoSystem::dataFileName = "data.vlm";
float VelmoSystem::volume = 1.0f;
float VelmoSystem::bpm = 75.0f;
float VelmoSystem::beatOffset = 0.0f;
// VelmoSystem::sceneSet is defined in the build's production_index.cpp
// (src/system/production_index.cpp.in), from the VELMO_PRODUCTION build setting.
std::string VelmoSystem::title = "Internal debugging";
std::string VelmoSystem::musicFile;
std::string VelmoSystem::logoImage;
int VelmoSystem::loadingScreenType = LoadingScreenType::ProgressBar;
int VelmoSystem::loadingFadeMs = 0;
bool VelmoSystem::dumpVideo = false;
int VelmoSystem::syncClient = 0;
char VelmoSystem::syncServerAddress[256] = "127.0.0.1";
bool VelmoSystem::quitPosted = false;
SceneManager* VelmoSystem::sceneManager = nullptr;

void selectSceneSet()
{
    switch (static_cast<unsigned>(VelmoSystem::sceneSet)) {
    case 0:
        break;
    case 1:
        VelmoSystem::title = "orvik - lantern";
        VelmoSystem::logoImage = "";
        VelmoSystem::loadingScreenType = LoadingScreenType::Circles;
        VelmoSystem::loadingFadeMs = 1000;
        VelmoSystem::musicFile = "data/music/Tressal_-_Lantern.mp3";
        VelmoSystem::bpm = 75.0f;
        break;
    case 2:
        VelmoSystem::title = "Quibbo";
        VelmoSystem::logoImage = "data/common/images/velmorin_logo_16_9.png";
        VelmoSystem::loadingScreenType = LoadingScreenType::ProgressBar;
        VelmoSystem::loadingFadeMs = 500;
        VelmoSystem::musicFile = "data/music/funkysomething.xml";
        break;
    case 3:
        VelmoSystem::title = "Glass Harbour Signal";
        VelmoSystem::loadingScreenType = LoadingScreenType::Ascii;
        VelmoSystem::loadingFadeMs = 0;
        VelmoSystem::musicFile = "data/music/glass_harbour_signal.xml";
        VelmoSystem::bpm = 155.0f;
        break;
    default:
        FATAL_ERROR("Unknown scene set!");
    }
}
