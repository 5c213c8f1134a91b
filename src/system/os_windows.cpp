#include "system/os_windows.h"

#include <GL/glew.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/dialog.h"
#include "platform/messagebox.h"
#include "platform/messages.h"
#include "platform/wgl.h"
#include "platform/window.h"
#include "scenes.h"
#include "system/dialog_template.h"
#include "system/fatal_error.h"
#include "system/velmosystem.h"
#include "util/data/data_layer.h"
#include "util/data/datafile.h"
#include "util/data/music_export.h"

namespace {

// Control ids of the settings dialog.
constexpr int kRun = 1;
constexpr int kQuit = 2;
constexpr int kResolution = 100;
constexpr int kFullscreen = 101;
constexpr int kAntiAliasing = 102;
constexpr int kVsync = 103;
constexpr int kAspect = 104;
constexpr int kExportMusic = 105;
constexpr int kRecordVideo = 106;
constexpr int kSyncClient = 107;
constexpr int kSyncAddress = 108;

LRESULT send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    return SendMessageA(window, message, wParam, lParam);
}

LPARAM textParam(const char* text)
{
    return reinterpret_cast<LPARAM>(text);
}

void selectedText(HWND combo, char* buffer)
{
    const LRESULT index = send(combo, CB_GETCURSEL);
    send(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer));
}

void initDialog(HWND dialog, HWND resolution, HWND antiAliasing, HWND fullscreen, HWND vsync, HWND aspect,
                HWND syncClient, HWND syncAddress)
{
    std::vector<std::pair<unsigned, unsigned>> resolutions;
    int selection = 0;
    DEVMODEA mode{};
    mode.dmSize = 156;
    for (DWORD i = 0; EnumDisplaySettingsA(nullptr, i, &mode); ++i) {
        const unsigned w = mode.dmPelsWidth;
        const unsigned h = mode.dmPelsHeight;
        bool known = false;
        for (const auto& r : resolutions)
            known = known || (r.first == w && r.second == h);
        if (known)
            continue;
        resolutions.emplace_back(w, h);
        char text[64];
        std::snprintf(text, sizeof text, "%ux%u", w, h);
        const LRESULT index = send(resolution, CB_ADDSTRING, 0, textParam(text));
        if (static_cast<int>(w) == VelmoSystem::width && static_cast<int>(h) == VelmoSystem::height)
            selection = static_cast<int>(index);
    }
    VELMO_ASSERT(resolutions.size() > 0);
    if (VelmoSystem::width == -1 || VelmoSystem::height == -1)
        selection = static_cast<int>(resolutions.size()) - 1;
    send(resolution, CB_SETCURSEL, static_cast<WPARAM>(selection));

    for (const char* text : {"None", "2x", "4x", "8x", "16x"})
        send(antiAliasing, CB_ADDSTRING, 0, textParam(text));
    int samplesIndex = 2;
    switch (VelmoSystem::samples) {
    case 1: samplesIndex = 0; break;
    case 2: samplesIndex = 1; break;
    case 4: samplesIndex = 2; break;
    case 8: samplesIndex = 3; break;
    case 16: samplesIndex = 4; break;
    default: break;
    }
    send(antiAliasing, CB_SETCURSEL, static_cast<WPARAM>(samplesIndex));

    for (const char* text : {"4:3", "16:9", "16:10"})
        send(aspect, CB_ADDSTRING, 0, textParam(text));
    int aspectIndex = 1;
    if (VelmoSystem::aspectNumerator == 4 && VelmoSystem::aspectDenominator == 3)
        aspectIndex = 0;
    else if (VelmoSystem::aspectNumerator == 16 && VelmoSystem::aspectDenominator == 10)
        aspectIndex = 2;
    send(aspect, CB_SETCURSEL, static_cast<WPARAM>(aspectIndex));

    send(fullscreen, BM_SETCHECK, VelmoSystem::fullscreen ? BST_CHECKED : BST_UNCHECKED);
    send(vsync, BM_SETCHECK, VelmoSystem::vsync ? BST_CHECKED : BST_UNCHECKED);
    send(syncClient, BM_SETCHECK, VelmoSystem::syncClient ? BST_CHECKED : BST_UNCHECKED);
    send(syncAddress, WM_SETTEXT, 0, textParam(VelmoSystem::syncServerAddress));

    // Run the handlers once so that the settings equal what the controls show.
    for (int id : {kResolution, kAntiAliasing, kFullscreen, kVsync, kAspect, kSyncClient})
        send(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), CBN_SELENDOK));
}

