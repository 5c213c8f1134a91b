// The sky box in a real context: which face-name scheme it loads (asking the
// data layer, so a packed install finds its faces), every cube face read
// back, one rendered direction per axis, the refusal of non-square faces, the
// fatal paths, the caller's lighting and depth test kept, and the
// production's own six faces.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "effects/skybox/skybox.h"
#include "support/fatal_message.h"
#include "support/gl_context.h"
#include "util/data/data_entry.h"
#include "util/data/data_layer.h"
#include "util/texture/image_fixtures.h"

namespace {

using testsupport::fatal_message;

const GLenum kTargets[6] = {GL_TEXTURE_CUBE_MAP_NEGATIVE_X, GL_TEXTURE_CUBE_MAP_POSITIVE_X,
                            GL_TEXTURE_CUBE_MAP_NEGATIVE_Y, GL_TEXTURE_CUBE_MAP_POSITIVE_Y,
                            GL_TEXTURE_CUBE_MAP_NEGATIVE_Z, GL_TEXTURE_CUBE_MAP_POSITIVE_Z};
const char* const kAxisNames[6] = {"negx", "posx", "negy", "posy", "negz", "posz"};
const char* const kSideNames[6] = {"left", "right", "down", "up", "back", "front"};

class SkyBoxGLTest : public gltest::GLTest {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(chdir(VELMO_SOURCE_DIR), 0);
        set_loading_tick_hook([](float, bool) {});
    }
    void SetUp() override
    {
        GLTest::SetUp();
        set_datafile_mode(DataFileMode::Off);
        dir = std::filesystem::temp_directory_path() / ("velmo_skybox_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override
    {
        set_datafile_mode(DataFileMode::Off);
        std::filesystem::remove_all(dir);
    }

    // Colour of face f in a set (0 or 1): every face and set differ.
    static std::uint32_t face_colour(int set, int f)
    {
        return (std::uint32_t(40 + 40 * f) << 24) | (std::uint32_t(200 - 30 * f) << 16) |
               (std::uint32_t(set ? 230 : 20) << 8) | 255u;
    }

    static imgtest::Bytes face_png(std::uint32_t colour, int w = 8, int h = 8)
    {
        imgtest::Image img{w, h, {}};
        for (int i = 0; i < w * h; ++i)
            img.rgba.insert(img.rgba.end(), {std::uint8_t(colour >> 24), std::uint8_t(colour >> 16),
                                             std::uint8_t(colour >> 8), 255});
        imgtest::PngOptions o;
        o.colourType = 6;
        return imgtest::make_png(img, o);
    }

    std::string base() const { return (dir / "sky_").string(); }

    void write_faces(const char* const names[6], int set, int w = 8, int h = 8)
    {
        for (int f = 0; f < 6; ++f)
            imgtest::write_file(dir / (std::string("sky_") + names[f] + ".png"), face_png(face_colour(set, f), w, h));
    }

    static std::uint32_t centre_texel(GLenum target)
    {
        GLint w = 0;
        glGetTexLevelParameteriv(target, 0, GL_TEXTURE_WIDTH, &w);
        std::vector<std::uint8_t> px(std::size_t(w) * w * 4);
        glGetTexImage(target, 0, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
        const std::uint8_t* p = &px[(std::size_t(w / 2) * w + w / 2) * 4];
        return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
    }

    static void expect_faces(Effects::SkyBox& sky, int set)
    {
        sky.cubemap.bind(0);
        for (int f = 0; f < 6; ++f)
            EXPECT_EQ(centre_texel(kTargets[f]), face_colour(set, f)) << "face " << f;
        TextureCube::unbind(0);
    }

    // The colour seen at the middle of a 64x64 view from the sky box's centre
    // looking along the direction.
    static std::uint32_t look(Effects::SkyBox& sky, float x, float y, float z, float upX, float upY, float upZ)
    {
        glViewport(0, 0, 64, 64);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(60.0, 1.0, 0.1, 1000.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(0, 0, 0, x, y, z, upX, upY, upZ);
        sky.render(0.0f);
        glUseProgram(0);
        return gltest::read_pixel(32, 32);
    }

    std::filesystem::path dir;
    testsupport::ThrowingFatalErrors fatal;
};

TEST_F(SkyBoxGLTest, FaceSchemesAndEveryFaceReadBack)
{
    write_faces(kSideNames, 1);
    {
        Effects::SkyBox sky;
        sky.init(vec3(1, 2, 3), 50.0f, base().c_str(), "png");
        EXPECT_TRUE(sky.initialized);
        EXPECT_FLOAT_EQ(sky.size, 100.0f);
        EXPECT_FLOAT_EQ(sky.position.y, 2.0f);
        expect_faces(sky, 1);
    }
    // With both sets present the axis names win.
    write_faces(kAxisNames, 0);
    Effects::SkyBox sky;
    sky.init(vec3(0, 0, 0), 1.0f, base().c_str(), "png");
    expect_faces(sky, 0);
}

TEST_F(SkyBoxGLTest, PackedInstallChoosesTheSchemeFromTheDataFile)
{
    // Loose files of the side scheme on disk, but the data file holds the
    // axis scheme: read mode must load what the data file has.
    write_faces(kSideNames, 1);
    Effects::SkyBox sky;  // its shaders come from the disk
    const std::size_t before = data_entries.size();
    for (int f = 0; f < 6; ++f) {
        const imgtest::Bytes png = face_png(face_colour(0, f));
        auto* e = new DataEntry;
        e->name = base() + kAxisNames[f] + ".png";
        e->size = std::int32_t(png.size());
        e->data = static_cast<std::uint8_t*>(std::malloc(png.size()));
        std::memcpy(e->data, png.data(), png.size());
        data_entries.push_back(e);
    }
    set_datafile_mode(DataFileMode::Read);
    EXPECT_TRUE(data_file_available((base() + "negx.png").c_str()));
    EXPECT_FALSE(data_file_available((base() + "left.png").c_str()));
    sky.init(vec3(0, 0, 0), 1.0f, base().c_str(), "png");
    expect_faces(sky, 0);
    set_datafile_mode(DataFileMode::Off);
    for (std::size_t i = before; i < data_entries.size(); ++i) {
        std::free(data_entries[i]->data);
        delete data_entries[i];
    }
    data_entries.resize(before);
    EXPECT_TRUE(data_file_available((base() + "left.png").c_str()));
}

TEST_F(SkyBoxGLTest, RenderedDirections)
{
    write_faces(kAxisNames, 0);
    Effects::SkyBox sky;
    sky.init(vec3(0, 0, 0), 10.0f, base().c_str(), "png");
    // The cube is turned 90 degrees about x, the look-up is the cube corner:
    // world +x and -x see the x faces, world +y sees negative z, -z sees
    // negative y.
    EXPECT_EQ(look(sky, 1, 0, 0, 0, 1, 0), face_colour(0, 1));
    EXPECT_EQ(look(sky, -1, 0, 0, 0, 1, 0), face_colour(0, 0));
    EXPECT_EQ(look(sky, 0, 1, 0, 0, 0, 1), face_colour(0, 4));
    EXPECT_EQ(look(sky, 0, 0, -1, 0, 1, 0), face_colour(0, 2));

    // A tint multiplies the faces.
    sky.color = vec3(0.5f, 0.0f, 1.0f);
    const std::uint32_t tinted = look(sky, 1, 0, 0, 0, 1, 0);
    EXPECT_NEAR(int(tinted >> 24), int(face_colour(0, 1) >> 24) / 2, 1);
    EXPECT_EQ((tinted >> 16) & 255, 0u);
}

TEST_F(SkyBoxGLTest, RenderKeepsTheCallersLightingAndDepthTest)
{
    write_faces(kAxisNames, 0);
    Effects::SkyBox sky;
    sky.init(vec3(0, 0, 0), 10.0f, base().c_str(), "png");
    for (bool on : {true, false}) {
        if (on) {
            glEnable(GL_LIGHTING);
            glEnable(GL_DEPTH_TEST);
        } else {
            glDisable(GL_LIGHTING);
            glDisable(GL_DEPTH_TEST);
        }
        sky.render(0.0f);
        EXPECT_EQ(bool(glIsEnabled(GL_LIGHTING)), on);
        EXPECT_EQ(bool(glIsEnabled(GL_DEPTH_TEST)), on);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_CUBE_MAP));
    }
    glDisable(GL_LIGHTING);
    glUseProgram(0);
}

TEST_F(SkyBoxGLTest, FatalPaths)
{
    Effects::SkyBox sky;
    EXPECT_EQ(fatal_message([&] { sky.render(0.0f); }), "SkyBox::render() called without initializing effect!");
    EXPECT_NE(fatal_message([&] { sky.init(vec3(0, 0, 0), 1.0f, base().c_str(), "png"); }).find(base() + "left.png"),
              std::string::npos);
    EXPECT_FALSE(sky.initialized);

    write_faces(kSideNames, 0, 8, 4);
    Effects::SkyBox wide;
    EXPECT_EQ(fatal_message([&] { wide.init(vec3(0, 0, 0), 1.0f, base().c_str(), "png"); }),
              "Cube map faces must be square, but " + base() + "left.png is 8x4");

    write_faces(kSideNames, 0);
    Effects::SkyBox twice;
    twice.init(vec3(0, 0, 0), 1.0f, base().c_str(), "png");
    EXPECT_EQ(fatal_message([&] { twice.init(vec3(0, 0, 0), 1.0f, base().c_str(), "png"); }),
              "SkyBox::init() called twice!");
}

TEST_F(SkyBoxGLTest, ProductionFacesAreSquareAndLoad)
{
    Effects::SkyBox sky;
    sky.init(vec3(0, 0, 0), 50.0f, "data/effects/skybox/spacescape_desat_nebula_complex/desat_nebula_complex_",
             "png");
    sky.cubemap.bind(0);
    for (GLenum target : kTargets) {
        GLint w = 0, h = 0;
        glGetTexLevelParameteriv(target, 0, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(target, 0, GL_TEXTURE_HEIGHT, &h);
        EXPECT_EQ(w, 256);
        EXPECT_EQ(h, 256);
    }
    TextureCube::unbind(0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

}  // namespace
