// Frame time of 3D scenes the size of production 1's at 1280x720: a ball
// tree (about 150 instanced icospheres and their sticks, one light, depth of
// field), a floor of 6400 instanced coloured tiles, and a room with one
// shadowed light. Each frame is drawn into a 1280x720 target, as the scene
// manager's framebuffer, and finished before the clock stops.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <memory>

#include "support/gl_context.h"
#include "util/camera/camera.h"
#include "util/data/data_layer.h"
#include "util/fbo/fbo.h"
#include "util/math/random.h"
#include "util/objects3d/objects3d.h"
#include "util/objects3d/primitive_meshes.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr float kAspect = 16.0f / 9.0f;

bool context_ready()
{
    static const bool ready = [] {
        if (chdir(VELMO_SOURCE_DIR) != 0)
            return false;
        set_datafile_mode(DataFileMode::Off);
        set_loading_tick_hook([](float, bool) {});
        return gltest::ensure_context(64, 64);
    }();
    return ready;
}

Camera* add_camera(Objects3D& scene, float ex, float ey, float ez)
{
    Camera* camera = new Camera();
    camera->look_at(ex, ey, ez, 0, 0, 0, 0, 1, 0);
    scene.cameras.push_back(camera);
    scene.set_cur_cam(0);
    return camera;
}

void run_frames(benchmark::State& state, Objects3D& scene)
{
    FBO target(kWidth, kHeight, FBO_TYPE_RGBA8, 0);
    auto frame = [&] {
        target.push(true);
        glEnable(GL_DEPTH_TEST);
        scene.draw();
        glFinish();
        target.pop();
    };
    frame();  // builds the programs and buffers outside the clock
    for (auto _ : state)
        frame();
}

void BM_BallTree(benchmark::State& state)
{
    if (!context_ready()) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    Objects3D scene;
    Camera* camera = add_camera(scene, 0, 1, 4);
    camera->set_range(2);
    Material* material = new Material(5);
    Node* balls = scene.add_object(make_icosahedron_mesh(0.2f, 3, false), material, nullptr);
    Node* sticks = scene.add_object(make_cylinder_mesh(0.2f / 15, 1, 8, false), material, nullptr);
    balls->modelViewMatrices.clear();
    sticks->modelViewMatrices.clear();
    velmo_srand(1);
    for (int i = 0; i < 156; i++) {
        vec3 o;
        o.setRandomUnit();
        o = o * (0.3f + 1.2f * static_cast<float>(i) / 156.0f);
        mat4 w;
        w.translate(o);
        balls->modelViewMatrices.push_back(w);
        mat4 s;
        matrix_between_points(vec3(0, 0, 0), o, s);
        sticks->modelViewMatrices.push_back(s);
    }
    Light* light = new Light();
    light->set_diffuse(0.2f, 0.4f, 1.0f, 1.0f);
    light->set_position(1, 1, 1);
    scene.lights.push_back(light);
    scene.set_depth_of_field(true);
    scene.set_size(kWidth, kHeight, kAspect);
    run_frames(state, scene);
}

void BM_Tiles(benchmark::State& state)
{
    if (!context_ready()) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    Objects3D scene;
    Camera* camera = add_camera(scene, 0, 40, 60);
    camera->set_zfar(1500);
    Material* material = new Material(5);
    Node* tiles = scene.add_object(make_plane_mesh(1, 1, 1), material, nullptr);
    tiles->modelViewMatrices.resize(6400);
    material->diffuseColors.resize(6400);
    for (int ty = 0; ty < 80; ty++)
        for (int tx = 0; tx < 80; tx++) {
            const int n = ty * 80 + tx;
            tiles->modelViewMatrices[n].setIdentity();
            tiles->modelViewMatrices[n].translate((tx - 40) * 1.1f, 0, (ty - 40) * 1.1f);
            material->diffuseColors[n].set(1, 1, 1, 0.5f + 0.5f * std::sin(n * 0.1f));
        }
    scene.set_size(kWidth, kHeight, kAspect);
    run_frames(state, scene);
}

void BM_ShadowedRoom(benchmark::State& state)
{
    if (!context_ready()) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    Objects3D scene;
    Camera* camera = add_camera(scene, 5, 2, 0);
    camera->set_near_far(0.5f, 15);
    Light* light = new Light();
    light->set_attenuation_range(5);
    light->set_position(3, 2, 0);
    scene.lights.push_back(light);
    Material* white = new Material(5);
    Mesh* unit = make_cube_mesh(1, false);
    scene.add_object(make_cube_mesh(2, false), new Material(), nullptr);
    const float corners[4][2] = {{5, 5}, {5, -5}, {-5, 5}, {-5, -5}};
    for (int i = 0; i < 4; i++) {
        Node* n = scene.add_object(unit, i == 0 ? white : new Material(1 + i % 3), nullptr);
        n->modelViewMatrices[0].translate(corners[i][0], 0, corners[i][1]);
    }
    scene.add_object(make_plane_mesh(15, 15, 1), white, nullptr);
    scene.set_size(kWidth, kHeight, kAspect);
    scene.set_global_ambient(vec4(0.001f, 0.001f, 0.001f, 0.001f));
    scene.set_depth_of_field(true);
    scene.set_draw_lights(true, 0.1f);
    scene.set_shadows(true);
    state.counters["shadow_map_size"] = light->shadow_map_size;
    run_frames(state, scene);
}

}  // namespace

BENCHMARK(BM_BallTree)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Tiles)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ShadowedRoom)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_MAIN();
