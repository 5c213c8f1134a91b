#pragma once
// Effects::Particles: a fixed number of camera-facing textured squares of one
// colour, blended additively and drawn with one buffer upload and one draw
// call. Every particle moves from a start to a target position. Shapes are
// point sets captured from the particles themselves; morph() walks the
// particles through the shapes in turn as its position grows, laying a shape
// exactly (particle i takes point i) or loosely (each particle takes a random
// point on the shape's segments).
#include <GL/glew.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "effects/effect.h"
#include "util/math/mat4.h"
#include "util/math/vec3.h"
#include "util/texture/texture.h"

class ShaderConstructor;
class ShaderProgram;

namespace Effects {

struct ParticleRecord {
    vec3 start{0.0f, 0.0f, 0.0f};
    vec3 current{0.0f, 0.0f, 0.0f};
    vec3 target{0.0f, 0.0f, 0.0f};

    // current = (1 - t) start + t target
    void lerp(float t) { current.lerp(start, target, t); }
};

struct ParticleShape {
    std::vector<float> verts;  // x, y, z per point
    float scale = 1.0f;        // applied to the positions after laying the shape
    bool exact = false;
};

class Particles : public Effect {
public:
    // An empty texture path means "data/common/images/own_particle_256.png".
    // Seeds the engine's random generator with 7.
    Particles(vec3 color, unsigned count, std::string texturePath);
    ~Particles() override;

    // Scatters the start positions on a sphere and captures them as a new shape.
    ParticleShape& addShape(float radius, bool exact);
    // Sets every particle's current position for this position (draws nothing).
    void morph(float position, unsigned easePower);
    void render(float time) override;

    // The shape operations' selectors: dst 0 start, 1 target, 2 both; src 0
    // start, 1 target.
    void scatter(int dst, float radius);
    void captureShape(ParticleShape& shape, int src);
    void applyShape(int dst, const std::vector<float>& verts, bool exact);
    void scaleVectors(int dst, int src, float factor);

    // The eased fraction morph() moves by (an S-curve for a power above 0).
    static float ease(float t, unsigned power);

    std::size_t count() const { return particles.size(); }
    const ParticleRecord& particle(std::size_t i) const { return particles[i]; }

    Texture texture;
    std::unique_ptr<ShaderConstructor> billboard_source;
    std::unique_ptr<ShaderProgram> billboard_shader;
    std::vector<ParticleShape> shapes;
    bool depth_sort = false;
    float size = 0.25f;
    mat4 model_matrix;
    int current_shape = -1;
    float last_position = -1.0f;
    vec3 color;
    GLuint vbo = 0;
    // Positions (4 corners x 3 floats per particle), then texture coordinates
    // (4 x 2), then colours (4 x 4).
    float* buffer_vertex = nullptr;
    std::size_t positions_bytes = 0;
    std::size_t texcoords_bytes = 0;
    std::size_t colors_bytes = 0;

private:
    void write_vertex_data(const mat4& modelview);

    std::vector<ParticleRecord> particles;
};

}  // namespace Effects
