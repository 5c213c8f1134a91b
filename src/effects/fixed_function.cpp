#include "effects/fixed_function.h"

#include <GL/glew.h>
#include <GL/glu.h>

namespace Effects {

void disable_texture_generation()
{
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_TEXTURE_GEN_R);
    glDisable(GL_TEXTURE_GEN_Q);
}

void begin_line_drawing()
{
    glUseProgram(0);
    glEnable(GL_COLOR_MATERIAL);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
}

void load_unit_view(double bottom, double top)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, 1, bottom, top);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

}  // namespace Effects
