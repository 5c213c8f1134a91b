// The PNG decoder against the pictures it was given and against ImageMagick,
// over every supported colour type, filter, interlacing and deflate block
// kind; then damaged files, each of which must be refused.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/messagebox.h"
#include "system/fatal_error.h"
#include "util/texture/image_fixtures.h"
#include "util/texture/png_loader.h"
#include "util/texture/texture.h"

namespace {

using imgtest::Bytes;

struct Decoded {
    bool ok = false;
    int width = 0, height = 0, bpp = 0;
    Bytes rgba; // top row first
};

class PngDecoder : public ::testing::Test {
protected:
    void SetUp() override
    {
        set_fatal_error_throws(true);
        set_message_box_responder([this](const char* text, const char* caption, UINT) {
            boxes.push_back(std::string(caption) + "|" + text);
            return IDOK;
        });
        dir = std::filesystem::temp_directory_path() / ("velmo_png_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override
    {
        std::filesystem::remove_all(dir);
        set_fatal_error_throws(false);
        set_message_box_responder({});
    }

    Decoded decode(const Bytes& png)
    {
        Texture tex;
        Decoded d;
        d.ok = load_png_buffer(&tex, png.data(), static_cast<int>(png.size()));
        d.width = tex.width;
        d.height = tex.height;
        d.bpp = tex.bpp;
        if (d.ok) {
            const size_t stride = size_t(tex.width) * 4;
            for (int r = tex.height - 1; r >= 0; r--)
                d.rgba.insert(d.rgba.end(), tex.imageData + r * stride, tex.imageData + (r + 1) * stride);
            std::free(tex.imageData);
        }
        return d;
    }

    // Expects decoding to stop through the fatal-error path with the buffer message.
    void expect_refused(const Bytes& png, const char* what)
    {
        SCOPED_TRACE(what);
        try {
            Decoded d = decode(png);
            ADD_FAILURE() << "accepted, ok=" << d.ok;
        } catch (const FatalErrorException& e) {
            EXPECT_NE(std::string(e.what()).find(": Failed to open/decode png buffer of size "
                                                 + std::to_string(png.size()) + "!\n"),
                      std::string::npos)
                << e.what();
        }
    }

    std::vector<std::string> boxes;
    std::filesystem::path dir;
};

// What an 8-bit PNG of this colour type stores of the RGBA picture.
Bytes expected_pixels(const imgtest::Image& img, int colourType)
{
    Bytes out = img.rgba;
    for (size_t i = 0; i < out.size(); i += 4) {
        if (colourType == 0 || colourType == 4) out[i + 1] = out[i + 2] = out[i];
        if (colourType == 0 || colourType == 2) out[i + 3] = 255;
    }
    return out;
}

TEST_F(PngDecoder, CorpusMatchesSourceAndReferenceDecoder)
{
    const bool oracle = imgtest::have_imagemagick();
    if (!oracle)
        ADD_FAILURE() << "ImageMagick's convert is missing: comparing with the source pictures only";
    struct Strategy {
        const char* name;
        int level, strategy;
    } strategies[] = {{"stored", 0, Z_DEFAULT_STRATEGY}, {"fixed", 6, Z_FIXED}, {"dynamic", 9, Z_DEFAULT_STRATEGY}};
    const int sizes[][2] = {{37, 23}, {1, 1}, {3, 2}, {7, 9}};
    int n = 0;
    for (int ct : {0, 2, 3, 4, 6}) {
        for (const auto& size : sizes) {
            const imgtest::Image img = imgtest::test_image(size[0], size[1], ct == 0 || ct == 4, ct == 3, ct == 0 || ct == 2);
            struct Variant {
                bool interlace;
                int filter;
                Strategy s;
                bool split;
            };
            std::vector<Variant> variants;
            for (bool il : {false, true})
                for (const Strategy& s : strategies)
                    variants.push_back({il, -1, s, il && s.level == 9});
            if (size[0] == 37)
                for (int f = 0; f <= 4; f++)
                    variants.push_back({false, f, strategies[2], false});
            for (const Variant& v : variants) {
                imgtest::PngOptions o;
                o.colourType = ct;
                o.interlace = v.interlace;
                o.filter = v.filter;
                o.level = v.s.level;
                o.strategy = v.s.strategy;
                o.splitIdat = v.split;
                const Bytes png = imgtest::make_png(img, o);
                SCOPED_TRACE("type " + std::to_string(ct) + " " + std::to_string(size[0]) + "x" + std::to_string(size[1])
                             + (v.interlace ? " interlaced" : "") + " filter " + std::to_string(v.filter) + " " + v.s.name);
                ASSERT_EQ(png[25], ct) << "colour type in IHDR";
                const Decoded d = decode(png);
                ASSERT_TRUE(d.ok);
                EXPECT_EQ(d.width, size[0]);
                EXPECT_EQ(d.height, size[1]);
                EXPECT_EQ(d.bpp, 32);
                EXPECT_TRUE(d.rgba == expected_pixels(img, ct)) << "differs from the source picture";
                if (oracle) {
                    const auto file = dir / ("c" + std::to_string(n++) + ".png");
                    imgtest::write_file(file, png);
                    EXPECT_TRUE(d.rgba == imgtest::reference_rgba(file)) << "differs from ImageMagick";
                }
            }
        }
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(PngDecoder, TransparencyChunks)
{
    // Truecolour: alpha 0 exactly where the pixel is (10, 20, 30).
    imgtest::Image img{3, 1, {10, 20, 30, 255, 10, 20, 31, 255, 200, 0, 0, 255}};
    imgtest::PngOptions o;
    o.colourType = 2;
    o.trns = {0, 10, 0, 20, 0, 30};
    Decoded d = decode(imgtest::make_png(img, o));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.rgba[3], 0);
    EXPECT_EQ(d.rgba[7], 255);
    EXPECT_EQ(d.rgba[11], 255);

    // Greyscale with and without tRNS.
    imgtest::Image grey{2, 1, {77, 77, 77, 255, 78, 78, 78, 255}};
    o.colourType = 0;
    o.trns = {0, 77};
    d = decode(imgtest::make_png(grey, o));
    EXPECT_EQ(d.rgba[3], 0);
    EXPECT_EQ(d.rgba[7], 255);
    o.trns.clear();
    d = decode(imgtest::make_png(grey, o));
    EXPECT_EQ(d.rgba[3], 255);

    // Indexed: tRNS holds one alpha per palette entry.
    const Bytes idat = imgtest::deflate_bytes({0, 0, 1, 2}, 6, Z_DEFAULT_STRATEGY);
    const Bytes plte = {255, 0, 0, 0, 255, 0, 0, 0, 255};
    const Bytes png = imgtest::make_png_raw(imgtest::ihdr(3, 1, 8, 3, 0), idat, plte, {255, 0});
    d = decode(png);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.rgba, (Bytes{255, 0, 0, 255, 0, 255, 0, 0, 0, 0, 255, 255}));
    const Bytes half = imgtest::make_png_raw(imgtest::ihdr(3, 1, 8, 3, 0), idat, plte, {128, 64, 32});
    d = decode(half);
    EXPECT_EQ(d.rgba[3], 128);
    EXPECT_EQ(d.rgba[7], 64);
    EXPECT_EQ(d.rgba[11], 32);
    if (imgtest::have_imagemagick()) {
        imgtest::write_file(dir / "trns.png", half);
        EXPECT_EQ(d.rgba, imgtest::reference_rgba(dir / "trns.png"));
    }
}

TEST_F(PngDecoder, StoredBlockAfterCompressedBlockInMidByte)
{
    imgtest::DeflateBits z;
    z.bits(0, 1); // not final
    z.bits(1, 2); // fixed
    z.fixed_symbol(0); // filter byte
    z.fixed_symbol(9);
    z.fixed_symbol(256);
    z.bits(1, 1); // final
    z.bits(0, 2); // stored: the rest of the byte is skipped
    Bytes zl = z.zlib();
    zl.insert(zl.end(), {3, 0, 0xFC, 0xFF, 8, 7, 6});
    const Decoded d = decode(imgtest::make_png_raw(imgtest::ihdr(1, 1, 8, 6, 0), zl, {}, {}, false));
    ASSERT_TRUE(d.ok) << "a file without IEND still decodes";
    EXPECT_EQ(d.rgba, (Bytes{9, 8, 7, 6}));
}

TEST_F(PngDecoder, UnsupportedDepthsAreRefusedWithInvalidTextureInformation)
{
    Bytes raw{0};
    for (int i = 0; i < 12; i++) raw.push_back(uint8_t(i * 20));
    const Bytes png16 = imgtest::make_png_raw(imgtest::ihdr(2, 1, 16, 2, 0), imgtest::deflate_bytes(raw, 6, 0));
    testing::internal::CaptureStdout();
    const Decoded d = decode(png16);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(d.ok);
    EXPECT_EQ(out, "Dimensions 2x1, bpp 64\n");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("ERROR at src\\util\\texture\\png_loader.cpp:"), std::string::npos) << boxes[0];
    EXPECT_NE(boxes[0].find("|Invalid texture information"), std::string::npos);

    // Sizes that would overflow or exhaust the pixel buffer never reach it.
    for (uint32_t side : {0x7FFFFFFFu, 0x10000u, 0u}) {
        boxes.clear();
        testing::internal::CaptureStdout();
        const Decoded big = decode(imgtest::make_png_raw(imgtest::ihdr(side, side, 8, 6, 0), imgtest::deflate_bytes({0, 1, 2, 3, 4}, 6, 0)));
        testing::internal::GetCapturedStdout();
        EXPECT_FALSE(big.ok) << side;
        EXPECT_EQ(boxes.size(), 1u);
    }
}

TEST_F(PngDecoder, DamagedStreamsAreRefused)
{
    const Bytes hdr = imgtest::ihdr(1, 1, 8, 6, 0);
    auto png = [&](const Bytes& z) { return imgtest::make_png_raw(hdr, z); };

    expect_refused(Bytes{1, 2, 3}, "too short for a signature");
    Bytes badSig = png(imgtest::deflate_bytes({0, 1, 2, 3, 4}, 6, 0));
    badSig[0] = 136;
    expect_refused(badSig, "first byte not 137");
    expect_refused(imgtest::make_png_raw(hdr, imgtest::deflate_bytes({0, 1, 2, 3, 4}, 6, 0), {1, 2, 3, 4}),
                   "PLTE length not a multiple of 3");

    Bytes truncated = imgtest::deflate_bytes({0, 1, 2, 3, 4}, 0, 0);
    truncated.resize(truncated.size() - 6);
    expect_refused(png(truncated), "truncated stored data");
    expect_refused(png({0x78, 0x01, 0x01, 0x02, 0x00, 0xFD, 0xFF, 0, 1}), "stored block shorter than the image");
    expect_refused(png({0x88, 0x01, 0x01, 0x05, 0x00, 0xFA, 0xFF, 0, 1, 2, 3, 4}), "window above 32768 bytes");
    expect_refused(png({0x78, 0x20, 0, 0, 0, 0}), "preset dictionary");
    expect_refused(png({0x78, 0x01, 0x07}), "block type 3");
    expect_refused(png({}), "no image data at all");

    {
        imgtest::DeflateBits z;
        z.bits(1, 1);
        z.bits(1, 2);
        z.fixed_symbol(0);
        z.fixed_symbol(257); // length 3
        z.code(1, 5);        // distance 2, one byte produced so far
        z.fixed_symbol(256);
        expect_refused(png(z.zlib()), "distance before the first byte");
    }
    for (int dcode : {30, 31}) {
        imgtest::DeflateBits z;
        z.bits(1, 1);
        z.bits(1, 2);
        z.fixed_symbol(0);
        z.fixed_symbol(1);
        z.fixed_symbol(257);
        z.code(uint32_t(dcode), 5);
        z.fixed_symbol(256);
        expect_refused(png(z.zlib()), dcode == 30 ? "distance code 30" : "distance code 31");
    }
    {
        // Dynamic block whose code-length code is {0: '0', 16: '1'} and whose
        // first code length is a repeat of nothing.
        imgtest::DeflateBits z;
        z.bits(1, 1);
        z.bits(2, 2);
        z.bits(0, 5); // HLIT
        z.bits(0, 5); // HDIST
        z.bits(0, 4); // HCLEN: 4 code lengths, for 16, 17, 18, 0
        z.bits(1, 3);
        z.bits(0, 3);
        z.bits(0, 3);
        z.bits(1, 3);
        z.code(1, 1); // 16
        z.bits(0, 2);
        expect_refused(png(z.zlib()), "repeat as the first code length");
    }
    {
        // Code-length code {0: '0', 18: '1'}; two runs of 138 zeros overrun the 258 lengths.
        imgtest::DeflateBits z;
        z.bits(1, 1);
        z.bits(2, 2);
        z.bits(0, 5);
        z.bits(0, 5);
        z.bits(0, 4);
        z.bits(0, 3);
        z.bits(0, 3);
        z.bits(1, 3);
        z.bits(1, 3);
        z.code(1, 1);
        z.bits(127, 7);
        z.code(1, 1);
        z.bits(127, 7);
        expect_refused(png(z.zlib()), "repeat past the table");
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(PngDecoder, TextureStopsWithItsOwnMessages)
{
    Texture tex;
    try {
        tex.load_png_buffer(nullptr, 10, false, false, GL_LINEAR, GL_LINEAR);
        ADD_FAILURE();
    } catch (const FatalErrorException& e) {
        EXPECT_STREQ(e.what(), "buffer is NULL");
    }
    const uint8_t one = 0;
    try {
        tex.load_png_buffer(&one, 0, false, false, GL_LINEAR, GL_LINEAR);
        ADD_FAILURE();
    } catch (const FatalErrorException& e) {
        EXPECT_STREQ(e.what(), "Failed assert size > 0");
    }
    Bytes raw{0};
    for (int i = 0; i < 6; i++) raw.push_back(1);
    const Bytes png16 = imgtest::make_png_raw(imgtest::ihdr(1, 1, 16, 2, 0), imgtest::deflate_bytes(raw, 6, 0));
    testing::internal::CaptureStdout();
    try {
        tex.load_png_buffer(png16.data(), int(png16.size()), false, false, GL_LINEAR, GL_LINEAR);
        ADD_FAILURE();
    } catch (const FatalErrorException& e) {
        EXPECT_EQ(std::string(e.what()), "Failed to load png texture of size " + std::to_string(png16.size()));
    }
    testing::internal::GetCapturedStdout();
}

}
