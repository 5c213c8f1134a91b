#include "scenes/scene_fireworks/scene_fireworks.h"

#include <cmath>
#include <cstddef>

#include "system/fatal_error.h"
#include "util/math/random.h"
#include "util/music/music.h"
#include "util/shaderprogram/builtinshaders.h"
#include "util/shaderprogram/shaderprogram.h"

namespace {
const int kRockets = 5;
const int kTrail = 30;
const int kBurst = 400;
const float kSparkSize = 0.25f;
}  // namespace

Fireworks::Fireworks() : Scene(), rockets(), particleTexture() {}

std::uint32_t Fireworks::seedFromValue(float seed)
{
    // Every float of magnitude 2^63 or more is a multiple of 2^32, as are
    // the infinities in the limit: all give 0, like NaN.
    const float limit = 9223372036854775808.0f;  // 2^63
    if (!(std::fabs(seed) < limit))
        return 0;
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(static_cast<std::int64_t>(seed)));
}

float Fireworks::seedValue()
{
    const float v = music->getSyncValue("frwxSeed");
    return std::isnan(v) ? 0.0f : v * 1423.0f;
}

void Fireworks::init()
{
    music->addSyncValue("frwxTime", 0.0f, true);
    music->addSyncValue("frwxSeed", 0.0f, true);
    velmo_srand(seedFromValue(seedValue()));

    if (!particleTexture.load("data/common/images/own_particle_256.png", true, true, GL_LINEAR, GL_LINEAR))
        FATAL_ERROR("Failed to load texture");
    fireworksShader = new ShaderProgram(make_billboard_shader("EffectsFireworks"));

    std::size_t particles = 0;
    for (int i = 0; i < kRockets; ++i) {
        rockets.push_back(std::make_unique<FireworksRocket>(kTrail, kSparkSize));
        rockets.back()->launchRandom(0.0f);
        rockets.back()->addChildren(kBurst, 0);
        particles += rockets.back()->particleCount();
    }
    quads = FireworksQuads(particles);
    glGenBuffers(1, &vertexBufferObject);
}

void Fireworks::deinit()
{
    rockets.clear();
    quads = FireworksQuads();
}

void Fireworks::setViewport(int width, int height) { Scene::setViewport(width, height); }

void Fireworks::updateRockets(float time)
{
    for (auto& rocket : rockets)
        if (!rocket->update(time))
            rocket->launchRandom(time);
}

void Fireworks::draw()
{
    const float t = music->getSyncValue("frwxTime");
    const float seed = seedValue();
    if (!seenSeed) {
        lastSeed = seed;
        seenSeed = true;
    }
    if (seed != lastSeed) {
        for (auto& rocket : rockets)
            rocket->launchRandom(t);
        lastSeed = seed;
    }
    velmo_srand(seedFromValue(seed));

    camera.set_near_far(0.01f, 10000.0f);
    camera.look_at(0.0f, 0.0f, -10.0f, 0.0f, 2.0f, 0.0f, 0.0f, 1.0f, 0.0f);
    camera.setup(width, height, aspect, 1.0f);

    updateRockets(t);
    render();
}

void Fireworks::render()
{
    glEnable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    particleTexture.bind_and_enable();

    // The camera's right and up axes, from the rows of the model-view matrix.
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    fireworksShader->bind();
    fireworksShader->set_vec3("right", vec3(m[0], m[4], m[8]), 1);
    fireworksShader->set_vec3("up", vec3(m[1], m[5], m[9]), 1);

    quads.clear();
    for (const auto& rocket : rockets) {
        fireworksShader->set_float("size", rocket->getSize());
        rocket->writeQuads(quads);
    }

    glBindBuffer(GL_ARRAY_BUFFER, vertexBufferObject);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(quads.bytes()), quads.data(), GL_DYNAMIC_DRAW);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, nullptr);
    glTexCoordPointer(2, GL_FLOAT, 0, reinterpret_cast<const void*>(quads.positionBytes()));
    glColorPointer(4, GL_FLOAT, 0, reinterpret_cast<const void*>(quads.positionBytes() + quads.texcoordBytes()));
    glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(quads.size() * 4));
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}
