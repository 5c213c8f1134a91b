#pragma once
// One node of the 3D scene graph: instance matrices relative to its parent
// (one per instance), the indexes of its children and of the objects drawn
// at it, and its drawing flags.
#include <cstdint>
#include <string>
#include <vector>

#include "util/math/mat4.h"

class Node {
public:
    Node();
    explicit Node(int32_t parent_index);
    void init();

    std::string name;
    std::vector<mat4> modelViewMatrices;
    int32_t parent_index = -1;
    int32_t this_index = -1;
    std::vector<int32_t> children;
    std::vector<int32_t> objects;
    bool mirrored = false;
    bool draw_objects = true;
    bool visible = true;
};
