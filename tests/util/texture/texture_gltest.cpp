#include <GL/glew.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "platform/messagebox.h"
#include "support/fatal_message.h"
#include "support/gl_context.h"
#include "system/fatal_error.h"
#include "util/texture/image_fixtures.h"
#include "util/texture/texture.h"
#include "util/texture/texturecube.h"

namespace {

using testsupport::fatal_message;

using imgtest::Bytes;

class TextureGL : public gltest::GLTest {
protected:
    void SetUp() override
    {
        GLTest::SetUp();
        set_fatal_error_throws(true);
        set_message_box_responder([this](const char* text, const char* caption, UINT) {
            boxes.push_back(std::string(caption) + "|" + text);
            return IDOK;
        });
        dir = std::filesystem::temp_directory_path() / ("velmo_texgl_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override
    {
        std::filesystem::remove_all(dir);
        set_fatal_error_throws(false);
        set_message_box_responder({});
    }
    std::string path(const std::string& name) { return (dir / name).string(); }

    // A 4x4 picture whose every pixel differs; written as a PNG.
    std::string write_png(const std::string& name, imgtest::Image* imgOut = nullptr)
    {
        imgtest::Image img{4, 4, {}};
        for (int y = 0; y < 4; y++)
            for (int x = 0; x < 4; x++)
                img.rgba.insert(img.rgba.end(), {uint8_t(x * 60 + 10), uint8_t(y * 60 + 20), uint8_t(200 - x * 10 - y * 30), 255});
        imgtest::PngOptions o;
        o.colourType = 6;
        imgtest::write_file(dir / name, imgtest::make_png(img, o));
        if (imgOut)
            *imgOut = img;
        return path(name);
    }

    std::vector<std::string> boxes;
    std::filesystem::path dir;
};

TEST_F(TextureGL, PngDrawnFullScreenReadsBackUpright)
{
    imgtest::Image img;
    const std::string file = write_png("pic.png", &img);
    Texture tex(file, false, false, GL_NEAREST, GL_NEAREST);
    ASSERT_NE(tex.get_id(), 0u);
    EXPECT_EQ(tex.imageData, nullptr) << "pixels are freed after the upload";
    Texture::bind_default_shader();
    tex.draw_fullscreen(0, 0, 1, 1);
    const int w = gltest::window_width(), h = gltest::window_height();
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 4; x++) {
            // Picture row y (top first) lies at window row from the top.
            const uint32_t got = gltest::read_pixel(x * w / 4 + w / 8, h - 1 - (y * h / 4 + h / 8));
            const uint8_t* p = &img.rgba[(y * 4 + x) * 4];
            EXPECT_EQ(got, (uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3])) << x << "," << y;
        }
    // read_pixels gives GL's order: bottom row first.
    uint8_t* back = tex.read_pixels();
    EXPECT_EQ(Bytes(back, back + 16), Bytes(img.rgba.begin() + 48, img.rgba.end()));
    std::free(back);
}

TEST_F(TextureGL, LoadChoosesDecoderByEndingIgnoringCase)
{
    write_png("upper.PNG");
    Texture png;
    EXPECT_TRUE(png.load(path("upper.PNG"), false, true, GL_LINEAR, GL_LINEAR));
    EXPECT_EQ(png.get_width(), 4);
    GLint wrap = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    EXPECT_EQ(wrap, GL_REPEAT);

    if (imgtest::have_imagemagick()) {
        ASSERT_EQ(std::system(("convert -size 8x2 xc:red '" + path("x.JPEG") + "'").c_str()), 0);
        Texture jpg(path("x.JPEG"), true, false);
        EXPECT_EQ(jpg.get_width(), 8);
        GLint minFilter = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
        EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_LINEAR);
    }

    Texture empty;
    EXPECT_TRUE(empty.load("", true, true, GL_LINEAR, GL_LINEAR));
    EXPECT_EQ(empty.get_id(), 0u);

