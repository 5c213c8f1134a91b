#include <gtest/gtest.h>

#include "system/fatal_error.h"
#include "system/velmosystem.h"

namespace {

struct ProductionCase {
    int index;
    const char* title;
    const char* music;
    const char* logo;
    int loadingScreen;
    int fadeMs;
    float bpm;
};

class SelectSceneSet : public testing::TestWithParam<ProductionCase> {};

TEST_P(SelectSceneSet, CopiesTheProductionsSettings)
{
    const ProductionCase& c = GetParam();
    // Start from the compiled-in defaults each time.
    VelmoSystem::title = "Internal debugging";
    VelmoSystem::musicFile.clear();
    VelmoSystem::logoImage.clear();
    VelmoSystem::loadingScreenType = 0;
    VelmoSystem::loadingFadeMs = 0;
    VelmoSystem::bpm = 75.0f;

    VelmoSystem::sceneSet = c.index;
    selectSceneSet();
    EXPECT_EQ(VelmoSystem::title, c.title);
    EXPECT_EQ(VelmoSystem::musicFile, c.music);
    EXPECT_EQ(VelmoSystem::logoImage, c.logo);
    EXPECT_EQ(VelmoSystem::loadingScreenType, c.loadingScreen);
    EXPECT_EQ(VelmoSystem::loadingFadeMs, c.fadeMs);
    EXPECT_FLOAT_EQ(VelmoSystem::bpm, c.bpm);
    VelmoSystem::sceneSet = 3;
}

INSTANTIATE_TEST_SUITE_P(Productions, SelectSceneSet, testing::Values(
    ProductionCase{0, "Internal debugging", "", "", 0, 0, 75.0f},
    ProductionCase{1, "orvik - lantern", "data/music/Tressal_-_Lantern.mp3", "", 2, 1000, 75.0f},
    ProductionCase{2, "Quibbo", "data/music/funkysomething.xml",
                   "data/common/images/velmorin_logo_16_9.png", 0, 500, 75.0f},
    ProductionCase{3, "Glass Harbour Signal", "data/music/glass_harbour_signal.xml", "", 1, 0, 155.0f}),
    [](const testing::TestParamInfo<ProductionCase>& info) {
        return "Production" + std::to_string(info.param.index);
    });

TEST(SelectSceneSetErrors, IndexOutsideTheTableIsFatal)
{
    set_fatal_error_throws(true);
    for (int bad : {4, -1}) {
        VelmoSystem::sceneSet = bad;
        try {
            selectSceneSet();
            ADD_FAILURE() << bad;
        } catch (const FatalErrorException& e) {
            EXPECT_STREQ(e.what(), "Unknown scene set!");
        }
    }
    VelmoSystem::sceneSet = 3;
    set_fatal_error_throws(false);
}

TEST(VelmoSystemDefaults, MatchTheCompiledInConfiguration)
{
    EXPECT_EQ(VelmoSystem::aspectNumerator, 16);
    EXPECT_EQ(VelmoSystem::aspectDenominator, 9);
    EXPECT_EQ(VelmoSystem::fullscreen, 1);
    EXPECT_EQ(VelmoSystem::vsync, 1);
    EXPECT_EQ(VelmoSystem::samples, 4);
    EXPECT_EQ(VelmoSystem::dataFileMode, 1);
    EXPECT_STREQ(VelmoSystem::dataFileName, "data.vlm");
    EXPECT_STREQ(VelmoSystem::syncServerAddress, "127.0.0.1");
}

} // namespace
