#pragma once
// The radial blur's flat areas: where every texel a pixel's samples can read
// holds one colour, each sample returns exactly the sharp one, and the
// pixel's blurred colour follows from the sharp sample alone. draw() finds
// those pixels through a map of flat blocks of the picture (level j: blocks
// of 2^(j+1) texels square, as colour and flag), writes their colour as the
// blur program computes it and marks them in the bound framebuffer's depth
// buffer, cleared first: a blur pass drawn after it with depth test "less"
// shades only the others.
#include <GL/glew.h>

#include <memory>
#include <vector>

class FBO;
class ShaderProgram;

namespace Effects {

class RadblurFlatAreas {
public:
    RadblurFlatAreas();
    ~RadblurFlatAreas();
    RadblurFlatAreas(const RadblurFlatAreas&) = delete;
    RadblurFlatAreas& operator=(const RadblurFlatAreas&) = delete;

    // source: the picture (colour texture 0, no mipmaps), drawn over the unit
    // square as the blur draws it; params: the blur's "RadialBlurParams".
    // Leaves depth test off and depth writes on, texture unit 0 active with
    // the source picture bound.
    void draw(FBO* source, const float params[4]);

private:
    void build_map(FBO* source);
    void resize_map(int width, int height);

    std::unique_ptr<ShaderProgram> picture_level;
    std::unique_ptr<ShaderProgram> upper_level;
    std::unique_ptr<ShaderProgram> flat;
    GLuint map = 0;
    std::vector<GLuint> level_framebuffers;
    int picture_width = 0, picture_height = 0;
    int map_width = 0, map_height = 0;
};

}  // namespace Effects
