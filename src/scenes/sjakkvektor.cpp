#include "scenes/sjakkvektor.h"

#include <cmath>

#include "scenes.h"
#include "util/camera/camera.h"
#include "util/music/music.h"
#include "util/objects3d/primitive_meshes.h"

void SjakkVektor::init()
{
    ballIndex = 0;
    maxLevel = 3;
    baseSize = 6.0f;
    sizeDivisor = 2.0f;
    ballRadius = 0.2f;
    stickRatio = 15.0f;
    buildScene();
    radius = 0.5f * objects.get_bounding_box_diagonal(nullptr);

    objects.cameras.push_back(new Camera());
    objects.set_cur_cam(0);
    objects.cameras.back()->set_range(radius);

    objects.set_depth_of_field(true);
    objects.set_shadows(false);

    objects.lights.push_back(new Light());
    objects.lights.back()->set_diffuse(0.2f, 0.4f, 1.0f, 1.0f);

    music->addSyncValue("ballsProgress", 15.0f, true);
}

void SjakkVektor::setViewport(int width, int height)
{
    Scene::setViewport(width, height);
    objects.set_size(width, height, aspect);
}

void SjakkVektor::buildScene()
{
    material = new Material(5);
    ballMesh = make_icosahedron_mesh(ballRadius, 3, false);
    stickMesh = make_cylinder_mesh(ballRadius / stickRatio, 1.0f, 8, false);
    ballNode = objects.add_object(ballMesh, material, nullptr);
    stickNode = objects.add_object(stickMesh, material, nullptr);
    stickNode->modelViewMatrices.clear();
    buildTree(tree, mat4(), 1, baseSize);
}

void SjakkVektor::buildTree(BallTreeNode& node, mat4 parent, int level, float distance)
{
    node.directions.resize(5);
    for (vec3& direction : node.directions) {
        direction.setRandomUnit();
        const vec3 offset = direction * distance;
        mat4 ball = parent;
        ball.translate(offset);
        ballNode->modelViewMatrices.push_back(ball);
        mat4 stick;
        matrix_between_points(vec3(0.0f, 0.0f, 0.0f), offset, stick);
        stickNode->modelViewMatrices.push_back(parent * stick);
        if (level < maxLevel) {
            node.children.emplace_back();
            buildTree(node.children.back(), ball, level + 1, distance / sizeDivisor);
        }
    }
}

void SjakkVektor::draw()
{
    updateBalls();
    const float t = 5.0f * music->getSyncValue("ballsProgress");
    const float h = 0.5f * radius;
    objects.lights.back()->set_position(h * std::sin(0.023f * t + 9.42478f), h * std::sin(0.017f * t),
                                        -h * std::cos(0.017f * t));
    update_camera_control(objects.cameras.back(), keys, input, radius, music);
    objects.draw();
}

void SjakkVektor::updateBalls()
{
    ballIndex = 0;
    const float d1 = 0.5f * baseSize * (1.0f - std::cos(0.03f * music->getSyncValue("ballsProgress"))) +
                     0.5f * std::sin(0.5f * music->getSyncValue("ballsProgress"));
    sizeDivisor = 2.0f + 0.6f * std::sin(0.71f * music->getSyncValue("ballsProgress"));
    const float p = music->getSyncValue("ballsProgress");
    mat4 global;
    global.rotate(0.1f * p * (3.0f - std::sin(0.23f * p)), std::sin(0.01f * p), 0.2f, 0.4f);
    updateTree(tree, global, 1, d1);
}

void SjakkVektor::updateTree(BallTreeNode& node, mat4 parent, int level, float distance)
{
    const float c = static_cast<float>(ballIndex);
    const float p = music->getSyncValue("ballsProgress");
    mat4 spin;
    spin.rotate((0.1f * c + 1.0f) * p, 0.3f * std::sin(0.2f * c), 0.2f, 0.2f * std::cos(0.3f * c));
    for (std::size_t i = 0; i < node.directions.size(); ++i) {
        const vec3 offset = node.directions[i] * distance;
        mat4 ball = parent;
        ball.translate(offset);
        ball *= spin;
        ballNode->modelViewMatrices[ballIndex + 1] = ball;
        mat4 stick;
        matrix_between_points(vec3(0.0f, 0.0f, 0.0f), offset, stick);
        stickNode->modelViewMatrices[ballIndex] = parent * stick;
        ++ballIndex;
        if (level < maxLevel)
            updateTree(node.children[i], ball, level + 1, distance / sizeDivisor);
    }
}