void command(HWND dialog, WPARAM wParam, HWND resolution, HWND antiAliasing, HWND fullscreen, HWND vsync,
             HWND aspect, HWND syncClient, HWND syncAddress)
{
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    char buffer[256] = {};
    switch (id) {
    case kRun:
    case kQuit:
        EndDialog(dialog, static_cast<INT_PTR>(wParam));
        break;
    case kResolution:
        if (code == CBN_SELENDOK) {
            selectedText(resolution, buffer);
            if (char* x = std::strchr(buffer, 'x')) {
                *x = '\0';
                VelmoSystem::width = std::atoi(buffer);
                VelmoSystem::height = std::atoi(x + 1);
            }
        }
        break;
    case kFullscreen:
        VelmoSystem::fullscreen = send(fullscreen, BM_GETCHECK) == BST_CHECKED ? 1 : 0;
        break;
    case kAntiAliasing:
        if (code == CBN_SELENDOK) {
            selectedText(antiAliasing, buffer);
            if (std::strcmp(buffer, "None") == 0)
                VelmoSystem::samples = 1;
            else
                VELMO_ASSERT(1 == sscanf( buffer, "%ix", &VelmoSystem::samples ));
        }
        break;
    case kVsync:
        VelmoSystem::vsync = send(vsync, BM_GETCHECK) == BST_CHECKED ? 1 : 0;
        break;
    case kAspect:
        if (code == CBN_SELENDOK) {
            selectedText(aspect, buffer);
            const std::string text = buffer;
            if (text == "4:3") {
                VelmoSystem::aspectNumerator = 4;
                VelmoSystem::aspectDenominator = 3;
            } else if (text == "16:9") {
                VelmoSystem::aspectNumerator = 16;
                VelmoSystem::aspectDenominator = 9;
            } else if (text == "16:10") {
                VelmoSystem::aspectNumerator = 16;
                VelmoSystem::aspectDenominator = 10;
            } else {
                FATAL_ERROR("Unrecognized aspect ratio option " + text + "!");
            }
        }
        break;
    case kExportMusic:
        set_datafile_mode(VelmoSystem::dataFileMode);
        read_datafile(VelmoSystem::dataFileName);
        export_mp3_files();
        break;
    case kRecordVideo:
        VelmoSystem::dumpVideo = true;
        EndDialog(dialog, static_cast<INT_PTR>(wParam));
        break;
    case kSyncClient:
        VelmoSystem::syncClient = send(syncClient, BM_GETCHECK) == BST_CHECKED ? 1 : 0;
        break;
    case kSyncAddress: {
        const LRESULT length = send(syncAddress, WM_GETTEXTLENGTH);
        if (length >= 255)
            FATAL_ERROR("IP address string too big for string buffer!");
        send(syncAddress, WM_GETTEXT, static_cast<WPARAM>(length + 1),
             reinterpret_cast<LPARAM>(VelmoSystem::syncServerAddress));
        break;
    }
    default:
        break;
    }
}

struct DialogItem {
    const char16_t* className;
    const char16_t* text;
    int id;
    DWORD style;
    int x, y, width, height;
};

// The window procedure's marker for the move its own cursor warp causes.
bool g_warped = false;

} // namespace

