#include <GL/glew.h>

#include <cstring>
#include <string>

#include "platform/heap_policy.h"
#include "platform/messagebox.h"
#include "platform/window.h"
#include "scenes.h"
#include "system/fatal_error.h"
#include "system/os_windows.h"
#include "system/velmosystem.h"
#include "util/data/data_layer.h"
#include "util/data/datafile.h"
#include "util/data/loading_screen.h"

namespace {

constexpr int kRun = 1;
constexpr int kRecordVideo = 106;

bool syncServerIsLocal()
{
    const char* address = VelmoSystem::syncServerAddress;
    return std::strcmp(address, "localhost") == 0 || std::strcmp(address, "127.0.0.1") == 0
        || address[0] == '\0';
}

} // namespace

int main(int /*argc*/, char** /*argv*/, char** /*envp*/)
{
    VelmoSystem::hInstance = GetModuleHandleA(nullptr);
    selectSceneSet();

    const int choice = showSettingsDialog(VelmoSystem::hInstance, nullptr);
    if (choice != kRun && choice != kRecordVideo)
        return 0;

    if (VelmoSystem::dumpVideo)
        VelmoSystem::fullscreen = 0;
    if (VelmoSystem::syncClient && syncServerIsLocal())
        VelmoSystem::fullscreen = 0;

    keep_freed_heap_memory();
    createWindow();

    const GLenum glewResult = glewInit();
    if (glewResult != GLEW_OK)
        FATAL_ERROR(std::string("GLEW Error: ") + reinterpret_cast<const char*>(glewGetErrorString(glewResult)));

    checkExtensions();

    if (VelmoSystem::syncClient && VelmoSystem::dataFileMode == DataFileMode::Write) {
        MessageBoxA(nullptr, "Can't act as Sync Client in data file write mode!", "Warning", MB_OK);
        VelmoSystem::syncClient = 0;
    }

    set_datafile_mode(VelmoSystem::dataFileMode);
    loading_init(VelmoSystem::width, VelmoSystem::height,
                 static_cast<float>(VelmoSystem::aspectNumerator) / static_cast<float>(VelmoSystem::aspectDenominator));
    read_datafile(VelmoSystem::dataFileName);
    load_loading_texture();

    SceneManager* sceneManager = new SceneManager();

    write_datafile(VelmoSystem::dataFileName);

    sceneManager->start();
    runMessageLoop(sceneManager);
    delete sceneManager;

    delete_temp_files();
    return 0;
}
