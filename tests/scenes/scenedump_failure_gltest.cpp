// The video dump on a disk that fills up (a file size limit stands in for
// it): the dump stops at the frame whose write fails. Every frame before it is logged
// as dumped, the failing frame is not, no frame after it reaches the writer,
// and the fatal error says "Failed assert success" with the file and the
// reason after it. The same with frames written while the next is drawn and
// with each frame written in turn.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "platform/avifile.h"
#include "platform/messages.h"
#include "support/fatal_message.h"
#include "support/file_size_limit.h"
#include "support/gl_context.h"
#include "support/scene_fixtures.h"
#include "system/velmosystem.h"

namespace fs = std::filesystem;

namespace {

using scenetest::ColourScene;

// Uncompressed frames of 160 x 90 x 3 bytes: a file of at most 1,000,000
// bytes takes about two dozen of them.
constexpr int kWidth = 160;
constexpr int kHeight = 90;

class SceneDumpFailureGLTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(gltest::ensure_context(kWidth, kHeight));
        dir = fs::path(VELMO_BINARY_DIR) / "scene_dump_failure_test" / (GetParam() ? "shortcuts" : "in_turn");
        fs::remove_all(dir);
        fs::create_directories(dir);
        set_avi_save_options_responder([](AVICOMPRESSOPTIONS& options) {
            options.fccHandler = AVI_HANDLER_DIB;
            return TRUE;
        });
        reset_message_queue_for_testing();
    }
    void TearDown() override
    {
        set_avi_save_options_responder({});
        VelmoSystem::quitPosted = false;
        VelmoSystem::dumpVideo = false;
        reset_message_queue_for_testing();
        fs::remove_all(dir);
    }

    testsupport::ThrowingFatalErrors throwing;
    fs::path dir;
    std::vector<ColourScene::Draw> log;
};

TEST_P(SceneDumpFailureGLTest, TheFailingFrameIsTheLastOneAndIsNotLoggedAsDumped)
{
    const std::string stem = (dir / "Full Show").string();
    const testsupport::FileSizeLimit full(1000000);
    ASSERT_TRUE(full.ok);
    testing::internal::CaptureStdout();
    SceneManager* manager = scenetest::make_scene_manager(kWidth, kHeight, true, "", stem);
    manager->setSkipUnseenWork(GetParam());
    manager->addScene(new ColourScene("grey", 0.5f, 0.5f, 0.5f, 1, &log));
    manager->start();
    std::string message = "(no fatal error)";
    int runs = 0;
    while (runs < 250 && message == "(no fatal error)") {
        message = testsupport::fatal_message([&] { manager->run(); });
        ++runs;
    }
    const int attempted = manager->aviWriter.frames;
    delete manager;
    const std::string out = testing::internal::GetCapturedStdout();

    ASSERT_NE(message, "(no fatal error)") << "the full disk never failed a write";
    EXPECT_TRUE(std::regex_match(message, std::regex("Failed assert success: video file .*Full Show\\.01\\.avi "
                                                     "not written \\(File too large\\); .*")))
        << message;
    // Frames 0 to attempted - 1 reached the writer; the last of them failed.
    const int failing = attempted - 1;
    ASSERT_GT(failing, 1);
    // Frames written while the next is drawn: the failure shows one frame on.
    EXPECT_EQ(runs, GetParam() ? failing + 2 : failing + 1);
    std::string expected;
    for (int f = 0; f < failing; ++f)
        expected += "Dumped frame " + std::to_string(f) + " and wrote 0 samples of audio\n";
    std::string logged;
    for (std::size_t at = out.find("Dumped frame "); at != std::string::npos; at = out.find("Dumped frame ", at)) {
        const std::size_t end = out.find('\n', at);
        logged += out.substr(at, end - at + 1);
        at = end;
    }
    EXPECT_EQ(logged, expected);
    EXPECT_EQ(out.find("Finished AVI writing"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Writes, SceneDumpFailureGLTest, testing::Bool(),
                         [](const auto& info) { return std::string(info.param ? "WhileTheNextIsDrawn" : "InTurn"); });

}  // namespace
