#pragma once
// A three-level tree of small white balls joined by thin sticks, built once
// with random directions and every frame unfolded, spun and breathed by the
// track "ballsProgress". One blue point light circles the tree; the scene
// graph draws it with depth of field through the runtime's camera tracks.
#include <vector>

#include "scenes/scene.h"
#include "util/math/mat4.h"
#include "util/math/vec3.h"
#include "util/objects3d/objects3d.h"

// One ball of the tree: the directions of its five children and, above the
// last level, the children themselves.
struct BallTreeNode {
    std::vector<vec3> directions;
    std::vector<BallTreeNode> children;
};

class SjakkVektor : public Scene {
public:
    void init() override;
    void draw() override;
    void setViewport(int width, int height) override;

    void buildScene();
    void updateBalls();
    void buildTree(BallTreeNode& node, mat4 parent, int level, float distance);
    void updateTree(BallTreeNode& node, mat4 parent, int level, float distance);

protected:
    int ballIndex = 0;
    Objects3D objects;
    float radius = 0.0f;
    int maxLevel = 3;
    float baseSize = 6.0f;
    float sizeDivisor = 2.0f;
    float ballRadius = 0.2f;
    float stickRatio = 15.0f;
    Material* material = nullptr;
    Mesh* ballMesh = nullptr;
    Mesh* stickMesh = nullptr;
    Node* ballNode = nullptr;
    Node* stickNode = nullptr;
    BallTreeNode tree;
};
