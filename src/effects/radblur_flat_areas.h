#pragma once
// The radial blur's flat areas: where every texel a pixel's samples can read
// holds one colour, each sample returns exactly the sharp one, and the
// pixel's blurred colour follows from the sharp sample alone. draw() finds
// the tiles of 16x16 pixels where that holds for every pixel (through a map
// of flat blocks of 8x8 pixels, both made on the GPU; the tiles are read
// back), colours them from the sharp sample and draws the blur program over
// the other tiles only. Each part is the same full-picture quad drawn inside
// a scissor rectangle, so every pixel is shaded once, at the same texture
// coordinate as the whole quad gives it. The blur (Effects::Blur) uses the
// same with its own tile and flat programs.
#include <GL/glew.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class FBO;
class ShaderProgram;

namespace Effects {

class RadblurFlatAreas {
public:
    // The radial blur's map and flat programs and "RadialBlurParams" by
    // default; another blur gives its own fragment programs (in the shape of
    // radblur_tiles.frag and radblur_flat.frag) and the name of their vec4
    // of parameters.
    RadblurFlatAreas(const char* tilesFragment = "data/effects/postproc/radblur/radblur_tiles.frag",
                     const char* flatFragment = "data/effects/postproc/radblur/radblur_flat.frag",
                     const char* paramsName = "RadialBlurParams");
    ~RadblurFlatAreas();
    RadblurFlatAreas(const RadblurFlatAreas&) = delete;
    RadblurFlatAreas& operator=(const RadblurFlatAreas&) = delete;

    // Into the bound framebuffer of the source's size: source is the picture
    // (colour texture 0), params the blur's "RadialBlurParams", blur the
    // blur program, bound with its uniforms set. Leaves blur bound, the
    // scissor test off and the scissor box as it was.
    void draw(FBO* source, const float params[4], ShaderProgram& blur);

    struct Rect {
        int x, y, width, height;  // in tiles
        bool flat;
    };
    // Rows of tiles (flags, first row at the bottom) joined into rectangles:
    // runs of equal tiles in a row, and runs of the rows below of the same
    // extent and kind grown upward.
    static std::vector<Rect> rectangles(const std::vector<std::uint8_t>& tiles, int columns, int rows);

private:
    void resize(int width, int height);
    void find_flat_tiles(FBO* source, const float params[4]);

    std::unique_ptr<ShaderProgram> blocks_program;
    std::unique_ptr<ShaderProgram> tiles_program;
    std::unique_ptr<ShaderProgram> flat_program;
    std::string params_name;
    GLuint textures[2] = {0, 0};      // blocks (RG32UI), tiles (R8)
    GLuint framebuffers[2] = {0, 0};
    int picture_width = 0, picture_height = 0;
    std::vector<std::uint8_t> tiles;
};

}  // namespace Effects
