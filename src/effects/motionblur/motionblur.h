#pragma once
// Effects::Motionblur: a post-processing filter that adds fading copies of
// earlier pictures to the current one. It keeps a ring of 512 x 512
// framebuffers, copies the incoming picture into the current slot every
// frame, moves to the next slot when more than "Delay" beats have passed,
// and blends the earlier slots over the picture with weights falling
// linearly with their age, times "Strength". The blending program is
// generated for the frame count and drawn like every filter: position on
// attribute 0, texture coordinate on attribute 2, "ProjectionMatrix".
#include <memory>
#include <vector>

#include "effects/effect.h"

class FBO;
class ShaderConstructor;
class ShaderProgram;

namespace Effects {

class Motionblur : public PostProc {
public:
    // Parameters: Frames (8), Strength (0.5), Delay (0.25 beats).
    Motionblur();
    ~Motionblur() override;

    // Regenerates what the parameters need, advances the ring when due and
    // copies the source picture into the current slot.
    void prepare(int width, int height, float time, FBO* source) override;
    // Binds the blending program with the earlier slots on units 1 and up.
    void apply(int width, int height, float time) override;
    void rebuild();

    // "Frames" truncated and clamped to 2..64, and to the samplers a fragment
    // shader may use here (the picture takes one); 2 when not a number.
    static int frame_count(float frames);
    // The time of the last ring advance, shared by every motion blur.
    static float& last_advance();

    std::unique_ptr<ShaderConstructor> blend_source;
    std::unique_ptr<ShaderProgram> blend_program;
    std::unique_ptr<ShaderConstructor> copy_source;
    std::unique_ptr<ShaderProgram> copy_program;
    std::vector<std::unique_ptr<FBO>> ring;
    int frames = 0;
    int current = 0;
};

}  // namespace Effects
