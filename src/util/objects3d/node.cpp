#include "util/objects3d/node.h"

Node::Node() { init(); }

Node::Node(int32_t parent_index_) : parent_index(parent_index_) { init(); }

void Node::init()
{
    modelViewMatrices.assign(1, mat4());
    mirrored = false;
    draw_objects = true;
    visible = true;
    this_index = -1;
    name.clear();
    children.clear();
    objects.clear();
}