INT_PTR settingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    HWND resolution = GetDlgItem(dialog, kResolution);
    HWND antiAliasing = GetDlgItem(dialog, kAntiAliasing);
    HWND fullscreen = GetDlgItem(dialog, kFullscreen);
    HWND vsync = GetDlgItem(dialog, kVsync);
    HWND aspect = GetDlgItem(dialog, kAspect);
    HWND syncClient = GetDlgItem(dialog, kSyncClient);
    HWND syncAddress = GetDlgItem(dialog, kSyncAddress);

    if (message == WM_INITDIALOG)
        initDialog(dialog, resolution, antiAliasing, fullscreen, vsync, aspect, syncClient, syncAddress);
    else if (message == WM_COMMAND)
        command(dialog, wParam, resolution, antiAliasing, fullscreen, vsync, aspect, syncClient, syncAddress);
    return 0;
}

std::uint8_t* makeSettingsDialogTemplate()
{
    std::u16string title;
    for (char c : VelmoSystem::title)
        title += static_cast<char16_t>(static_cast<unsigned char>(c));

    DialogTemplate* t = DialogTemplate::begin(0, 300, 300, 135, 75,
        WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME, WS_EX_CONTROLPARENT,
        nullptr, nullptr, title.c_str(), nullptr, 0);

    const DWORD combo = WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST;
    const DWORD button = WS_VISIBLE | WS_TABSTOP;
    const char16_t* labels[] = {u"Choose resolution", u"Anti-aliasing", u"Aspect ratio"};
    const int combos[] = {kResolution, kAntiAliasing, kAspect};
    for (int row = 0; row < 3; ++row) {
        const int y = 5 + row * 15;
        t = DialogTemplate::addItem(t, labels[row], 0, u"STATIC", WS_VISIBLE, 5, y, 65, 10, 0);
        t = DialogTemplate::addItem(t, nullptr, static_cast<std::uint16_t>(combos[row]), u"COMBOBOX", combo,
                                    75, y, 55, 500, 0);
    }
    const DialogItem buttons[] = {
        {u"BUTTON", u"&Run", kRun, button | BS_DEFPUSHBUTTON, 5, 50, 30, 10},
        {u"BUTTON", u"Get &avi", kRecordVideo, button | BS_PUSHBUTTON, 40, 50, 30, 10},
        {u"BUTTON", u"&Fullscreen", kFullscreen, button | BS_AUTOCHECKBOX, 75, 50, 55, 10},
        {u"BUTTON", u"&Quit", kQuit, button | BS_PUSHBUTTON, 5, 60, 30, 10},
        {u"BUTTON", u"Get &mp3", kExportMusic, button | BS_PUSHBUTTON, 40, 60, 30, 10},
        {u"BUTTON", u"&Vsync enable", kVsync, button | BS_AUTOCHECKBOX, 75, 60, 55, 10},
    };
    for (const DialogItem& b : buttons)
        t = DialogTemplate::addItem(t, b.text, static_cast<std::uint16_t>(b.id), b.className, b.style, b.x, b.y,
                                    b.width, b.height, 0);

    return DialogTemplate::finish(t);
}

int showSettingsDialog(HINSTANCE instance, HWND parent)
{
    // The template stays allocated for the rest of the run.
    const std::uint8_t* dialogTemplate = makeSettingsDialogTemplate();
    return static_cast<int>(DialogBoxIndirectParamA(instance, dialogTemplate, parent, settingsDialogProc, 0));
}