    Texture tga;
    EXPECT_EQ(fatal_message([&] { tga.load(path("pic.tga"), false, false, GL_LINEAR, GL_LINEAR); }),
              "Failed to load texture " + path("pic.tga"));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Unsupported image format!|Sorry, image format .tga is not yet supported.\nTry .tga or .png.");
    const std::string missing = fatal_message([&] { Texture t(path("none.png"), false, false); });
    EXPECT_EQ(missing.rfind("src\\util\\texture\\png_loader.cpp:", 0), 0u) << missing;
    EXPECT_NE(missing.find(": Failed to open/decode " + path("none.png") + "!\n"), std::string::npos) << missing;
}

TEST_F(TextureGL, EmptyTexturesAndTheirFailures)
{
    Texture bad;
    EXPECT_EQ(fatal_message([&] { bad.create_empty(4, 4, false, false, 0); }), "Unrecognized texture format 0");

    Texture depth;
    depth.create_empty(8, 8, false, false, GL_DEPTH_COMPONENT32);
    GLint filter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(filter, GL_NEAREST);

    // A multisample texture: its own target, and the 2D texture bound on the
    // same unit keeps its settings.
    GLuint plain = 0;
    glGenTextures(1, &plain);
    glBindTexture(GL_TEXTURE_2D, plain);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_MIRRORED_REPEAT);
    glGetError();
    Texture ms;
    ms.create_empty(16, 16, true, false, GL_RGBA8, 4);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(filter, GL_NEAREST);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &filter);
    EXPECT_EQ(filter, GL_MIRRORED_REPEAT);
    ms.bind(2);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D_MULTISAMPLE, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), ms.get_id());
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE2);
    Texture::unbind(2);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE0);
    glDeleteTextures(1, &plain);

    Texture rgb;
    rgb.create_empty(2, 2, false, false, GL_RGBA8);
    rgb.bpp = 24;
    EXPECT_EQ(fatal_message([&] { rgb.read_pixels(); }), "Failed assert 4 == bytespp");

    Texture uninit;
    EXPECT_EQ(fatal_message([&] { uninit.resize(2, 2); }), "Attempted to resize a texture that is not initialized!");
    EXPECT_EQ(fatal_message([&] { rgb.create(); }), "Attempt to create an already initialized texture!");
}

// Every level of a mipmapped texture, read back as RGBA floats (exact for 8-bit
// and float formats alike).
std::vector<std::vector<float>> levels_of(GLuint id, int width, int height)
{
    std::vector<std::vector<float>> levels;
    glBindTexture(GL_TEXTURE_2D, id);
    for (int level = 0; (std::max(width, height) >> level) > 0; ++level) {
        const int w = std::max(width >> level, 1), h = std::max(height >> level, 1);
        std::vector<float> pixels(static_cast<std::size_t>(w) * h * 4, -1.0f);
        glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_FLOAT, pixels.data());
        levels.push_back(std::move(pixels));
    }
    return levels;
}

// Clears level 0 to a colour through a framebuffer and builds the chain.
void paint_and_build_chain(GLuint id, float red)
{
    GLuint fbo = 0;
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, id, 0);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    glClearColor(red, 0.25f, 0.75f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &fbo);
    glBindTexture(GL_TEXTURE_2D, id);
    glGenerateMipmap(GL_TEXTURE_2D);
}

// An empty mipmapped texture (a framebuffer's picture) gets its whole chain
// at once instead of building it from an empty first level: each level reads
// back as the old way made it, the texture is complete for trilinear
// sampling, and a picture drawn into it builds the same chain.
TEST_F(TextureGL, AnEmptyMipChainIsTheOneBuiltFromAnEmptyFirstLevel)
{
    const struct {
        int width, height, format;
    } cases[] = {{640, 600, GL_RGBA8}, {512, 512, GL_RGBA8}, {33, 17, GL_RGBA32F}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        // The old way, kept here as the reference.
        GLuint reference = 0;
        glGenTextures(1, &reference);
        glBindTexture(GL_TEXTURE_2D, reference);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, c.format, c.width, c.height, 0, GL_RGBA,
                     c.format == GL_RGBA8 ? GL_UNSIGNED_BYTE : GL_FLOAT, nullptr);
        glGenerateMipmap(GL_TEXTURE_2D);

        Texture tex;
        ASSERT_TRUE(tex.create_empty(c.width, c.height, true, false, c.format));
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        EXPECT_EQ(levels_of(tex.get_id(), c.width, c.height), levels_of(reference, c.width, c.height));

        paint_and_build_chain(reference, 0.5f);
        paint_and_build_chain(tex.get_id(), 0.5f);
        EXPECT_EQ(levels_of(tex.get_id(), c.width, c.height), levels_of(reference, c.width, c.height));
        glDeleteTextures(1, &reference);
    }
    // Complete: drawn minified with trilinear filtering, the painted colour
    // shows (an incomplete texture would read as black).
    Texture tex;
    ASSERT_TRUE(tex.create_empty(64, 64, true, false, GL_RGBA8));
    paint_and_build_chain(tex.get_id(), 1.0f);
    glViewport(0, 0, 8, 8);
    Texture::bind_default_shader();
    tex.draw_fullscreen(0.0f, 0.0f, 1.0f, 1.0f);
    unsigned char pixel[4] = {};
    glReadPixels(4, 4, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[0], 255);
    EXPECT_NEAR(pixel[1], 64, 1);
}

