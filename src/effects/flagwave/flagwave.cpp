#include "effects/flagwave/flagwave.h"

#include <GL/glu.h>

#include <cmath>

#include "system/fatal_error.h"
#include "util/shaderprogram/shaderprogram.h"

namespace Effects {

namespace {

constexpr float kWidth = 8.7f;
constexpr float kHeight = 6.0f;
constexpr int kColumns = 48;
constexpr int kRows = 32;

// The cloth lies in the xz plane (the view turns it upright): x across,
// -z up, with texture coordinates over the whole picture.
void emit_cloth()
{
    for (int r = 0; r < kRows; ++r) {
        glBegin(GL_QUAD_STRIP);
        for (int c = 0; c <= kColumns; ++c) {
            const float s = float(c) / kColumns;
            for (int k = 1; k >= 0; --k) {
                const float t = float(r + k) / kRows;
                glNormal3f(0.0f, 1.0f, 0.0f);
                glTexCoord2f(s, t);
                glVertex3f(s * kWidth, 0.0f, -t * kHeight);
            }
        }
        glEnd();
    }
}

}  // namespace

FlagWave::FlagWave()
    : texture("data/effects/flagwave/flag.png", true, false),
      program(std::make_unique<ShaderProgram>("data/effects/flagwave/flagwave.vert",
                                              "data/effects/flagwave/flagwave.frag"))
{
    display_list = glGenLists(1);
    if (display_list == 0)
        FATAL_ERROR("Failed to create the flag's display list");
    glNewList(display_list, GL_COMPILE);
    emit_cloth();
    glEndList();
}

FlagWave::~FlagWave() { glDeleteLists(display_list, 1); }

float FlagWave::wave_angle(float time)
{
    const float angle = 2.0f * time;
    if (!std::isfinite(angle))
        return 0.0f;
    if (angle > 360.0f) {
        const float wrapped = std::fmod(angle, 360.0f);
        return wrapped == 0.0f ? 360.0f : wrapped;
    }
    if (angle < 0.0f) {
        const float wrapped = std::fmod(angle, 360.0f) + 360.0f;
        return wrapped == 360.0f ? 0.0f : wrapped;
    }
    return angle;
}

void FlagWave::render(float time)
{
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPerspective(45.0, 4.0 / 3.0, 0.1, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(-4.35f, -3.0f, -8.0f);
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);

    program->bind();
    program->set_float("currentAngle", wave_angle(time));
    texture.bind(0);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glCallList(display_list);

    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

}  // namespace Effects