void createWindow()
{
    WNDCLASSA wc{};
    wc.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = VelmoSystem::hInstance;
    wc.hIcon = LoadIconA(nullptr, IDI_WINLOGO);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = VelmoSystem::title.c_str();
    if (!RegisterClassA(&wc))
        FATAL_ERROR("Failed to register window class");

    if (VelmoSystem::fullscreen) {
        DEVMODEA mode{};
        mode.dmSize = 156;
        mode.dmPelsWidth = static_cast<DWORD>(VelmoSystem::width);
        mode.dmPelsHeight = static_cast<DWORD>(VelmoSystem::height);
        mode.dmBitsPerPel = 32;
        mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
        if (ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL)
            FATAL_ERROR("Failed to set fullscreen mode");
    }

    DWORD exStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
    DWORD style = WS_OVERLAPPEDWINDOW;
    if (VelmoSystem::fullscreen) {
        exStyle = WS_EX_APPWINDOW;
        style = WS_POPUP;
    }
    RECT rect{0, 0, VelmoSystem::width, VelmoSystem::height};
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);

    VelmoSystem::hWnd = CreateWindowExA(exStyle, VelmoSystem::title.c_str(), VelmoSystem::title.c_str(),
                                        style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                                        rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                                        VelmoSystem::hInstance, nullptr);
    VELMO_ASSERT(VelmoSystem::hWnd);
    VelmoSystem::hDC = GetDC(VelmoSystem::hWnd);
    VELMO_ASSERT(VelmoSystem::hDC);

    while (ShowCursor(FALSE) >= 0) {
    }
}

LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    SceneManager* scenes = VelmoSystem::sceneManager;
    switch (message) {
    case WM_CREATE: {
        VelmoSystem::hWnd = window;
        VelmoSystem::hDC = GetDC(window);
        PIXELFORMATDESCRIPTOR pfd{};
        pfd.nSize = 40;
        pfd.nVersion = 1;
        pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        pfd.iPixelType = PFD_TYPE_RGBA;
        pfd.cColorBits = 32;
        pfd.cDepthBits = 24;
        pfd.iLayerType = PFD_MAIN_PLANE;
        const int format = ChoosePixelFormat(VelmoSystem::hDC, &pfd);
        SetPixelFormat(VelmoSystem::hDC, format, &pfd);
        VelmoSystem::hGLRC = wglCreateContext(VelmoSystem::hDC);
        wglMakeCurrent(VelmoSystem::hDC, VelmoSystem::hGLRC);
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
        SetFocus(window);
        setSwapInterval(VelmoSystem::vsync != 0);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_SIZE:
        VelmoSystem::width = LOWORD(static_cast<std::uintptr_t>(lParam));
        VelmoSystem::height = HIWORD(static_cast<std::uintptr_t>(lParam));
        if (scenes)
            scenes->resize(VelmoSystem::width, VelmoSystem::height);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        VelmoSystem::hDC = BeginPaint(VelmoSystem::hWnd, &paint);
        EndPaint(VelmoSystem::hWnd, &paint);
        return 0;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (wParam == 27)
            PostQuitMessage(0);
        else if (wParam == 123) {
            if (scenes)
                scenes->onF12();
        } else if (scenes) {
            scenes->onKeyDown(static_cast<std::uint8_t>(wParam & 0xFF));
        }
        return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (scenes)
            scenes->onKeyUp(static_cast<std::uint8_t>(wParam & 0xFF));
        return 0;
    case WM_MOUSEMOVE:
        if (scenes) {
            if (g_warped) {
                g_warped = false;
            } else if (scenes->isMouseGrabbed()) {
                g_warped = true;
                const int cx = VelmoSystem::width / 2;
                const int cy = VelmoSystem::height / 2;
                const int x = static_cast<SHORT>(LOWORD(static_cast<std::uintptr_t>(lParam)));
                const int y = static_cast<SHORT>(HIWORD(static_cast<std::uintptr_t>(lParam)));
                scenes->onMouseMove(x - cx, y - cy);
                POINT centre{cx, cy};
                ClientToScreen(window, &centre);
                SetCursorPos(centre.x, centre.y);
            } else {
                scenes->onMouseMove(LOWORD(static_cast<std::uintptr_t>(lParam)),
                                    HIWORD(static_cast<std::uintptr_t>(lParam)));
            }
        }
        return 0;
    case WM_LBUTTONDOWN:
        if (scenes)
            scenes->onMouseButton(1, 1);
        return 0;
    case WM_LBUTTONUP:
        if (scenes)
            scenes->onMouseButton(1, 0);
        return 0;
    case WM_RBUTTONDOWN:
        if (scenes)
            scenes->onMouseButton(2, 1);
        return 0;
    case WM_RBUTTONUP:
        if (scenes)
            scenes->onMouseButton(2, 0);
        return 0;
    case WM_MOUSEWHEEL:
        if (scenes)
            scenes->onMouseWheel(HIWORD(wParam));
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void setSwapInterval(bool vsync)
{
    // GLX lists the window-system extensions apart from the OpenGL ones.
    const auto* glExtensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    const char* wglExtensions = wglGetExtensionsStringEXT();
    const char* name = "WGL_EXT_swap_control";
    if ((glExtensions && std::strstr(glExtensions, name)) || (wglExtensions && std::strstr(wglExtensions, name))) {
        using SwapInterval = BOOL (*)(int);
        auto setInterval = reinterpret_cast<SwapInterval>(wglGetProcAddress("wglSwapIntervalEXT"));
        if (setInterval)
            setInterval(vsync ? 1 : 0);
    }
}

void checkExtensions()
{
    const std::pair<bool, const char*> extensions[] = {
        {GLEW_ARB_vertex_program != 0, "GLEW_ARB_vertex_program"},
        {GLEW_ARB_fragment_program != 0, "GLEW_ARB_fragment_program"},
        {GLEW_ARB_multitexture != 0, "GLEW_ARB_multitexture"},
        {GLEW_ARB_vertex_shader != 0, "GLEW_ARB_vertex_shader"},
        {GLEW_ARB_fragment_shader != 0, "GLEW_ARB_fragment_shader"},
        {GLEW_ARB_multisample != 0, "GLEW_ARB_multisample"},
        {GLEW_ARB_point_sprite != 0, "GLEW_ARB_point_sprite"},
        {GLEW_EXT_texture_filter_anisotropic != 0, "GLEW_EXT_texture_filter_anisotropic"},
        {GLEW_ARB_vertex_buffer_object != 0, "GLEW_ARB_vertex_buffer_object"},
        {GLEW_EXT_framebuffer_object != 0, "GLEW_EXT_framebuffer_object"},
        {GLEW_ARB_texture_non_power_of_two != 0, "GLEW_ARB_texture_non_power_of_two"},
        {GLEW_ARB_texture_float != 0, "GLEW_ARB_texture_float"},
        {GLEW_ARB_draw_buffers != 0, "GLEW_ARB_draw_buffers"},
        {GLEW_ARB_depth_texture != 0, "GLEW_ARB_depth_texture"},
    };
    std::vector<const char*> missing;
    for (const auto& e : extensions)
        if (!e.first)
            missing.push_back(e.second);
    if (missing.empty())
        return;

    std::string text = missing.size() > 1 ? "Extensions " : "Extension ";
    text += missing[0];
    for (std::size_t i = 1; i < missing.size(); ++i)
        text += std::string(", ") + missing[i];
    text += " not supported, which means this demo probably won't run very well or at all. If you still want "
            "to risk it, press OK. \n\n(Side effects may include bubonic plague, outbreaks of cholera, "
            "Spontaneous Massive Existence Failures and other conditions too horrible for mere words. The "
            "author of this application does not take responsibility for any damages, injuries or death "
            "resulting from the erroneous use of this product.)";
    if (MessageBoxA(nullptr, text.c_str(), "Missing extension(s)", MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        std::exit(1);
}

void runMessageLoop(SceneManager* sceneManager)
{
    VelmoSystem::sceneManager = sceneManager;
    sceneManager->setFullscreen(VelmoSystem::fullscreen != 0);
    bool quit = false;
    while (!quit) {
        sceneManager->run();
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                wglDeleteContext(VelmoSystem::hGLRC);
                quit = true;
                break;
            }
            DispatchMessageA(&msg);
        }
    }
}

void swapBuffers()
{
    SwapBuffers(VelmoSystem::hDC);
}
