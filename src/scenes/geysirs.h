#pragma once
// One billboard particle system of 10000 light-blue particles scattered on
// a sphere of radius 5, seen through the camera tracks. The particles keep
// the places the first frame gives them; only the camera moves the picture.
#include <vector>

#include "scenes/scene.h"
#include "util/camera/camera.h"

namespace Effects {
class Particles;
}

class Geysirs : public Scene {
public:
    void init() override;
    void draw() override;
    void setViewport(int width, int height) override;

protected:
    std::vector<Effects::Particles*> particles;  // draw works on the last one
    Camera camera;
};
