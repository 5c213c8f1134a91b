#include "scenes/scene.h"

#include <GL/glew.h>

#include "system/fatal_error.h"

Scene::Scene()
    : keys(nullptr), input(nullptr), music(nullptr), fbo(nullptr), aspect(16.0f / 9.0f), width(0),
      height(0)
{
}

void Scene::init() { FATAL_ERROR("Virtual init"); }

void Scene::draw() { FATAL_ERROR("Virtual draw"); }

void Scene::deinit() {}

void Scene::setViewport(int width, int height)
{
    this->width = width;
    this->height = height;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glViewport(0, 0, width, height);
    glScissor(0, 0, width, height);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