TEST_F(TextureGL, LoadedTextureResizes)
{
    Texture tex(write_png("r.png"), true, false);
    const auto sampling = [&] {
        GLint minFilter = 0, wrap = 0;
        tex.bind(0);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
        return std::pair{minFilter, wrap};
    };
    const GLuint before = tex.get_id();
    const auto samplingBefore = sampling();
    EXPECT_TRUE(tex.resize(8, 2));
    EXPECT_NE(tex.get_id(), before);     // a new GL object ...
    EXPECT_FALSE(glIsTexture(before));   // ... and the old one deleted
    EXPECT_EQ(sampling(), samplingBefore);  // with the same sampling
    EXPECT_EQ(tex.get_width(), 8);
    GLint w = 0;
    tex.bind(0);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    EXPECT_EQ(w, 8);
}

TEST_F(TextureGL, CubeFacesUploadTopRowFirst)
{
    const char* names[6] = {"nx.png", "px.png", "ny.png", "py.png", "nz.png", "pz.png"};
    std::vector<imgtest::Image> faces(6);
    std::vector<std::string> files;
    for (int f = 0; f < 6; f++) {
        imgtest::Image img{2, 2, {}};
        for (int i = 0; i < 4; i++)
            img.rgba.insert(img.rgba.end(), {uint8_t(f * 40), uint8_t(i * 60), uint8_t(255 - i), 255});
        faces[f] = img;
        imgtest::PngOptions o;
        imgtest::write_file(dir / names[f], imgtest::make_png(img, o));
        files.push_back(path(names[f]));
    }
    TextureCube cube;
    ASSERT_TRUE(cube.load(files[0].c_str(), files[1].c_str(), files[2].c_str(), files[3].c_str(), files[4].c_str(),
                          files[5].c_str()));
    cube.bind(1);
    const GLenum targets[6] = {GL_TEXTURE_CUBE_MAP_NEGATIVE_X, GL_TEXTURE_CUBE_MAP_POSITIVE_X,
                               GL_TEXTURE_CUBE_MAP_NEGATIVE_Y, GL_TEXTURE_CUBE_MAP_POSITIVE_Y,
                               GL_TEXTURE_CUBE_MAP_NEGATIVE_Z, GL_TEXTURE_CUBE_MAP_POSITIVE_Z};
    for (int f = 0; f < 6; f++) {
        Bytes got(16);
        glGetTexImage(targets[f], 0, GL_RGBA, GL_UNSIGNED_BYTE, got.data());
        EXPECT_EQ(got, faces[f].rgba) << "face " << f;
    }
    TextureCube::unbind(3);
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE3);

    imgtest::Image wide{3, 2, Bytes(24, 9)};
    imgtest::write_file(dir / "wide.png", imgtest::make_png(wide, imgtest::PngOptions()));
    TextureCube mismatched;
    EXPECT_EQ(fatal_message([&] {
                  mismatched.load(files[0].c_str(), path("wide.png").c_str(), files[2].c_str(), files[3].c_str(),
                                  files[4].c_str(), files[5].c_str());
              }),
              "Failed assert width == tex_array[i].get_width()\n" + path("wide.png") + " is 3x2, " + files[0] +
                  " is 2x2: every face of a cube map must have the first face's size");
}

}
