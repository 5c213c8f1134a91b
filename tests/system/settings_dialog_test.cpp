#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/messagebox.h"
#include "util/data/data_layer.h"
#include "util/data/datafile.h"

#include "platform/dialog.h"
#include "platform/window.h"
#include "system/fatal_error.h"
#include "system/os_windows.h"
#include "system/velmosystem.h"

namespace {

DEVMODEA mode(unsigned w, unsigned h, unsigned bits = 32, unsigned hz = 60)
{
    DEVMODEA m{};
    m.dmSize = 156;
    m.dmPelsWidth = w;
    m.dmPelsHeight = h;
    m.dmBitsPerPel = bits;
    m.dmDisplayFrequency = hz;
    return m;
}

// The settings dialog built from its template, without a display; the
// procedure runs WM_INITDIALOG while it is made.
class SettingsDialog : public testing::Test {
protected:
    void SetUp() override
    {
        set_fatal_error_throws(true);
        VelmoSystem::width = -1;
        VelmoSystem::height = -1;
        VelmoSystem::samples = 4;
        VelmoSystem::aspectNumerator = 16;
        VelmoSystem::aspectDenominator = 9;
        VelmoSystem::fullscreen = 1;
        VelmoSystem::vsync = 1;
        VelmoSystem::syncClient = 0;
        VelmoSystem::dumpVideo = false;
        modes = {mode(640, 480), mode(1280, 720), mode(1920, 1080)};
    }
    void TearDown() override
    {
        if (dialog)
            DestroyWindow(dialog);
        set_display_modes_for_testing(nullptr);
        set_fatal_error_throws(false);
    }

    void open()
    {
        set_display_modes_for_testing(&modes);
        std::uint8_t* bytes = makeSettingsDialogTemplate();
        dialog = CreateDialogIndirectParamA(nullptr, bytes, nullptr, settingsDialogProc, 0);
        std::free(bytes);
        ASSERT_NE(dialog, nullptr);
    }

    std::vector<std::string> entries(int id)
    {
        HWND combo = GetDlgItem(dialog, id);
        std::vector<std::string> out;
        const LRESULT n = SendMessageA(combo, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < n; ++i) {
            char buffer[64] = {};
            SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buffer));
            out.push_back(buffer);
        }
        return out;
    }

    std::string selected(int id)
    {
        HWND combo = GetDlgItem(dialog, id);
        char buffer[64] = {};
        SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(SendMessageA(combo, CB_GETCURSEL, 0, 0)),
                     reinterpret_cast<LPARAM>(buffer));
        return buffer;
    }

    // What the dialog manager sends when the user picks entry `index`.
    void choose(int id, int index)
    {
        HWND combo = GetDlgItem(dialog, id);
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo));
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), CBN_SELENDOK),
                     reinterpret_cast<LPARAM>(combo));
    }

    void click(int id)
    {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }

    std::vector<DEVMODEA> modes;
    HWND dialog = nullptr;
};

TEST_F(SettingsDialog, ListsEachResolutionOnceAndPreselectsTheLast)
{
    modes = {mode(1280, 720), mode(1280, 1024), mode(1920, 1080, 16, 60), mode(1920, 1080, 32, 50),
             mode(1920, 1080, 32, 60), mode(1280, 720, 32, 75)};
    open();
    EXPECT_EQ(entries(100), (std::vector<std::string>{"1280x720", "1280x1024", "1920x1080"}));
    EXPECT_EQ(selected(100), "1920x1080");
    EXPECT_EQ(VelmoSystem::width, 1920);
    EXPECT_EQ(VelmoSystem::height, 1080);
}

TEST_F(SettingsDialog, PreselectsAChosenResolutionAndTheFirstWhenItIsNotListed)
{
    VelmoSystem::width = 1280;
    VelmoSystem::height = 720;
    open();
    EXPECT_EQ(selected(100), "1280x720");
    DestroyWindow(dialog);

    VelmoSystem::width = 1000;
    VelmoSystem::height = 700;
    open();
    EXPECT_EQ(selected(100), "640x480");
    EXPECT_EQ(VelmoSystem::width, 640);
    EXPECT_EQ(VelmoSystem::height, 480);
}

