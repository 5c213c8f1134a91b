#include "scenes/geysirs.h"

#include "effects/particles/particles.h"
#include "scenes.h"
#include "util/music/music.h"

void Geysirs::init()
{
    particles.push_back(new Effects::Particles(vec3(0.2f, 0.5f, 1.0f), 10000, ""));
    particles.back()->addShape(5.0f, false);
    camera.set_near_far(1.0f, 1000.0f);
}

void Geysirs::setViewport(int width, int height) { Scene::setViewport(width, height); }

void Geysirs::draw()
{
    update_camera_control(&camera, keys, input, 50.0f, music);
    camera.setup(width, height, aspect, 1.0f);
    particles.back()->morph(0.0f, 3);
    particles.back()->render(music->getBeat());
}
