#include "effects/skybox/skybox.h"

#include <GL/glew.h>

#include <string>

#include "effects/fixed_function.h"
#include "system/fatal_error.h"
#include "util/data/data_layer.h"
#include "util/shaderprogram/shaderprogram.h"

namespace Effects {

namespace {

const float kCorners[8][3] = {
    {-1, 1, 1}, {1, 1, 1}, {-1, -1, 1}, {1, -1, 1}, {-1, 1, -1}, {1, 1, -1}, {-1, -1, -1}, {1, -1, -1},
};

const int kIndices[36] = {
    0, 1, 2, 1, 3, 2, 1, 5, 3, 5, 7, 3, 5, 4, 7, 4, 6, 7,
    4, 0, 6, 0, 2, 6, 4, 5, 0, 5, 1, 0, 2, 3, 6, 3, 7, 6,
};

// In the cube-map order negative x, positive x, negative y, positive y,
// negative z, positive z.
const char* const kAxisNames[6] = {"negx", "posx", "negy", "posy", "negz", "posz"};
const char* const kSideNames[6] = {"left", "right", "down", "up", "back", "front"};

}  // namespace

SkyBox::SkyBox()
    : shader(new ShaderProgram("data/effects/skybox/skybox.vert", "data/effects/skybox/skybox.frag"))
{
}

SkyBox::~SkyBox() { delete shader; }

void SkyBox::init(vec3 position_, float size_, const char* base, const char* extension)
{
    if (initialized)
        FATAL_ERROR("SkyBox::init() called twice!");
    position = position_;
    size = 2.0f * size_;

    const std::string first = std::string(base) + kAxisNames[0] + "." + extension;
    const char* const* names = data_file_available(first.c_str()) ? kAxisNames : kSideNames;
    std::string files[6];
    for (int i = 0; i < 6; ++i)
        files[i] = std::string(base) + names[i] + "." + extension;
    if (!cubemap.load(files[0].c_str(), files[1].c_str(), files[2].c_str(), files[3].c_str(), files[4].c_str(),
                      files[5].c_str()))
        FATAL_ERROR(std::string("Failed to load cubemap with base ") + base + " and extension " + extension + "!");
    initialized = true;
}

void SkyBox::render(float)
{
    if (!initialized)
        FATAL_ERROR("SkyBox::render() called without initializing effect!");
    const GLboolean lighting = glIsEnabled(GL_LIGHTING);
    const GLboolean depthTest = glIsEnabled(GL_DEPTH_TEST);

    shader->bind();
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    disable_texture_generation();
    glDisable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_CUBE_MAP);
    cubemap.bind(0);

    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(position.x, position.y, position.z);
    glScalef(size, size, size);
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    glColor4f(color.x, color.y, color.z, 1.0f);
    glBegin(GL_TRIANGLES);
    for (int index : kIndices) {
        glTexCoord3fv(kCorners[index]);
        glVertex3fv(kCorners[index]);
    }
    glEnd();
    glPopMatrix();

    // The caller's lighting and depth test come back as they were.
    if (lighting)
        glEnable(GL_LIGHTING);
    if (depthTest)
        glEnable(GL_DEPTH_TEST);
    TextureCube::unbind(0);
    glDisable(GL_TEXTURE_CUBE_MAP);
}

}  // namespace Effects
