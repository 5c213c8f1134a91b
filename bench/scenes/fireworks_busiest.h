#pragma once
// Fireworks stepped to the busiest moment of its first 30 seconds, for the
// benchmarks: the show depends on the way to a moment, not only on its time,
// so the busiest frame is found on one scene and a fresh scene is stepped up
// to it at 30 frames per second.
#include <cstddef>

#include "scenes/scene_fireworks/scene_fireworks.h"
#include "scenes/textscene_fixture.h"
#include "util/fbo/fbo.h"

namespace fireworksbench {

struct FireworksProbe : Fireworks {
    std::size_t quadCount() const { return quads.size(); }
    const FireworksQuads& quadBlock() const { return quads; }
    ShaderProgram* shader() const { return fireworksShader; }
};

// Draws frames 0 to `frames` at 30 per second into a small framebuffer;
// gives the frame with the most quads.
inline int step_through(FireworksProbe& scene, scenetest::SceneWorld& world, int frames)
{
    FBO scratch(64, 64, FBO_TYPE_RGBA8, 0);
    scratch.push(true);
    scene.setViewport(64, 64);
    std::size_t most = 0;
    int busiest = 0;
    for (int f = 0; f <= frames; ++f) {
        world.set("frwxTime", float(f) / 30.0f);
        scene.draw();
        if (scene.quadCount() > most) {
            most = scene.quadCount();
            busiest = f;
        }
    }
    scratch.pop();
    return busiest;
}

// Starts `scene` in `world` and steps it to the busiest frame of the first
// 30 seconds; gives that frame's number.
inline int start_at_busiest(FireworksProbe& scene, scenetest::SceneWorld& world)
{
    FireworksProbe search;
    search.setMusic(world.music);
    search.init();
    const int busiest = step_through(search, world, 900);
    search.deinit();
    scene.setMusic(world.music);
    scene.init();
    step_through(scene, world, busiest);
    return busiest;
}

}  // namespace fireworksbench
