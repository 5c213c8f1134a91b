#pragma once
// The five filters of the post-processing chain. Each loads its program from
// "data/effects/postproc/<name>/<name>.vert" and ".frag" and turns its
// parameters, the picture size and the beat into that program's uniforms.
#include <memory>

#include "effects/effect.h"
#include "effects/radblur_flat_areas.h"

class ShaderProgram;

namespace Effects {

// Ordered dithering in blocks: "blocks" is the block grid, (width, height)
// scaled by (1 - 0.85 x Factor) cubed.
class Dither : public PostProc {
public:
    Dither();
    void apply(int width, int height, float time) override;

private:
    ShaderProgram* program;
};

// Fades to white (Value > 0) or to black (Value <= 0) by |Value|.
class Fade : public PostProc {
public:
    Fade();
    void apply(int width, int height, float time) override;
    // At Value 0 the picture moves no way toward the target: a copy.
    bool leaves_picture_unchanged() const override;

private:
    ShaderProgram* program;
};

// Blur of radius Scale / 1000 of the picture per step, over Iterations steps.
class Blur : public PostProc {
public:
    Blur();
    ~Blur() override;
    void apply(int width, int height, float time) override;
    // With the shortcuts on, the tiles whose samples all lie in one flat
    // colour get their colour from the sharp sample, as the radial blur's.
    void draw(FBO* source) override;

private:
    ShaderProgram* program;
    std::unique_ptr<RadblurFlatAreas> flat_areas;
};

// Radial (zoom) blur toward (CntrX, CntrY): samples reach Step of the way to
// the centre; Strength mixes the blurred picture over the sharp one. With
// the shortcuts on, the tiles whose samples all lie in one flat colour get
// their colour from the sharp sample (RadblurFlatAreas), the blur program
// shades the others.
class Radblur : public PostProc {
public:
    Radblur();
    ~Radblur() override;
    void apply(int width, int height, float time) override;
    void draw(FBO* source) override;

private:
    ShaderProgram* program;
    std::unique_ptr<RadblurFlatAreas> flat_areas;
};

// Film look: colour amount, monochrome and three sepia tints, contrast,
// brightness, animated grain and scanlines.
class Film : public PostProc {
public:
    Film();
    void apply(int width, int height, float time) override;

private:
    ShaderProgram* program;
};

}  // namespace Effects
