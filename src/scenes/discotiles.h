#pragma once
// A dance floor of 80 x 80 flat tiles, instances of one plane drawn through
// the 3D scene graph. Every frame each tile's alpha is rebuilt from three
// light patterns on the music's beat, each switched by a track: a flickering
// scroll wave, rings spreading from drops that begin every second beat, and
// soft spots that begin every quarter beat and fade over two beats. The
// camera follows the runtime's camera tracks.
#include <vector>

#include "effects/skybox/skybox.h"
#include "scenes/droplets.h"
#include "scenes/scene.h"
#include "util/objects3d/objects3d.h"

class DiscoTiles : public Scene {
public:
    void init() override;
    void draw() override;
    void setViewport(int width, int height) override;

    void buildDrops();
    void buildSpots();
    void clearTiles();
    void addScroll();
    // Rings just outside the drops' growing circles (outside) or just
    // inside them.
    void addDrops(bool outside);
    void addSpots();

protected:
    // One mark every `step` beats from beat 0 while the song lasts.
    template <class Mark>
    void appendMarks(std::vector<Mark>& marks, float step);

    Objects3D objects;
    Effects::SkyBox skybox;  // loaded with the scene, never drawn
    Material* material = nullptr;
    Mesh* mesh = nullptr;
    Node* node = nullptr;
    float tileSize = 1.0f;
    float tileGap = 0.1f;
    unsigned int gridSize = 80;
    std::vector<Drop> drops;  // one every 2 beats, tile coordinates 15 to 65
    std::vector<Spot> spots;  // one every 0.25 beat
};
