#pragma once
// One large plane drawn through a shader that shows timed marks on it:
// droplets (rings) that begin every second beat and fade over "dropCiFade"
// beats, and spots that begin every beat and fade over "dropSpFade" beats.
// The marks are placed at random once, in init(); each frame the ones alive
// at the track "dropTime" go to the shader as uniform arrays. The camera
// follows the runtime's camera tracks.
#include <vector>

#include "scenes/scene.h"
#include "util/camera/camera.h"

class ShaderProgram;

// A timed mark: the beat it begins at and its place on the plane (0 to 1).
struct Drop {
    Drop(float beat, float x, float y) : beat(beat), x(x), y(y) {}
    float beat, x, y;
};

// A mark with a strength, which its scene recomputes every frame (unset
// until then).
struct Spot {
    Spot(float beat, float x, float y) : beat(beat), x(x), y(y) {}
    float beat, x, y;
    float strength;
};

class Droplets : public Scene {
public:
    Droplets();
    void init() override;
    void draw() override;
    void setViewport(int width, int height) override;

    void buildDroplets();
    void buildSpots();
    // Upload the live marks and their settings to the bound shader.
    void updateDroplets(bool modeFlag);
    void updateSpots();

    // Sizes of the shader's mark arrays: more live marks than these keep
    // the newest.
    static constexpr int kMaxDroplets = 32;
    static constexpr int kMaxSpots = 32;

    Camera camera;
    ShaderProgram* shader = nullptr;
    float planeSize = 150.0f;
    std::vector<Drop> droplets;
    std::vector<Spot> spots;
};
