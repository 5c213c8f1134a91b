#include "system/fatal_error.h"

#include <cstdio>
#include <cstdlib>

#include "platform/messagebox.h"
#include "platform/window.h"
#include "system/log_message.h"

namespace {
bool g_throws = false;
}

void set_fatal_error_throws(bool throws)
{
    g_throws = throws;
}

std::string fatal_error_source_path(const char* sourcePath)
{
    std::string path = sourcePath ? sourcePath : "";
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

void fatal_error(const char* sourcePath, int line, std::string message)
{
    const std::string path = fatal_error_source_path(sourcePath);
    if (g_throws)
        throw FatalErrorException(path, line, message);

    HWND window = GetActiveWindow();
    ChangeDisplaySettingsA(nullptr, 0);
    SetWindowLongA(window, GWL_EXSTYLE, 0);
    SetWindowLongA(window, GWL_STYLE, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    ChangeDisplaySettingsA(nullptr, CDS_RESET);
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 640, 480, SWP_SHOWWINDOW);
    ShowWindow(window, SW_RESTORE);
    SwapBuffers(GetDC(window));

    const std::string caption = "Error in file " + path + ":" + std::to_string(line);
    const std::string text = caption + "\n\n" + message;
    // The "ERROR: " line below is the text's copy on standard output.
    message_box_uncopied(text.c_str(), caption.c_str(), MB_OK);

    const std::string out = "ERROR: " + time_stamp() + " " + message + "\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::exit(1);
}
