#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

#include "platform/messagebox.h"
#include "platform/window.h"
#include "system/fatal_error.h"
#include "util/data/data_layer.h"

// The fuzz targets link only the data layer and the fatal-error path. With
// fatal errors thrown, the window and message-box calls of that path are
// never reached; these stand-ins only satisfy the linker.
HWND GetActiveWindow() { return nullptr; }
HDC GetDC(HWND) { return nullptr; }
LONG ChangeDisplaySettingsA(DEVMODEA*, DWORD) { return 0; }
LONG_PTR SetWindowLongA(HWND, int, LONG_PTR) { return 0; }
BOOL SetWindowPos(HWND, HWND, int, int, int, int, UINT) { return 0; }
BOOL ShowWindow(HWND, int) { return 0; }
BOOL SwapBuffers(HDC) { return 0; }
int MessageBoxA(HWND, const char*, const char*, UINT) { std::abort(); }
int message_box_uncopied(const char*, const char*, UINT) { std::abort(); }
void loading_tick(float, bool) { std::abort(); }

void fuzz_init(std::optional<int> mode)
{
    static const bool ready = [mode] {
        set_fatal_error_throws(true);
        set_loading_tick_hook([](float, bool) {});
        if (mode)
            set_datafile_mode(*mode);
        return true;
    }();
    (void)ready;
}

std::string fuzz_write_input(const std::uint8_t* data, std::size_t size, const char* suffix)
{
    static const std::string folder =
        std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path().string();
    const std::string path = folder + "/velmo-fuzz-" + std::to_string(getpid()) + suffix;
    // The scratch file goes when the fuzzer exits.
    static std::string scratch;
    if (scratch.empty()) {
        scratch = path;
        std::atexit([] { std::remove(scratch.c_str()); });
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, f) != size)
        std::abort();
    std::fclose(f);
    return path;
}

void fuzz_clear_entries()
{
    for (DataEntry* e : data_entries) {
        std::free(e->data);
        delete e;
    }
    data_entries.clear();
}
