#include "scenes/droplets.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>

#include "scenes.h"
#include "util/easydraw/easydraw.h"
#include "util/math/mathutils.h"
#include "util/music/music.h"
#include "util/shaderprogram/shaderprogram.h"

namespace {

// Strength of a mark at time t: 1 when it begins, 0 after fade beats.
float strength(float t, float beat, float fade)
{
    return 1.0f - (t - beat) / fade;
}

}  // namespace

Droplets::Droplets() : Scene() {}

void Droplets::init()
{
    camera.set_zfar(150.0f);
    buildDroplets();
    buildSpots();
    music->addSyncValue("dropTime", 0.0f, true);
    music->addSyncValue("dropCircle", 1.0f, true);
    music->addSyncValue("dropSpots", 1.0f, true);
    music->addSyncValue("dropCiFade", 2.5f, true);
    music->addSyncValue("dropCiSpeed", 0.2f, true);
    music->addSyncValue("dropCiFalloff", 100.0f, true);
    music->addSyncValue("dropSpFade", 1.0f, true);
    music->addSyncValue("dropSpSize", 0.4f, true);
    shader = new ShaderProgram("data/scenes/droplets/droplets.vert", "data/scenes/droplets/droplets.frag");
}

void Droplets::buildDroplets()
{
    for (float b = 0.0f; b < music->getLengthBeats(); b += 2.0f) {
        const float y = random_float(0.15f, 0.85f);
        const float x = random_float(0.15f, 0.85f);
        droplets.emplace_back(b, x, y);
    }
}

void Droplets::buildSpots()
{
    for (float b = 0.0f; b < music->getLengthBeats(); b += 1.0f) {
        const float y = random_float(0.15f, 0.85f);
        const float x = random_float(0.15f, 0.85f);
        spots.emplace_back(b, x, y);
    }
}

void Droplets::setViewport(int width, int height)
{
    Scene::setViewport(width, height);
}

void Droplets::draw()
{
    glEnable(GL_BLEND);
    update_camera_control(&camera, keys, input, 10.0f, music);
    camera.setup(width, height, aspect, 1.0f);

    shader->bind();
    shader->set_float4("Color", 1.0f, 1.0f, 1.0f, 1.0f);
    shader->set_float("Beats", music->getSyncValue("dropTime"));
    shader->set_mat4("ProjectionMatrix", camera.get_projection_matrix().data(), 1, false);
    shader->set_mat4("ModelViewMatrix", camera.get_view_matrix().data(), 1, false);

    if (music->getSyncValue("dropCircle") > 1.5f)
        updateDroplets(true);
    else if (music->getSyncValue("dropCircle") > 0.5f)
        updateDroplets(false);
    if (music->getSyncValue("dropSpots") > 0.5f)
        updateSpots();

    EasyDraw::draw_plane(planeSize, planeSize, false);
}

// The live droplets are those begun at or before t whose strength is still
// above 0. Beats rise along the list and a later mark is stronger at the
// same time, so both ends are found by bisection with the same comparison
// a walk from the start would make, and each track is read once.
void Droplets::updateDroplets(bool modeFlag)
{
    const float t = music->getSyncValue("dropTime");
    const float fade = music->getSyncValue("dropCiFade");
    std::vector<float> live;
    // A fade of 0 or less (or no time at all) leaves no mark alive.
    if (fade > 0.0f && std::isfinite(t)) {
        const auto end = std::partition_point(droplets.begin(), droplets.end(),
                                              [t](const Drop& d) { return !(d.beat > t); });
        auto begin = std::partition_point(droplets.begin(), end,
                                          [&](const Drop& d) { return !(strength(t, d.beat, fade) > 0.0f); });
        if (end - begin > kMaxDroplets)
            begin = end - kMaxDroplets;
        for (auto d = begin; d != end; ++d)
            live.insert(live.end(), {d->x, d->y, strength(t, d->beat, fade), d->beat});
    }
    const int count = static_cast<int>(live.size() / 4);
    if (count > 0)
        shader->set_vec4_array("Droplets", live.data(), count);
    shader->set_int("NumDroplets", count);
    shader->set_float4("DropletSettings", music->getSyncValue("dropCiSpeed"), fade,
                       music->getSyncValue("dropCiFalloff"), modeFlag ? 1.0f : 0.0f);
}

// The spots uploaded are the ones still fading plus the next one to come,
// at strength 0. When no spot lies after t, the upload is spot 0 alone if no
// spot has faded out, else empty.
void Droplets::updateSpots()
{
    const float t = music->getSyncValue("dropTime");
    const float fade = music->getSyncValue("dropSpFade");
    std::vector<float> live;
    if (fade > 0.0f && std::isfinite(t) && !spots.empty()) {
        const auto begun = [t](const Spot& s) { return !(s.beat > t); };
        const auto faded = [&](const Spot& s) { return strength(t, s.beat, fade) <= 0.0f; };
        const std::size_t next = std::partition_point(spots.begin(), spots.end(), begun) - spots.begin();
        const std::size_t first = std::partition_point(spots.begin(), spots.begin() + next, faded) - spots.begin();
        const std::size_t last = next < spots.size() ? next : 0;
        if (next < spots.size())
            spots[next].strength = 0.0f;
        if (first <= last) {
            const std::size_t from = std::max(first, last + 1 - std::min<std::size_t>(last + 1, kMaxSpots));
            for (std::size_t i = from; i <= last; ++i) {
                Spot& s = spots[i];
                if (i != next)
                    s.strength = strength(t, s.beat, fade);
                live.insert(live.end(), {s.x, s.y, s.strength});
            }
        }
    }
    const int count = static_cast<int>(live.size() / 3);
    if (count > 0)
        shader->set_vec3_array("Spots", live.data(), count);
    shader->set_int("NumSpots", count);
    shader->set_float2("SpotSettings", music->getSyncValue("dropSpSize"), fade);
}
