#include "effects/raymarcher/raymarcher.h"

#include <GL/glew.h>

#include <algorithm>
#include <string>

#include "effects/shader_quad.h"
#include "util/data/data_layer.h"
#include "util/math/mat4.h"
#include "util/music/music.h"
#include "util/shaderprogram/shaderprogram.h"

namespace Effects {

namespace {

struct Track {
    const char* name;
    float value;
};

// The tracks and their defaults: a camera a little way back from the
// centre, no rotation (about y), the look values at rest.
const Track kTracks[] = {
    {"RayPosX", 0.0f},         {"RayPosY", 0.0f},     {"RayPosZ", -4.0f},      {"RayViewRot", 0.0f},
    {"RayViewRotX", 0.0f},     {"RayViewRotY", 1.0f}, {"RayViewRotZ", 0.0f},   {"RayRotationTime", 0.0f},
    {"RayColor", 1.0f},        {"RayAoFactor", 1.0f}, {"RayCutouts", 0.0f},    {"RaySlashes", 0.0f},
    {"RayPlaneDistance", 2.0f}, {"RayRotationMix", 0.0f},
};

void register_track(Music& music, const Track& track)
{
    const bool known = std::any_of(music.syncValues.begin(), music.syncValues.end(),
                                   [&](const SyncValue& v) { return v.name == track.name; });
    if (known)
        return;
    const std::string file = std::string("data/sync_tracker/_") + track.name + ".track";
    const bool tracked = music.syncEditorMode != 0 || data_file_available(file.c_str());
    music.addSyncValue(track.name, track.value, tracked);
}

}  // namespace

Raymarcher::Raymarcher(Music* music_, vec4 color_)
    : program(std::make_unique<ShaderProgram>("data/effects/raymarcher/raymarcher.vert",
                                              "data/effects/raymarcher/raymarcher.frag")),
      color(color_), music(music_)
{
    for (const Track& track : kTracks)
        register_track(*music, track);
}

Raymarcher::~Raymarcher() = default;

void Raymarcher::render(float time) { draw(time); }

void Raymarcher::draw(float time)
{
    begin_shader_quad(*program, color, time);
    mat4 view;
    view.translate(music->getSyncValue("RayPosX"), music->getSyncValue("RayPosY"), music->getSyncValue("RayPosZ"));
    mat4 rotation;
    rotation.rotate(music->getSyncValue("RayViewRot"), music->getSyncValue("RayViewRotX"),
                    music->getSyncValue("RayViewRotY"), music->getSyncValue("RayViewRotZ"));
    program->set_float("RotationTime", music->getSyncValue("RayRotationTime"));
    program->set_mat4("View", view.data(), 1, false);
    program->set_mat4("ViewRotation", rotation.data(), 1, false);
    program->set_float("SkyboxMix", 0.0f);
    program->set_float("Color", music->getSyncValue("RayColor"));
    program->set_float("AoFactor", music->getSyncValue("RayAoFactor"));
    program->set_float("Cutouts", music->getSyncValue("RayCutouts"));
    program->set_float("Slashes", music->getSyncValue("RaySlashes"));
    program->set_float("PlaneDistance", music->getSyncValue("RayPlaneDistance"));
    program->set_float("RotationMix", music->getSyncValue("RayRotationMix"));
    draw_shader_quad();
}

}  // namespace Effects
