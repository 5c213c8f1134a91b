#include "scenes/glowshapes.h"

#include <GL/glew.h>

#include "scenes.h"
#include "util/colorutils/colorutils.h"
#include "util/math/mathutils.h"
#include "util/math/vec4.h"
#include "util/music/music.h"
#include "util/shaderprogram/builtinshaders.h"
#include "util/shaderprogram/shaderprogram.h"

namespace {

void push(std::vector<float>& out, float x, float y, float z)
{
    out.push_back(x);
    out.push_back(y);
    out.push_back(z);
}

// The face of one side of a square ring (outer half size a, inner c) in the
// plane z = 0, as two triangles. Sides: 0 left, 1 bottom, 2 right, 3 top.
void push_face(std::vector<float>& out, int side, float a, float c)
{
    const float faces[4][6][2] = {
        {{-a, -a}, {-c, c}, {-a, a}, {-a, -a}, {-c, -c}, {-c, c}},
        {{-a, -a}, {a, -a}, {c, -c}, {-a, -a}, {c, -c}, {-c, -c}},
        {{a, -a}, {a, a}, {c, c}, {a, -a}, {c, c}, {c, -c}},
        {{-a, a}, {c, c}, {a, a}, {-a, a}, {-c, c}, {c, c}},
    };
    for (const auto& v : faces[side])
        push(out, v[0], v[1], 0.0f);
}

// The wall of one side's edge at half size e, from z = 0 back to z = -p, as
// two triangles.
void push_wall(std::vector<float>& out, int side, float e, float p)
{
    // The edge's two ends at z = 0.
    const float ends[4][2][2] = {
        {{-e, -e}, {-e, e}},
        {{-e, -e}, {e, -e}},
        {{e, -e}, {e, e}},
        {{-e, e}, {e, e}},
    };
    const auto& s = ends[side][0];
    const auto& t = ends[side][1];
    push(out, s[0], s[1], 0.0f);
    push(out, t[0], t[1], 0.0f);
    push(out, t[0], t[1], -p);
    push(out, s[0], s[1], 0.0f);
    push(out, t[0], t[1], -p);
    push(out, s[0], s[1], -p);
}

vec4 track_colour(Music* music, const char* hue, const char* saturation, const char* lightness,
                  const char* alpha, float alphaScale)
{
    const vec3 rgb = hsl_to_rgb(vec3(music->getSyncValue(hue), music->getSyncValue(saturation),
                                     music->getSyncValue(lightness)));
    return vec4(rgb, music->getSyncValue(alpha) * alphaScale);
}

}  // namespace

void GlowShapes::init()
{
    shader = new ShaderProgram(make_vertex_color3d_shader("GlowShapesColor3d"));
    music->addSyncValue("gsColor1", 0.2f, true);
    music->addSyncValue("gsColor1S", 0.5f, true);
    music->addSyncValue("gsColor1V", 0.5f, true);
    music->addSyncValue("gsColor1A", 0.5f, true);
    music->addSyncValue("gsColor2", 0.5f, true);
    music->addSyncValue("gsColor2S", 0.5f, true);
    music->addSyncValue("gsColor2V", 0.5f, true);
    music->addSyncValue("gsColor2A", 0.5f, true);
    music->addSyncValue("gsObjRot", 0.0f, true);
    music->addSyncValue("gsProtrusion", 0.0f, true);
    music->addSyncValue("gsProtColor", 0.0f, true);
    camera.set_near_far(0.00001f, 500.0f);
}

void GlowShapes::setViewport(int width, int height) { Scene::setViewport(width, height); }

void GlowShapes::draw()
{
    update_camera_control(&camera, keys, input, 15.0f, music);
    camera.setup(width, height, aspect, 1.0f);

    shader->bind();
    const mat4 projection = camera.get_projection_matrix();
    const mat4 view = camera.get_view_matrix();
    shader->set_mat4("ProjectionMatrix", projection.data(), 1, false);
    shader->set_mat4("ModelViewMatrix", view.data(), 1, false);

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_CULL_FACE);

    colors.clear();
    positions.clear();
    drawRings();
}

void GlowShapes::drawRings()
{
    const float r = music->getSyncValue("gsObjRot");
    addRing(vec3(0.0f, 0.0f, 0.0f), 4.0f, sine_ease(r / 4.0f));
    addRing(vec3(0.0f, 3.0f, 0.0f), 2.0f, sine_ease(r / 6.0f));
    addRing(vec3(0.0f, -3.0f, 0.0f), 2.0f, sine_ease(r / 7.0f));
    addRing(vec3(0.0f, 0.0f, 0.0f), 2.0f, sine_ease(r / 15.0f));

    mesh.set_attribute(4, 4, static_cast<int>(colors.size()), colors.data(), 0);
    mesh.set_attribute(0, 3, static_cast<int>(positions.size()), positions.data(), 0);
    mesh.draw(GL_TRIANGLES);
}

void GlowShapes::addRing(const vec3& centre, float radius, float spin)
{
    const float p = music->getSyncValue("gsProtrusion");
    for (int angle = 0; angle < 360; angle += 45) {
        mat4 m;
        m.translate(centre);
        m.rotate(static_cast<float>(angle), 0.0f, 1.0f, 0.0f);
        m.translate(radius, 0.0f, 0.0f);
        m.rotate(spin * 180.0f, 0.0f, 0.0f, 1.0f);
        addFrame(2.0f, 0.2f, m);
        addRaisedFrame(2.0f, 0.2f, m, p);
    }
}

void GlowShapes::addFrame(float a, float b, const mat4& placement)
{
    const std::size_t first = positions.size();
    const float c = a - b;
    for (int side = 0; side < 4; ++side)
        push_face(positions, side, a, c);
    placeAndColour(first, placement, 1.0f);
}

void GlowShapes::addRaisedFrame(float a, float b, mat4& placement, float p)
{
    placement.translate(0.0f, 0.0f, p);
    const std::size_t first = positions.size();
    const float c = a - b;
    for (int side = 0; side < 4; ++side) {
        push_face(positions, side, a, c);
        push_wall(positions, side, a, p);
        push_wall(positions, side, c, p);
    }
    placeAndColour(first, placement, music->getSyncValue("gsProtColor"));
}

void GlowShapes::placeAndColour(std::size_t first, const mat4& placement, float alphaScale)
{
    float lowest = 99999.0f;
    float highest = -99999.0f;
    for (std::size_t i = first; i < positions.size(); i += 3) {
        placement.transformPoint(&positions[i]);
        if (positions[i + 1] < lowest)
            lowest = positions[i + 1];
        if (positions[i + 1] > highest)
            highest = positions[i + 1];
    }
    const vec4 top = track_colour(music, "gsColor1", "gsColor1S", "gsColor1V", "gsColor1A", alphaScale);
    const vec4 bottom = track_colour(music, "gsColor2", "gsColor2S", "gsColor2V", "gsColor2A", alphaScale);
    // A frame lying flat has no height to spread the gradient over: it takes
    // the bottom colour throughout.
    const float extent = highest - lowest;
    for (std::size_t i = first; i < positions.size(); i += 3) {
        const float t = extent > 0.0f ? (positions[i + 1] - lowest) / extent : 0.0f;
        vec4 colour;
        colour.lerp(bottom, top, t);
        for (int k = 0; k < 4; ++k)
            colors.push_back(colour[k]);
    }
}
