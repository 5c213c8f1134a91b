// Frame time of Fireworks, Geysirs, SjakkVektor and TranceTunnel at
// 1280 x 720: one scene draw into a framebuffer of that size, plain or with
// the show's 4x multisampling, finished with glFinish. Fireworks is measured
// at its busiest moment of the first 30 seconds (stepped there at 30 frames
// per second), where most of its up to 60,150 billboards are lit; the ball
// tree at the progress and camera distance of production 1's two sections
// (a knot seen from 8 to 10, the open tree from 8 to 12).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <memory>

#include "fireworks_busiest.h"
#include "platform/heap_policy.h"
#include "scenes/geysirs.h"
#include "scenes/sjakkvektor.h"
#include "scenes/textscene_fixture.h"
#include "scenes/trancetunnel.h"
#include "system/input_state.h"
#include "util/fbo/fbo.h"

namespace {

const int kWidth = 1280;
const int kHeight = 720;

// Draws the scene once per iteration into a 1280 x 720 framebuffer with the
// benchmark's sample count.
void run_frames(benchmark::State& state, Scene& scene)
{
    FBO target(kWidth, kHeight, FBO_TYPE_RGBA8, int(state.range(0)));
    for (auto _ : state) {
        target.push(true);
        scene.setViewport(kWidth, kHeight);
        scene.draw();
        target.pop();
        glFinish();
    }
}

void BM_Fireworks(benchmark::State& state)
{
    scenetest::SceneWorld world({"frwxTime", "frwxSeed"});
    fireworksbench::FireworksProbe scene;
    const int busiest = fireworksbench::start_at_busiest(scene, world);
    run_frames(state, scene);
    state.counters["quads"] = double(scene.quadCount());
    state.counters["second"] = double(busiest) / 30.0;
    scene.deinit();
}

// A scene that reads the camera tracks and the keys, started in the world.
struct CameraScene {
    std::uint8_t keys[256] = {};
    InputState input;

    void start(Scene& scene, scenetest::SceneWorld& world)
    {
        scene.setMusic(world.music);
        scene.setKeyTable(keys);
        scene.setInput(&input);
        scene.init();
    }
};

void BM_Geysirs(benchmark::State& state)
{
    scenetest::SceneWorld world({});
    world.addCameraTracks();
    CameraScene controls;
    Geysirs scene;
    controls.start(scene, world);
    run_frames(state, scene);
}

// Arguments: samples, ballsProgress, camera distance from the tree's centre.
void BM_SjakkVektor(benchmark::State& state)
{
    scenetest::SceneWorld world({"ballsProgress"});
    world.addCameraTracks();
    std::filesystem::create_directory_symlink(std::string(VELMO_SOURCE_DIR) + "/data/util", "data/util");
    const float distance = float(state.range(2));
    world.set("cameraEyeX", 0.6f * distance);
    world.set("cameraEyeY", 0.0f);
    world.set("cameraEyeZ", 0.8f * distance);
    CameraScene controls;
    SjakkVektor scene;
    controls.start(scene, world);
    world.set("ballsProgress", float(state.range(1)));  // registered by init
    run_frames(state, scene);
}

void BM_TranceTunnel(benchmark::State& state)
{
    scenetest::SceneWorld world({});
    TranceTunnel scene;
    scene.setMusic(world.music);
    scene.init();
    world.setBeat(17.5f);
    run_frames(state, scene);
}

}  // namespace

BENCHMARK(BM_Fireworks)->Arg(0)->Arg(4)->ArgName("samples")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Geysirs)->Arg(0)->Arg(4)->ArgName("samples")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SjakkVektor)
    ->ArgsProduct({{0, 4}, {30, 65, 100}, {8, 12}})
    ->ArgNames({"samples", "progress", "distance"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_TranceTunnel)->Arg(0)->Arg(4)->ArgName("samples")->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    keep_freed_heap_memory();  // as the program keeps its heap
    if (!gltest::ensure_context(kWidth, kHeight)) {
        std::fprintf(stderr, "No OpenGL context (is DISPLAY set?)\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
