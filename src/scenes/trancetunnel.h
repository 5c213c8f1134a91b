#pragma once
// A full-screen shader tunnel: one rectangle over the viewport through the
// tunnel program, which takes the beat as its time and the music's overall
// spectrum level as its intensity.
#include "scenes/scene.h"

class ShaderProgram;

class TranceTunnel : public Scene {
public:
    void init() override;
    void draw() override;
    void setViewport(int width, int height) override;

protected:
    ShaderProgram* shader = nullptr;
};
