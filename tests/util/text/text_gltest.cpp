#include <GL/glew.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/messagebox.h"
#include "support/fatal_message.h"
#include "support/gl_context.h"
#include "system/fatal_error.h"
#include "util/fbo/fbo.h"
#include "util/text/text.h"

namespace {

using testsupport::fatal_message;

const std::string kFont = std::string(VELMO_SOURCE_DIR) + "/data/common/fonts/courier_new.ttf";

struct Box {
    int minX = INT_MAX, minY = INT_MAX, maxX = -1, maxY = -1;
    bool empty() const { return maxX < 0; }
    int width() const { return maxX - minX + 1; }
    int height() const { return maxY - minY + 1; }
};

class TextGL : public gltest::GLTest {
protected:
    testsupport::ThrowingFatalErrors fatalErrors;

    // Lit pixels of the framebuffer's colour attachment.
    static Box lit_box(FBO& target)
    {
        const int w = target.get_width(), h = target.get_height();
        std::vector<uint8_t> px(size_t(w) * h * 4);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, target.get_id());
        glReadBuffer(GL_COLOR_ATTACHMENT0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        Box b;
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++)
                if (px[(size_t(y) * w + x) * 4] > 128) {
                    b.minX = std::min(b.minX, x);
                    b.maxX = std::max(b.maxX, x);
                    b.minY = std::min(b.minY, y);
                    b.maxY = std::max(b.maxY, y);
                }
        return b;
    }

    // "H" printed at the target's centre.
    static Box print_centre(Text& text, int w, int h, float stretch)
    {
        FBO target(w, h, FBO_TYPE_RGBA8, 0);
        target.push(true);
        text.Reshape(w, h);
        text.SetGLState();
        text.PrintAt(0.5f, 0.5f, stretch, "%s", "H");
        target.pop();
        return lit_box(target);
    }

};

TEST_F(TextGL, PrintAtPlacesTheBaselineAtTheFractionOfTheTarget)
{
    Text text(kFont, 48, FONT_BUFFER);
    const Box big = print_centre(text, 1280, 720, 1.0f);
    ASSERT_FALSE(big.empty()) << "nothing drawn";
    EXPECT_NEAR(big.minY, 360, 2) << "H sits on the baseline";
    EXPECT_GE(big.minX, 640);
    EXPECT_LT(big.minX, 660);
    EXPECT_GT(big.height(), 20);
    EXPECT_LT(big.height(), 48);

    const Box small = print_centre(text, 640, 360, 1.0f);
    ASSERT_FALSE(small.empty());
    EXPECT_NEAR(small.minY, 180, 2);
    EXPECT_GE(small.minX, 320);
    EXPECT_NEAR(small.height(), big.height() / 2.0, 2.0) << "scale follows the width";

    const Box wide = print_centre(text, 1280, 720, 2.0f);
    EXPECT_NEAR(wide.width(), big.width() * 2.0, 3.0);
    EXPECT_EQ(wide.height(), big.height());

    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE0);
}

TEST_F(TextGL, OutlineFontDrawsToo)
{
    Text text(kFont, 96, FONT_OUTLINE);
    EXPECT_FALSE(print_centre(text, 1280, 720, 1.0f).empty());
}

TEST_F(TextGL, PrintNeedsReshapeFirst)
{
    Text text(kFont, 48, FONT_BUFFER);
    EXPECT_EQ(fatal_message([&] { text.Print("x"); }), "Can't print before calling Text::Reshape() at least once!");
    EXPECT_EQ(fatal_message([&] { text.PrintAt(0, 0, 1, "x"); }),
              "Can't print before calling Text::Reshape() at least once!");
    EXPECT_EQ(fatal_message([&] { text.SetGLState(); }),
              "Can't set gl state before calling Text::Reshape() at least once!");
    text.Reshape(0, 600);
    EXPECT_EQ(fatal_message([&] { text.Print("x"); }), "Can't print before calling Text::Reshape() at least once!");

    // A null format draws nothing; an overlong text is cut, not overrun.
    FBO target(256, 64, FBO_TYPE_RGBA8, 0);
    target.push(true);
    text.Reshape(256, 64);
    text.SetGLState();
    text.Print(nullptr);
    target.pop();
    EXPECT_TRUE(lit_box(target).empty());
    const std::string longText(1000, 'W');
    target.push(true);
    text.SetGLState();
    text.Print("%s", longText.c_str());
    target.pop();
    EXPECT_FALSE(lit_box(target).empty());
}

TEST_F(TextGL, FontFailures)
{
    EXPECT_EQ(fatal_message([] { Text t("no/such/font.ttf", 12, FONT_BUFFER); }),
              "Failed to open font file no/such/font.ttf");
    EXPECT_EQ(fatal_message([] { Text t(kFont, 12, 2); }), "Unknown font type 2");
    EXPECT_EQ(fatal_message([] { Text t("no/such/font.ttf", 12, 2); }), "Failed to open font file no/such/font.ttf");
    const auto bad = std::filesystem::temp_directory_path() / ("velmo_badfont_" + std::to_string(::getpid()) + ".ttf");
    std::ofstream(bad) << "this is not a font at all, just text";
    EXPECT_EQ(fatal_message([&] { Text t(bad.string(), 12, FONT_BUFFER); }), "Failed to create font from " + bad.string());
    std::filesystem::remove(bad);
}

}
