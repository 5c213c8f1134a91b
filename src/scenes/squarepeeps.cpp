#include "scenes/squarepeeps.h"

#include <cmath>

#include "util/camera/camera.h"
#include "util/music/music.h"
#include "util/objects3d/objects3d.h"
#include "util/objects3d/primitive_meshes.h"
#include "util/texture/texture.h"

namespace {

constexpr float kFloorSize = 15.0f;
constexpr float kCorner = kFloorSize / 3.0f;

// Places the object under the master node, its one instance at (x, 0, z).
void place(Objects3D* objects, GeomObject* object, float x, float z)
{
    Node* node = objects->add_node(object, nullptr);
    node->modelViewMatrices.back().translate(x, 0.0f, z);
}

}  // namespace

void SquarePeeps::init()
{
    objects = new Objects3D();
    objects->lights.push_back(new Light());
    objects->lights.back()->set_attenuation_range(5.0f);
    objects->cameras.push_back(new Camera());
    objects->set_cur_cam(0);
    buildScene(objects);
}

void SquarePeeps::setViewport(int width, int height)
{
    Scene::setViewport(width, height);
    objects->set_size(width, height, aspect);
}

void SquarePeeps::buildScene(Objects3D* objects)
{
    Texture* sky = new Texture("data/common/images/FullskiesBlueClear0009_1_S.jpg", true, true);
    Material* white = new Material(5);
    Material* blue = new Material(2);
    Material* green = new Material(1);
    Material* yellow = new Material(3);
    Material* textured = new Material();
    textured->diffuse_texture = sky;

    Mesh* bigCube = make_cube_mesh(2.0f, false);
    Mesh* cube = make_cube_mesh(1.0f, false);
    Mesh* floor = make_plane_mesh(kFloorSize, kFloorSize, 1.0f);

    place(objects, objects->add_geom_object(bigCube, textured), 0.0f, 0.0f);
    place(objects, objects->add_geom_object(cube, white), kCorner, kCorner);
    place(objects, objects->add_geom_object(cube, green), kCorner, -kCorner);
    place(objects, objects->add_geom_object(cube, yellow), -kCorner, kCorner);
    place(objects, objects->add_geom_object(cube, blue), -kCorner, -kCorner);
    place(objects, objects->add_geom_object(floor, white), 0.0f, 0.0f);
}

void SquarePeeps::draw()
{
    const float b = music->getBeat();
    Camera* camera = objects->cameras.back();
    camera->look_at(5.0f * std::sin(0.1f * b), 2.0f, 5.0f * std::cos(0.1f * b), 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f);
    objects->lights.back()->set_position(3.0f * std::sin(0.7f * b), 2.0f, 3.0f * std::cos(0.7f * b));
    objects->set_global_ambient(vec4(0.001f, 0.001f, 0.001f, 0.001f));
    camera->set_near_far(0.5f, 15.0f);
    objects->set_depth_of_field(true);
    objects->set_draw_lights(true, 0.1f);
    objects->set_shadows(true);
    objects->draw();
}