TEST_F(SettingsDialog, NoDisplayModeIsFatal)
{
    modes.clear();
    set_display_modes_for_testing(&modes);
    std::uint8_t* bytes = makeSettingsDialogTemplate();
    try {
        CreateDialogIndirectParamA(nullptr, bytes, nullptr, settingsDialogProc, 0);
        FAIL();
    } catch (const FatalErrorException& e) {
        EXPECT_STREQ(e.what(), "Failed assert resolutions.size() > 0");
        EXPECT_EQ(e.sourcePath, "src\\system\\os_windows.cpp");
    }
    std::free(bytes);
}

TEST_F(SettingsDialog, FillsTheChoicesAndMapsTheSettingsIntoThem)
{
    struct Case {
        int samples;
        std::string aaShown;
        int aaStored;
        int num, den;
        std::string aspectShown;
    };
    const Case cases[] = {
        {1, "None", 1, 4, 3, "4:3"},     {2, "2x", 2, 16, 9, "16:9"},   {3, "4x", 4, 16, 10, "16:10"},
        {16, "16x", 16, 5, 4, "16:9"},   {0, "4x", 4, 16, 9, "16:9"},
    };
    for (const Case& c : cases) {
        VelmoSystem::samples = c.samples;
        VelmoSystem::aspectNumerator = c.num;
        VelmoSystem::aspectDenominator = c.den;
        open();
        EXPECT_EQ(entries(102), (std::vector<std::string>{"None", "2x", "4x", "8x", "16x"}));
        EXPECT_EQ(entries(104), (std::vector<std::string>{"4:3", "16:9", "16:10"}));
        EXPECT_EQ(selected(102), c.aaShown) << c.samples;
        EXPECT_EQ(VelmoSystem::samples, c.aaStored) << c.samples;
        EXPECT_EQ(selected(104), c.aspectShown) << c.num << ":" << c.den;
        DestroyWindow(dialog);
        dialog = nullptr;
    }
}

TEST_F(SettingsDialog, ChoicesWriteTheSettings)
{
    open();
    const std::pair<int, int> aa[] = {{0, 1}, {1, 2}, {2, 4}, {3, 8}, {4, 16}};
    for (auto [index, samples] : aa) {
        choose(102, index);
        EXPECT_EQ(VelmoSystem::samples, samples);
    }
    const int aspects[][2] = {{4, 3}, {16, 9}, {16, 10}};
    for (int i = 0; i < 3; ++i) {
        choose(104, i);
        EXPECT_EQ(VelmoSystem::aspectNumerator, aspects[i][0]);
        EXPECT_EQ(VelmoSystem::aspectDenominator, aspects[i][1]);
    }
    choose(100, 1);
    EXPECT_EQ(VelmoSystem::width, 1280);
    EXPECT_EQ(VelmoSystem::height, 720);

    // Only the end of a choice counts for the combo boxes.
    HWND res = GetDlgItem(dialog, 100);
    SendMessageA(res, CB_SETCURSEL, 0, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(100, CBN_SELCHANGE), reinterpret_cast<LPARAM>(res));
    EXPECT_EQ(VelmoSystem::width, 1280);
}

TEST_F(SettingsDialog, CheckBoxesFollowTheirState)
{
    VelmoSystem::fullscreen = 0;
    VelmoSystem::vsync = 1;
    open();
    EXPECT_EQ(SendMessageA(GetDlgItem(dialog, 101), BM_GETCHECK, 0, 0), static_cast<LRESULT>(BST_UNCHECKED));
    EXPECT_EQ(SendMessageA(GetDlgItem(dialog, 103), BM_GETCHECK, 0, 0), static_cast<LRESULT>(BST_CHECKED));
    SendMessageA(GetDlgItem(dialog, 101), BM_SETCHECK, BST_CHECKED, 0);
    click(101);
    EXPECT_EQ(VelmoSystem::fullscreen, 1);
    SendMessageA(GetDlgItem(dialog, 103), BM_SETCHECK, BST_UNCHECKED, 0);
    click(103);
    EXPECT_EQ(VelmoSystem::vsync, 0);
}

