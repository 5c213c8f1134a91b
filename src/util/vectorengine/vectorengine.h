#pragma once
// Draws a list of vector paths on a page: a rectangle of page units mapped
// onto the whole current viewport (x to the right, y downward from the top
// left), after an optional scale and offset. The paths are not owned.
#include <vector>

#include "util/math/vec3.h"
#include "util/vectorengine/path.h"

class VectorEngine {
public:
    // Needs a current OpenGL context (the shader is made here).
    VectorEngine();

    void createShader();
    void setPageSize(int width, int height);
    void setScale(float x, float y);
    void setOffset(float x, float y);
    void addPath(Path* path);
    void clearPaths();
    // Draws every path in the order added into the bound framebuffer and
    // viewport. A zero scale shows no page: nothing is drawn.
    void render();

    unsigned int page_width = 200;
    unsigned int page_height = 200;
    vec3 offset;
    vec3 scale;
    float bounds[4] = {99999.0f, 99999.0f, -99999.0f, -99999.0f};
    std::vector<Path*> paths;
};
