#include "util/vectorengine/vectorengine.h"

#include <GL/glew.h>
#include <GL/glu.h>

#include <cmath>

#include "util/shaderprogram/shaderconstructor.h"
#include "util/shaderprogram/shaderprogram.h"

namespace {

// One program serves every engine; it is made by the first engine and kept.
ShaderProgram* g_program = nullptr;

ShaderProgram* build_program()
{
    ShaderConstructor* sc = new ShaderConstructor("VectorEngine", "#version 120");
    sc->add_vert_body_line("\tgl_Position = ftransform();");
    sc->add_vert_body_line("\tgl_FrontColor = gl_Color;");
    sc->add_frag_body_line("\tgl_FragColor = gl_Color;");
    return new ShaderProgram(sc);
}

}

VectorEngine::VectorEngine() : offset(0.0f, 0.0f, 0.0f), scale(1.0f, 1.0f, 1.0f)
{
    createShader();
}

void VectorEngine::createShader()
{
    page_width = 200;
    page_height = 200;
    scale.set(1.0f, 1.0f, 1.0f);
    if (!g_program)
        g_program = build_program();
}

void VectorEngine::setPageSize(int width, int height)
{
    page_width = static_cast<unsigned int>(width);
    page_height = static_cast<unsigned int>(height);
}

void VectorEngine::setScale(float x, float y)
{
    scale.x = x;
    scale.y = y;
}

void VectorEngine::setOffset(float x, float y)
{
    offset.x = x;
    offset.y = y;
}

void VectorEngine::addPath(Path* path)
{
    paths.push_back(path);
}

void VectorEngine::clearPaths()
{
    paths.clear();
}

void VectorEngine::render()
{
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_TEXTURE_CUBE_MAP);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    g_program->bind();

    const float w = static_cast<float>(page_width) / scale.x;
    const float h = static_cast<float>(page_height) / scale.y;
    const float tx = w * offset.x;
    const float ty = h * offset.y;
    // A page of no or infinite size has no projection.
    if (!std::isfinite(w) || !std::isfinite(h) || !std::isfinite(tx) || !std::isfinite(ty) || w == 0.0f ||
        h == 0.0f)
        return;

    glPushAttrib(GL_TRANSFORM_BIT);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0.0, w, h, 0.0);
    glTranslatef(tx, ty, 0.0f);

    for (Path* path : paths)
        path->draw();

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
}
