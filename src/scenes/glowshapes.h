#pragma once
// Four rings of eight glowing square frames standing around a vertical axis,
// each frame spinning in its own plane and raising a copy of itself, drawn
// additively. Every vertex is computed on the CPU each frame and coloured by
// a vertical gradient, per frame, between two HSL colours from the tracks.
#include <vector>

#include "scenes/scene.h"
#include "util/camera/camera.h"
#include "util/easydraw/easydrawcustom.h"
#include "util/math/mat4.h"
#include "util/math/vec3.h"

class ShaderProgram;

class GlowShapes : public Scene {
public:
    void init() override;
    void draw() override;
    void setViewport(int width, int height) override;

protected:
    void drawRings();
    void addRing(const vec3& centre, float radius, float spin);
    void addFrame(float halfSize, float border, const mat4& placement);
    // Moves the placement by the protrusion along the frame's normal.
    void addRaisedFrame(float halfSize, float border, mat4& placement, float protrusion);

    Camera camera;
    EasyDrawCustom mesh;
    ShaderProgram* shader = nullptr;
    std::vector<float> colors;
    std::vector<float> positions;

private:
    // Transforms the positions from `first` on by the placement and gives
    // them the gradient from the bottom colour to the top colour, both
    // alphas scaled by alphaScale.
    void placeAndColour(std::size_t first, const mat4& placement, float alphaScale);
};
