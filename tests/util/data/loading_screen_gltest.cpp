// The loading screens in a real context: one read-back per style at a known
// progress, the brightness rules, the fade-out, and Escape while loading.
#include <gtest/gtest.h>

#include <SDL.h>

#include <filesystem>
#include <fstream>

#include "platform/messagebox.h"
#include "platform/messages.h"
#include "support/gl_context.h"
#include "system/fatal_error.h"
#include "system/velmosystem.h"
#include "util/data/data_entry.h"
#include "util/data/data_layer.h"
#include "util/data/datafile.h"
#include "util/data/loading_screen.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;

// Read mode with a made-up index: `loaded` of `total` entries loaded.
void set_progress(int loaded, int total)
{
    set_datafile_mode(DataFileMode::Read);
    for (DataEntry* e : data_entries)
        delete e;
    data_entries.clear();
    for (int i = 0; i < total; ++i) {
        auto* e = new DataEntry;
        e->name = "entry" + std::to_string(i);
        e->loaded = i < loaded;
        data_entries.push_back(e);
    }
}

int grey(std::uint32_t rgba) { return static_cast<int>(rgba >> 24); }

class LoadingScreenGLTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(gltest::ensure_context(kWidth, kHeight));
        ASSERT_EQ(gltest::window_width(), kWidth);
        // Fatal errors answer their message box and end the process.
        set_message_box_responder([](const char*, const char*, UINT) { return IDOK; });
        VelmoSystem::hDC = nullptr;  // swapBuffers does nothing: the picture stays readable
        VelmoSystem::hWnd = nullptr;
        VelmoSystem::logoImage = "";
        loading_finished = false;
        loading_init(kWidth, kHeight, 16.0f / 9.0f);
        load_loading_texture();  // an empty logo: an empty texture
    }
    void SetUp() override
    {
        ASSERT_TRUE(gltest::ensure_context(kWidth, kHeight));
        loading_finished = false;
    }
    static void tick(int style, float alpha, int loaded, int total)
    {
        VelmoSystem::loadingScreenType = style;
        set_progress(loaded, total);
        loading_tick(alpha, true);
    }
};

// Bar box x 0.1 to 0.9, y 0.05 to 0.1 of the 1280 x 720 view: the fill ends
// at 0.1 + 0.8 x progress.
TEST_F(LoadingScreenGLTest, ProgressBarFillsToTheProgress)
{
    tick(LoadingScreenType::ProgressBar, 1.0f, 3, 4);  // 75 %: fill to x 0.7
    const int midY = static_cast<int>(0.075f * kHeight);
    EXPECT_EQ(grey(gltest::read_pixel(200, midY)), 255);
    EXPECT_EQ(grey(gltest::read_pixel(880, midY)), 255);
    EXPECT_EQ(grey(gltest::read_pixel(910, midY)), 0);   // beyond the fill
    EXPECT_EQ(grey(gltest::read_pixel(1140, midY)), 0);
    EXPECT_EQ(grey(gltest::read_pixel(1153, midY)), 255);  // right line, outside the box
    EXPECT_EQ(grey(gltest::read_pixel(1000, 71)), 255);    // top line, inside the box
    EXPECT_EQ(grey(gltest::read_pixel(1000, 37)), 255);    // bottom line
    EXPECT_EQ(grey(gltest::read_pixel(640, 400)), 0);
    EXPECT_EQ(grey(gltest::read_pixel(100, midY)), 0);      // left of the box

    tick(LoadingScreenType::ProgressBar, 1.0f, 0, 0);  // first frame of read mode: empty bar
    EXPECT_EQ(grey(gltest::read_pixel(200, midY)), 0);
    EXPECT_EQ(grey(gltest::read_pixel(1153, midY)), 255);
}

// The colour is white while at most half is done, else the fade's alpha.
TEST_F(LoadingScreenGLTest, ProgressBarFadesOnlyPastHalf)
{
    const int midY = static_cast<int>(0.075f * kHeight);
    tick(LoadingScreenType::ProgressBar, 0.5f, 5, 10);
    EXPECT_EQ(grey(gltest::read_pixel(200, midY)), 255);
    tick(LoadingScreenType::ProgressBar, 0.5f, 6, 10);
    EXPECT_NEAR(grey(gltest::read_pixel(200, midY)), 128, 2);
}

// The view keeps the aspect given to loading_init, centred with bars.
TEST_F(LoadingScreenGLTest, ViewIsCentredAtTheAspect)
{
    loading_init(kWidth, kHeight, 4.0f / 3.0f);  // 960 x 720 at x 160
    tick(LoadingScreenType::ProgressBar, 1.0f, 1, 1);
    const int midY = static_cast<int>(0.075f * kHeight);
    EXPECT_EQ(grey(gltest::read_pixel(160 + 100, midY)), 255);
    EXPECT_EQ(grey(gltest::read_pixel(160 + 90, midY)), 0);
    loading_init(kWidth, kHeight, 16.0f / 9.0f);
}