TEST_F(SettingsDialog, OpeningTurnsTheSyncEditorModeOffAndKeepsTheAddress)
{
    VelmoSystem::syncClient = 1;
    open();
    EXPECT_EQ(VelmoSystem::syncClient, 0);
    EXPECT_EQ(GetDlgItem(dialog, 107), nullptr);
    click(108);
    EXPECT_STREQ(VelmoSystem::syncServerAddress, "127.0.0.1");
}

TEST_F(SettingsDialog, ButtonsEndTheDialogWithTheirCommand)
{
    const std::pair<int, bool> buttons[] = {{1, false}, {2, false}, {106, true}};
    for (auto [id, dumps] : buttons) {
        VelmoSystem::dumpVideo = false;
        open();
        INT_PTR result = 0;
        EXPECT_FALSE(dialog_has_ended(dialog, &result));
        click(id);
        ASSERT_TRUE(dialog_has_ended(dialog, &result));
        EXPECT_EQ(result, id);
        EXPECT_EQ(VelmoSystem::dumpVideo, dumps);
        DestroyWindow(dialog);
        dialog = nullptr;
    }
}

// "Get &mp3" reads the packed data file in the current folder and writes its
// music files there, confirming each in a box; the dialog stays open.
TEST_F(SettingsDialog, GetMp3ExportsTheMusicOfThePackedDataFileAndStaysOpen)
{
    char pattern[] = "/tmp/velmo-mp3-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string folder = pattern;
    const std::string tune = "ID3 not really a song";
    // Pack one recorded file in a process of its own, which leaves this
    // process's data layer untouched.
    const pid_t writer = fork();
    if (writer == 0) {
        if (chdir(folder.c_str()) != 0 || mkdir("music", 0755) != 0)
            _exit(2);
        std::ofstream("music/tune.mp3", std::ios::binary) << tune;
        set_loading_tick_hook([](float, bool) {});
        set_datafile_mode(DataFileMode::Write);
        int size = 0;
        std::free(load_file("music/tune.mp3", "rb", &size, false));
        write_datafile("data.vlm");
        delete_temp_files();
        _exit(0);
    }
    int status = 0;
    waitpid(writer, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_EQ(std::remove((folder + "/music/tune.mp3").c_str()), 0);

    std::vector<std::string> boxes;
    set_message_box_responder([&boxes](const char* text, const char* caption, UINT) {
        boxes.push_back(std::string(caption) + ": " + text);
        return IDOK;
    });
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(folder.c_str()), 0);
    open();
    click(105);
    EXPECT_FALSE(dialog_has_ended(dialog, nullptr));
    std::ifstream exported("tune.mp3", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(exported)), std::istreambuf_iterator<char>());
    EXPECT_EQ(chdir(previous), 0);
    set_message_box_responder({});

    std::filesystem::remove_all(folder);
    EXPECT_EQ(bytes, tune);
    EXPECT_EQ(boxes, (std::vector<std::string>{"Success: Successfully exported tune.mp3 to the current folder"}));
}

TEST_F(SettingsDialog, TextsTheDialogDoesNotOfferAreFatal)
{
    open();
    SendMessageA(GetDlgItem(dialog, 104), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("21:9"));
    try {
        choose(104, 3);
        FAIL();
    } catch (const FatalErrorException& e) {
        EXPECT_STREQ(e.what(), "Unrecognized aspect ratio option 21:9!");
    }
    SendMessageA(GetDlgItem(dialog, 102), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("many"));
    try {
        choose(102, 5);
        FAIL();
    } catch (const FatalErrorException& e) {
        EXPECT_STREQ(e.what(), "Failed assert 1 == sscanf( buffer, \"%ix\", &VelmoSystem::samples )");
    }
}

} // namespace
