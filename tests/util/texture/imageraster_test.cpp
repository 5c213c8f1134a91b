// BMP and JPEG pictures through ImageRaster into a texture's image record,
// against ImageMagick; damaged and unsupported files end in the loaders'
// fatal errors (never in libjpeg's own exit).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/messagebox.h"
#include "support/fatal_message.h"
#include "system/fatal_error.h"
#include "util/texture/bmp_loader.h"
#include "util/texture/image_fixtures.h"
#include "util/texture/imageraster.h"
#include "util/texture/jpg_loader.h"
#include "util/texture/texture.h"

namespace {

using testsupport::fatal_message;

using imgtest::Bytes;

class RasterImages : public ::testing::Test {
protected:
    void SetUp() override
    {
        set_fatal_error_throws(true);
        set_message_box_responder([this](const char* text, const char*, UINT) {
            boxes.push_back(text);
            return IDOK;
        });
        dir = std::filesystem::temp_directory_path() / ("velmo_raster_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override
    {
        std::filesystem::remove_all(dir);
        set_fatal_error_throws(false);
        set_message_box_responder({});
    }
    std::string path(const std::string& name) { return (dir / name).string(); }

    // The texture's pixels, turned back to top row first.
    static Bytes top_first(Texture& tex)
    {
        Bytes out;
        const size_t stride = size_t(tex.width) * 4;
        for (int r = tex.height - 1; r >= 0; r--)
            out.insert(out.end(), tex.imageData + r * stride, tex.imageData + (r + 1) * stride);
        std::free(tex.imageData);
        tex.imageData = nullptr;
        return out;
    }

    std::vector<std::string> boxes;
    std::filesystem::path dir;
};

Bytes rgb_picture(int w, int h)
{
    Bytes rgb;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            rgb.insert(rgb.end(), {uint8_t(x * 50 + 7), uint8_t(y * 60 + 3), uint8_t(x * y * 9 + 100)});
    return rgb;
}

Bytes rgba_of(const Bytes& rgb)
{
    Bytes out;
    for (size_t i = 0; i < rgb.size(); i += 3)
        out.insert(out.end(), {rgb[i], rgb[i + 1], rgb[i + 2], 255});
    return out;
}

TEST_F(RasterImages, BmpWidthsOneToFiveWithAndWithoutImageSizeField)
{
    for (int w = 1; w <= 5; w++)
        for (int sizeField : {-1, 0}) {
            SCOPED_TRACE("width " + std::to_string(w) + " size field " + std::to_string(sizeField));
            const Bytes rgb = rgb_picture(w, 3);
            const std::string file = path("w" + std::to_string(w) + "_" + std::to_string(sizeField) + ".bmp");
            imgtest::write_file(file, imgtest::make_bmp(w, 3, rgb, sizeField));
            Texture tex;
            ASSERT_TRUE(load_bmp(&tex, file.c_str()));
            EXPECT_EQ(tex.width, w);
            EXPECT_EQ(tex.height, 3);
            EXPECT_EQ(tex.bpp, 32);
            EXPECT_EQ(tex.format, GL_RGBA);
            const Bytes got = top_first(tex);
            EXPECT_EQ(got, rgba_of(rgb));
            if (imgtest::have_imagemagick()) {
                EXPECT_EQ(got, imgtest::reference_rgba(file));
            }
        }
    // ImageMagick's own 24-bit BMPs read the same.
    if (imgtest::have_imagemagick()) {
        const std::string file = path("im.bmp");
        ASSERT_EQ(std::system(("convert -size 5x4 gradient:red-blue -type TrueColor BMP3:'" + file + "'").c_str()), 0);
        Texture tex;
        ASSERT_TRUE(load_bmp(&tex, file.c_str()));
        EXPECT_EQ(top_first(tex), imgtest::reference_rgba(file));
    }
}

TEST_F(RasterImages, BmpErrorCodes)
{
    const Bytes rgb = rgb_picture(2, 2);
    // The reason each code's message gives after the loader's own words.
    const std::string kProblem[5] = {"", "the file cannot be read", "not an uncompressed 24-bit picture of a usable size",
                                     "its pixel data starts or ends past the end of the file", "the file is cut short"};
    struct Case {
        const char* name;
        Bytes bytes;
        int code;
    };
    Bytes shortFile = imgtest::make_bmp(2, 2, rgb, -1);
    shortFile.resize(57);
    Bytes cutPixels = imgtest::make_bmp(2, 2, rgb, -1);
    cutPixels.resize(54 + 8 + 2);
    Bytes cutPadding = imgtest::make_bmp(2, 2, rgb, -1);
    cutPadding.resize(cutPadding.size() - 1);
    Bytes farOffset = imgtest::make_bmp(2, 2, rgb, -1);
    farOffset[10] = 0xFF;
    farOffset[11] = 0xFF;
    const Case cases[] = {
        {"32-bit", imgtest::make_bmp(2, 2, rgb, -1, 32), 2},
        {"run-length", imgtest::make_bmp(2, 2, rgb, -1, 24, 1), 2},
        {"8-bit", imgtest::make_bmp(2, 2, rgb, -1, 8), 2},
        {"both colour counts", imgtest::make_bmp(2, 2, rgb, -1, 24, 0, 4, 4), 2},
        {"zero width", imgtest::make_bmp(0, 2, {}, -1), 2},
        {"huge", imgtest::make_bmp(1, 1, {1, 2, 3}, -1), 2},
        {"shorter than 58 bytes", shortFile, 4},
        {"pixels cut", cutPixels, 4},
        {"padding cut", cutPadding, 3},
        {"offset beyond the file", farOffset, 3},
    };
    for (const Case& c : cases) {
        Bytes bytes = c.bytes;
        if (std::string(c.name) == "zero width")
            bytes.resize(bytes.size() + 8, 0); // long enough for the headers
        if (std::string(c.name) == "huge") {
            bytes[18] = 0xFF; bytes[19] = 0xFF; bytes[20] = 0xFF; bytes[21] = 0x7F; // width 2^31 - 1
        }
        const std::string file = path("bad.bmp");
        imgtest::write_file(file, bytes);
        Texture tex;
        EXPECT_EQ(fatal_message([&] { load_bmp(&tex, file.c_str()); }),
                  "Failed reading " + file + ", error code " + std::to_string(c.code) + "\n(" + kProblem[c.code] + ")")
            << c.name;
    }
    Texture tex;
    EXPECT_EQ(fatal_message([&] { load_bmp(&tex, path("missing.bmp").c_str()); }),
              "Failed reading " + path("missing.bmp") + ", error code 1\n(the file cannot be read)");
}

TEST_F(RasterImages, JpegKindsAgainstReference)
{
    ASSERT_TRUE(imgtest::have_imagemagick()) << "ImageMagick's convert makes the JPEG corpus";
    struct Case {
        const char* name;
        const char* options;
    };
    const Case cases[] = {
        {"baseline", "-quality 90"},
        {"progressive", "-quality 85 -interlace JPEG"},
        {"greyscale", "-colorspace Gray -type Grayscale"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = path(std::string(c.name) + ".jpg");
        ASSERT_EQ(std::system(("convert -size 40x30 -seed 4 plasma: " + std::string(c.options) + " '" + file + "'").c_str()), 0);
        Texture tex;
        ASSERT_TRUE(load_jpg(&tex, file.c_str()));
        EXPECT_EQ(tex.width, 40);
        EXPECT_EQ(tex.height, 30);
        const Bytes got = top_first(tex);
        const Bytes want = imgtest::reference_rgba(file);
        ASSERT_EQ(got.size(), want.size());
        int worst = 0;
        for (size_t i = 0; i < got.size(); i++)
            worst = std::max(worst, std::abs(int(got[i]) - int(want[i])));
        EXPECT_LE(worst, 1);
        if (std::string(c.name) == "greyscale") {
            for (size_t i = 0; i < got.size(); i += 4)
                ASSERT_TRUE(got[i] == got[i + 1] && got[i] == got[i + 2]);
        }
    }
    for (const char* colour : {"#00FF00", "#0000FF"}) {
        const std::string file = path("flat.jpg");
        ASSERT_EQ(std::system(("convert -size 16x16 'xc:" + std::string(colour) + "' -quality 95 '" + file + "'").c_str()), 0);
        Texture tex;
        ASSERT_TRUE(load_jpg(&tex, file.c_str()));
        const Bytes got = top_first(tex);
        const bool green = colour[3] == 'F';
        for (size_t i = 0; i < got.size(); i += 4) {
            ASSERT_LE(got[i], 2) << colour;
            ASSERT_GE(green ? got[i + 1] : got[i + 2], 253) << colour;
            ASSERT_LE(green ? got[i + 2] : got[i + 1], 2) << colour;
        }
    }
}

TEST_F(RasterImages, CorruptJpegReachesTheFatalErrorPath)
{
    const std::string file = path("corrupt.jpg");
    imgtest::write_file(file, Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1});
    Texture tex;
    EXPECT_EQ(fatal_message([&] { load_jpg(&tex, file.c_str()); }), "Failed reading " + file + "\n");
    imgtest::write_file(file, Bytes{'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g'});
    EXPECT_EQ(fatal_message([&] { load_jpg(&tex, file.c_str()); }), "Failed reading " + file + "\n");
    if (imgtest::have_imagemagick()) {
        // A real file cut short in its scan data.
        ASSERT_EQ(std::system(("convert -size 64x64 -seed 2 plasma: -interlace JPEG '" + file + "'").c_str()), 0);
        const auto size = std::filesystem::file_size(file);
        std::filesystem::resize_file(file, size / 3);
        Texture cut;
        const std::string message = fatal_message([&] {
            if (load_jpg(&cut, file.c_str()))
                std::free(cut.imageData);
        });
        // libjpeg would fill the missing blocks with grey; a damaged picture is refused instead.
        EXPECT_EQ(message, "Failed reading " + file + "\n");
    }
    EXPECT_EQ(fatal_message([&] { load_jpg(&tex, path("missing.jpg").c_str()); }),
              "Failed reading " + path("missing.jpg") + "\n");
}

TEST_F(RasterImages, RasterSetPixelIgnoresOutside)
{
    ImageRaster r(3);
    EXPECT_EQ(r.get_channels(), 3);
    r.allocate(); // 0 x 0: nothing
    EXPECT_EQ(r.to_rgba(), nullptr);
    r.width = 2;
    r.height = 1;
    r.allocate();
    r.set_pixel(0, 1, 10, 30, 20); // red, blue, green
    r.set_pixel(0, 2, 1, 1, 1);
    r.set_pixel(-1, 0, 1, 1, 1);
    uint8_t* rgba = r.to_rgba();
    ASSERT_NE(rgba, nullptr);
    EXPECT_EQ(Bytes(rgba, rgba + 8), (Bytes{0, 0, 0, 255, 10, 20, 30, 255}));
    std::free(rgba);
}

}