// A ring around (0.1, 0.1) of the view: dark inside, bright on it, dim far away.
TEST_F(LoadingScreenGLTest, CirclesRingGrowsWithProgress)
{
    tick(LoadingScreenType::Circles, 1.0f, 1, 1);  // radius 0.035
    const int cx = 128, cy = 72;
    EXPECT_EQ(grey(gltest::read_pixel(cx, cy)), 0);
    EXPECT_GT(grey(gltest::read_pixel(cx + 50, cy)), 200);   // 0.039 from the centre
    // 0.2 from the centre: intensity about 0.24, blended with itself as alpha.
    const int dim = grey(gltest::read_pixel(384, cy));
    EXPECT_GT(dim, 5);
    EXPECT_LT(dim, 30);

    tick(LoadingScreenType::Circles, 1.0f, 0, 4);  // no progress: nothing at all
    EXPECT_EQ(grey(gltest::read_pixel(cx + 50, cy)), 0);
    EXPECT_EQ(grey(gltest::read_pixel(384, cy)), 0);

    tick(LoadingScreenType::Circles, 0.0f, 1, 1);  // faded out
    EXPECT_EQ(grey(gltest::read_pixel(cx + 50, cy)), 0);
}

// The bar is 3 x done / total + 1 cells of shade blocks in rows 44 to 46 of
// the 80 x 50 canvas, which fills a 4:3 rectangle of the view.
TEST_F(LoadingScreenGLTest, AsciiBarGrowsByCells)
{
    // 960 x 720 canvas at x 160: cells 12 x 14.4 pixels; row 45 from the top.
    const auto cell_lit = [](int column, int row) {
        const int x0 = 160 + column * 12;
        const int y0 = static_cast<int>(kHeight - (row + 1) * 14.4f) + 1;
        const auto pixels = gltest::read_rgba(x0 + 1, y0 + 1, 10, 12);
        int lit = 0;
        for (std::size_t i = 0; i < pixels.size(); i += 4)
            lit += pixels[i] > 100;
        return lit;
    };
    tick(LoadingScreenType::Ascii, 1.0f, 5, 10);  // 2 cells
    for (int row : {44, 45, 46}) {
        EXPECT_GT(cell_lit(0, row), 0) << row;
        EXPECT_GT(cell_lit(1, row), 0) << row;
        EXPECT_EQ(cell_lit(2, row), 0) << row;
    }
    EXPECT_EQ(cell_lit(0, 43), 0);
    EXPECT_EQ(cell_lit(0, 47), 0);
    EXPECT_LT(cell_lit(0, 44), cell_lit(0, 45));  // light, medium, dark shade
    EXPECT_LT(cell_lit(0, 45), cell_lit(0, 46));

    tick(LoadingScreenType::Ascii, 0.2f, 10, 10);  // 4 cells; this style does not fade
    EXPECT_GT(cell_lit(3, 45), 0);
    EXPECT_EQ(cell_lit(4, 45), 0);
    EXPECT_EQ(cell_lit(3, 45), cell_lit(0, 45));
    tick(LoadingScreenType::Ascii, 1.0f, 0, 10);  // cells once set stay set
    EXPECT_GT(cell_lit(3, 45), 0);
}

TEST_F(LoadingScreenGLTest, UnknownStyleIsFatal)
{
    set_fatal_error_throws(true);
    try {
        tick(7, 1.0f, 0, 0);
        ADD_FAILURE() << "no fatal error";
    } catch (const FatalErrorException& e) {
        EXPECT_STREQ(e.what(), "Unknown loading screen");
    }
    set_fatal_error_throws(false);
}

// A fade time of 0: two frames at alpha 0, then every tick does nothing.
TEST_F(LoadingScreenGLTest, FadeOutEndsTheLoadingScreen)
{
    VelmoSystem::loadingScreenType = LoadingScreenType::Circles;
    set_progress(1, 1);
    VelmoSystem::loadingFadeMs = 0;
    loading_fade_out();
    EXPECT_TRUE(loading_finished);
    EXPECT_EQ(grey(gltest::read_pixel(128 + 50, 72)), 0);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0, 0, 0, 0);
    loading_tick(1.0f, true);
    EXPECT_EQ(gltest::read_pixel(640, 360), 0xFF0000FFu);
}

// Escape during loading removes the packed data file's temporary files and
// ends the process with exit code 1, whether or not the tick would draw.
TEST_F(LoadingScreenGLTest, EscapeWhileLoadingExitsWithOne)
{
    const std::filesystem::path path =
        std::filesystem::path(VELMO_BINARY_DIR) / "loading_screen_test.tmp";
    { std::ofstream(path) << "partial"; }
    temp_files.push_back(path.string());
    VelmoSystem::loadingScreenType = LoadingScreenType::ProgressBar;
    GetAsyncKeyState(VK_ESCAPE);  // starts watching the keyboard
    EXPECT_EXIT(
        {
            SDL_Event e{};
            e.type = SDL_KEYDOWN;
            e.key.state = SDL_PRESSED;
            e.key.keysym.sym = SDLK_ESCAPE;
            e.key.keysym.scancode = SDL_SCANCODE_ESCAPE;
            SDL_PushEvent(&e);
            loading_tick(1.0f, false);
            loading_tick(1.0f, false);
        },
        ::testing::ExitedWithCode(1), "");
    EXPECT_FALSE(std::filesystem::exists(path));
    temp_files.pop_back();
}

}  // namespace
