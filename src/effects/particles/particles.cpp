#include "effects/particles/particles.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "system/fatal_error.h"
#include "util/math/mathutils.h"
#include "util/math/random.h"
#include "util/shaderprogram/builtinshaders.h"
#include "util/shaderprogram/shaderconstructor.h"
#include "util/shaderprogram/shaderprogram.h"

namespace Effects {

namespace {

constexpr int kCorners = 4;
constexpr int kPositionFloats = kCorners * 3;
constexpr int kTexcoordFloats = kCorners * 2;
constexpr int kColorFloats = kCorners * 4;
// The draw call counts vertices in a GLsizei.
constexpr unsigned kMaxParticles = INT_MAX / kCorners;

void check_dst(int dst)
{
    if (dst < 0 || dst > 2)
        FATAL_ERROR("Failed assert dst >= 0 && dst <= 2");
}

void check_src(int src)
{
    if (src < 0 || src > 1)
        FATAL_ERROR("Failed assert src >= 0 && src <= 1");
}

void place(ParticleRecord& p, int dst, const vec3& v)
{
    if (dst == 0 || dst == 2)
        p.start = v;
    if (dst == 1 || dst == 2)
        p.target = v;
}

}  // namespace

Particles::Particles(vec3 color_, unsigned count, std::string texturePath)
{
    velmo_srand(7);
    if (texturePath.empty())
        texturePath = "data/common/images/own_particle_256.png";
    if (!texture.load(texturePath, true, true, GL_LINEAR, GL_LINEAR))
        FATAL_ERROR("Failed to load texture");
    billboard_source.reset(make_billboard_shader("EffectsParticles"));
    billboard_shader = std::make_unique<ShaderProgram>(billboard_source.get());
    if (!billboard_shader->get_program())
        FATAL_ERROR("Failed assert billboard_shader");
    color = color_;

    if (count > kMaxParticles)
        FATAL_ERROR("Too many particles: " + std::to_string(count) + " (at most " + std::to_string(kMaxParticles) +
                    ")");
    try {
        particles.resize(count);
    } catch (const std::bad_alloc&) {
        FATAL_ERROR("Failed to allocate " + std::to_string(count) + " particles");
    }
    positions_bytes = std::size_t(count) * kPositionFloats * sizeof(float);
    texcoords_bytes = std::size_t(count) * kTexcoordFloats * sizeof(float);
    colors_bytes = std::size_t(count) * kColorFloats * sizeof(float);
    buffer_vertex = static_cast<float*>(std::malloc(std::max<std::size_t>(1, positions_bytes + texcoords_bytes + colors_bytes)));
    if (!buffer_vertex)
        FATAL_ERROR("buffer_vertex is NULL");
    glGenBuffers(1, &vbo);
}

Particles::~Particles()
{
    glDeleteBuffers(1, &vbo);
    std::free(buffer_vertex);
}

void Particles::scatter(int dst, float radius)
{
    check_dst(dst);
    for (ParticleRecord& p : particles) {
        vec3 v;
        v.setRandomUnit();
        place(p, dst, v * radius);
    }
}

void Particles::captureShape(ParticleShape& shape, int src)
{
    check_src(src);
    shape.verts.clear();
    shape.verts.reserve(particles.size() * 3);
    for (const ParticleRecord& p : particles) {
        const vec3& v = src == 0 ? p.start : p.target;
        shape.verts.insert(shape.verts.end(), {v.x, v.y, v.z});
    }
}

ParticleShape& Particles::addShape(float radius, bool exact)
{
    shapes.emplace_back();
    scatter(0, radius);
    ParticleShape& shape = shapes.back();
    captureShape(shape, 0);
    shape.exact = exact;
    return shape;
}

void Particles::applyShape(int dst, const std::vector<float>& verts, bool exact)
{
    if (exact) {
        check_dst(dst);
        if (verts.size() != particles.size() * 3)
            FATAL_ERROR("Failed assert verts.size() == particles.size() * 3");
        for (std::size_t i = 0; i < particles.size(); ++i)
            place(particles[i], dst, vec3(verts[3 * i], verts[3 * i + 1], verts[3 * i + 2]));
        return;
    }
    if (particles.empty())  // nothing to lay, whatever the shape
        return;
    if (verts.empty())
        FATAL_ERROR("Failed assert verts.size() > 0");
    if (verts.size() % 3 != 0)
        FATAL_ERROR("Failed assert verts.size() % 3 == 0");
    const std::size_t points = verts.size() / 3;
    if (points == 1) {
        // No segment to pick from: every particle takes the one point.
        for (ParticleRecord& p : particles)
            place(p, dst, vec3(verts[0], verts[1], verts[2]));
        return;
    }
    // Draws reach up to m; its integer part must stay below the last point,
    // whose segment would end past the shape. From about 88,000 points on the
    // float subtraction loses the 0.01 and m lands on the last point itself,
    // so m is at most the largest float below points - 1.
    const double last = static_cast<double>(points - 1);
    float below = static_cast<float>(last);
    while (static_cast<double>(below) >= last)
        below = std::nextafter(below, 0.0f);
    const float m = std::min((static_cast<float>(verts.size()) - 3.01f) / 3.0f, below);
    for (ParticleRecord& p : particles) {
        float r = 0.0f;
        std::size_t k = 0;
        do {
            r = random_float(0.0f, m);
            k = static_cast<std::size_t>(r);
        } while (k % 3 == 2);
        const float f = std::fmod(r, 1.0f);
        const float* a = &verts[3 * k];
        const float* b = &verts[3 * (k + 1)];
        place(p, dst,
              vec3((1.0f - f) * a[0] + f * b[0], (1.0f - f) * a[1] + f * b[1], (1.0f - f) * a[2] + f * b[2]));
    }
}

void Particles::scaleVectors(int dst, int src, float factor)
{
    check_dst(dst);
    check_src(src);
    for (ParticleRecord& p : particles) {
        const vec3 v = (src == 0 ? p.start : p.target) * factor;
        if (dst == 1 || dst == 2)
            p.target = v;
        if (dst == 0 || dst == 2)
            p.start = v;
    }
}

float Particles::ease(float t, unsigned power)
{
    if (power == 0)
        return t;
    const float s = std::sin(t * 3.1415927f - 1.5707964f);
    const float sign = s > 0.0f ? 1.0f : -1.0f;
    const float f = 1.0f - std::fabs(s);
    float g = f;
    for (unsigned i = 1; i < power; ++i)
        g *= f;
    return (1.0f - g) * sign * 0.5f + 0.5f;
}

void Particles::morph(float position, unsigned easePower)
{
    // Without shapes there is nothing to walk through; a position that is
    // not a number has no shape either.
    if (shapes.empty() || !std::isfinite(position))
        return;
    const double n = static_cast<double>(shapes.size());
    const double c = std::trunc(static_cast<double>(position));
    // Shape indexes wrap into the list for negative positions as well.
    auto wrap = [n](double v) {
        const double r = std::fmod(v, n);
        return static_cast<int>(r < 0.0 ? r + n : r);
    };
    const int a = wrap(c);
    const int e = wrap(c + 1.0);
    const float t = ease(static_cast<float>(static_cast<double>(position) - c), easePower);

    if (a != current_shape) {
        if (current_shape < 0) {
            applyShape(0, shapes[a].verts, shapes[a].exact);
            applyShape(1, shapes[e].verts, shapes[e].exact);
            scaleVectors(0, 0, shapes[a].scale);
            scaleVectors(1, 1, shapes[e].scale);
        } else if (position > last_position) {
            scaleVectors(0, 1, 1.0f);
            applyShape(1, shapes[e].verts, shapes[e].exact);
            scaleVectors(1, 1, shapes[e].scale);
        } else {
            scaleVectors(1, 0, 1.0f);
            applyShape(0, shapes[a].verts, shapes[a].exact);
            scaleVectors(0, 0, shapes[a].scale);
        }
        current_shape = a;
        last_position = position;
    }
    for (ParticleRecord& p : particles)
        p.lerp(t);
}

void Particles::write_vertex_data(const mat4& modelview)
{
    const std::size_t count = particles.size();
    float* positions = buffer_vertex;
    float* texcoords = buffer_vertex + count * kPositionFloats;
    float* colors = texcoords + count * kTexcoordFloats;

    std::vector<vec3> sorted;
    mat4 back;
    if (depth_sort) {
        const mat4 toEye = modelview * model_matrix;
        sorted.reserve(count);
        for (const ParticleRecord& p : particles) {
            vec3 v = p.current;
            toEye.transformPoint(v);
            sorted.push_back(v);
        }
        std::stable_sort(sorted.begin(), sorted.end(), [](const vec3& l, const vec3& r) { return l.z < r.z; });
        back = modelview.inverse();
    }

    static const float corners[kTexcoordFloats] = {0, 0, 1, 0, 1, 1, 0, 1};
    for (std::size_t j = 0; j < count; ++j) {
        std::copy(corners, corners + kTexcoordFloats, texcoords + j * kTexcoordFloats);
        for (int k = 0; k < kCorners; ++k) {
            float* c = colors + j * kColorFloats + k * 4;
            c[0] = color.x;
            c[1] = color.y;
            c[2] = color.z;
            c[3] = 1.0f;
        }
        vec3 v;
        if (depth_sort) {
            v = sorted[j];
            back.transformPoint(v);
        } else {
            v = particles[j].current;
            model_matrix.transformPoint(v);
        }
        for (int k = 0; k < kCorners; ++k) {
            float* p = positions + j * kPositionFloats + k * 3;
            p[0] = v.x;
            p[1] = v.y;
            p[2] = v.z;
        }
    }
}

void Particles::render(float)
{
    glEnable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
    texture.bind_and_enable();

    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    const vec3 right(m[0], m[4], m[8]);
    const vec3 up(m[1], m[5], m[9]);
    billboard_shader->bind();
    billboard_shader->set_vec3("right", right, 1);
    billboard_shader->set_vec3("up", up, 1);
    billboard_shader->set_float("size", size);

    if (depth_sort)
        glEnable(GL_DEPTH_TEST);
    else
        glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    write_vertex_data(mat4(m));

    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(positions_bytes + texcoords_bytes + colors_bytes),
                 buffer_vertex, GL_DYNAMIC_DRAW);
    glClientActiveTexture(GL_TEXTURE0);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, nullptr);
    glTexCoordPointer(2, GL_FLOAT, 0, reinterpret_cast<const void*>(positions_bytes));
    glColorPointer(4, GL_FLOAT, 0, reinterpret_cast<const void*>(positions_bytes + texcoords_bytes));
    glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(particles.size() * kCorners));
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

}  // namespace Effects
