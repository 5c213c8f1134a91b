#pragma once
// A small still life drawn through the 3D scene graph with shadow-mapped
// lighting and depth of field: four coloured unit cubes at the corners of a
// square, a larger cube in the middle wearing a sky photograph, and a white
// floor. The camera and one point light orbit the middle with the beat.
#include "scenes/scene.h"

class Objects3D;

class SquarePeeps : public Scene {
public:
    void init() override;
    void draw() override;
    void setViewport(int width, int height) override;

    void buildScene(Objects3D* objects);

protected:
    Objects3D* objects = nullptr;  // made by init, kept for the whole show
};
