#include "effects/shader_quad.h"

#include <GL/glew.h>
#include <GL/glu.h>

#include <cstring>

#include "util/math/random.h"
#include "util/shaderprogram/shaderprogram.h"

namespace Effects {

void begin_shader_quad(ShaderProgram& program, const vec4& color, float time)
{
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4fv(color.data());
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glEnable(GL_COLOR_MATERIAL);

    unsigned int bits = 0;
    std::memcpy(&bits, &time, sizeof bits);
    velmo_srand(bits);
    program.bind();
}

void draw_shader_quad()
{
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0, 1, 0, 1);
    glBegin(GL_QUADS);
    glVertex2f(0, 0);
    glVertex2f(1, 0);
    glVertex2f(1, 1);
    glVertex2f(0, 1);
    glEnd();
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

}  // namespace Effects
