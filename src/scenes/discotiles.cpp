#include "scenes/discotiles.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>

#include "scenes.h"
#include "util/camera/camera.h"
#include "util/math/mathutils.h"
#include "util/music/music.h"
#include "util/objects3d/primitive_meshes.h"

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kDropFadeBeats = 5.0f;
constexpr float kSpotFadeBeats = 2.0f;
constexpr float kSpotReach = 15.0f;

float distance(float tx, float ty, float x, float y)
{
    const float dx = tx - x;
    const float dy = ty - y;
    return std::sqrt(dx * dx + dy * dy);
}

float dropStrength(float beat, const Drop& drop) { return 1.0f - (beat - drop.beat) / kDropFadeBeats; }

}  // namespace

void DiscoTiles::init()
{
    skybox.init(vec3(0.0f, 0.0f, 0.0f), 50.0f, "data/effects/skybox/spacescape_desat_nebula_complex/desat_nebula_complex_",
                "png");

    objects.cameras.push_back(new Camera());
    objects.cameras.back()->set_zfar(1500.0f);

    material = new Material(5);
    mesh = make_plane_mesh(1.0f, 1.0f, 1.0f);
    node = objects.add_object(mesh, material, nullptr);

    const unsigned count = gridSize * gridSize;
    node->modelViewMatrices.resize(count);
    material->diffuseColors.resize(count);
    const float step = tileSize + tileGap;
    const float half = static_cast<float>(gridSize / 2);
    for (unsigned ty = 0; ty < gridSize; ++ty)
        for (unsigned tx = 0; tx < gridSize; ++tx) {
            const unsigned n = ty * gridSize + tx;
            node->modelViewMatrices[n].translate((static_cast<float>(tx) - half) * step, 0.0f,
                                                 (static_cast<float>(ty) - half) * step);
            material->diffuseColors[n] = vec4(1.0f, 1.0f, 1.0f, 1.0f);
        }

    buildDrops();
    buildSpots();

    music->addSyncValue("discScroll", 1.0f, true);
    music->addSyncValue("discDrops", 1.0f, true);
    music->addSyncValue("discSpots", 1.0f, true);
}

void DiscoTiles::setViewport(int width, int height)
{
    Scene::setViewport(width, height);
    objects.set_size(width, height, aspect);
}

void DiscoTiles::buildDrops() { appendMarks(drops, 2.0f); }

void DiscoTiles::buildSpots() { appendMarks(spots, 0.25f); }

template <class Mark>
void DiscoTiles::appendMarks(std::vector<Mark>& marks, float step)
{
    // Tile coordinates 15 to gridSize - 15; y is drawn before x.
    const float low = 15.0f;
    const float high = static_cast<float>(gridSize) - 15.0f;
    for (float b = 0.0f; b < music->getLengthBeats(); b += step) {
        const float y = random_float(low, high);
        const float x = random_float(low, high);
        marks.emplace_back(b, x, y);
    }
}

void DiscoTiles::draw()
{
    glEnable(GL_BLEND);
    Camera* camera = objects.cameras.back();
    update_camera_control(camera, keys, input, 10.0f, music);
    camera->setup(width, height, aspect, 1.0f);

    clearTiles();
    if (music->getSyncValue("discScroll") > 0.5f)
        addScroll();
    if (music->getSyncValue("discDrops") > 1.5f)
        addDrops(true);
    else if (music->getSyncValue("discDrops") > 0.5f)
        addDrops(false);
    if (music->getSyncValue("discSpots") > 0.5f)
        addSpots();

    objects.draw();
}

void DiscoTiles::clearTiles()
{
    for (vec4& colour : material->diffuseColors)
        colour.w = 0.0f;
}

void DiscoTiles::addScroll()
{
    const float b = music->getBeat();
    for (std::size_t n = 0; n < material->diffuseColors.size(); ++n)
        material->diffuseColors[n].w += 0.5f * std::sin(static_cast<float>(n) + b * kPi / 2.0f) + 0.5f;
}

void DiscoTiles::addDrops(bool outside)
{
    const float b = music->getBeat();
    // Drops are in beat order and a drop's strength only falls with its age,
    // so the drops that light anything are one run: from the first one not
    // yet faded up to the last one already begun.
    const auto begun = std::upper_bound(drops.begin(), drops.end(), b,
                                        [](float beat, const Drop& drop) { return beat < drop.beat; });
    const auto live = std::partition_point(drops.begin(), begun,
                                           [b](const Drop& drop) { return dropStrength(b, drop) <= 0.0f; });
    for (unsigned ty = 0; ty < gridSize; ++ty)
        for (unsigned tx = 0; tx < gridSize; ++tx) {
            float& alpha = material->diffuseColors[ty * gridSize + tx].w;
            for (auto drop = live; drop != begun; ++drop) {
                const float age = b - drop->beat;
                const float s = dropStrength(b, *drop);
                const float d = distance(static_cast<float>(tx), static_cast<float>(ty), drop->x, drop->y);
                const float g = outside ? d - 5.0f * age : 8.0f * age - d;
                if (s > 0.0f && g > 0.0f)
                    alpha += s / g;
            }
        }
}

void DiscoTiles::addSpots()
{
    const float b = music->getBeat();
    std::size_t first = 0;
    std::size_t last = 0;
    for (std::size_t k = 0; k < spots.size(); ++k) {
        Spot& spot = spots[k];
        if (spot.beat > b) {
            spot.strength = 0.0f;
            last = k;
            break;
        }
        spot.strength = 1.0f - (b - spot.beat) / kSpotFadeBeats;
        if (spot.strength <= 0.0f)
            first = k + 1;
    }
    if (spots.empty() || first > last)
        return;
    for (unsigned ty = 0; ty < gridSize; ++ty)
        for (unsigned tx = 0; tx < gridSize; ++tx) {
            float& alpha = material->diffuseColors[ty * gridSize + tx].w;
            for (std::size_t k = first; k <= last; ++k) {
                const float d = distance(static_cast<float>(tx), static_cast<float>(ty), spots[k].x, spots[k].y);
                if (d > kSpotReach)
                    continue;
                const float e = 1.0f - d / kSpotReach;
                alpha += spots[k].strength * e * e * e;
            }
        }
}
