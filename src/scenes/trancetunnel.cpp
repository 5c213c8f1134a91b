#include "scenes/trancetunnel.h"

#include <GL/glew.h>

#include "util/music/music.h"
#include "util/shaderprogram/shaderprogram.h"

void TranceTunnel::init()
{
    shader = new ShaderProgram("data/scenes/trancetunnel/trancetunnel.vert",
                               "data/scenes/trancetunnel/trancetunnel.frag");
}

void TranceTunnel::setViewport(int width, int height) { Scene::setViewport(width, height); }

void TranceTunnel::draw()
{
    shader->bind();
    shader->set_float("fft", music->getLevel() * 100.0f);
    shader->set_float("time", music->getBeat());
    // With the identity matrices the base leaves, the rectangle is the viewport.
    glRects(-1, -1, 1, 1);
}
