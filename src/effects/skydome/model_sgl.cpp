#include "effects/skydome/model_sgl.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "system/log_message.h"
#include "util/data/data_layer.h"

namespace {

constexpr int kHeaderBytes = 12;

struct Layout {
    std::int32_t format;
    std::int32_t stride_floats;
    std::int32_t position_offset;
};

constexpr Layout kLayouts[] = {
    {GL_V3F, 3, 0},
    {GL_N3F_V3F, 6, 3},
    {GL_T2F_N3F_V3F, 8, 5},
};

std::int32_t read_int32(const std::uint8_t* p)
{
    return std::int32_t(std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
                        std::uint32_t(p[3]) << 24);
}

bool refuse(const char* path, const std::string& why)
{
    log_message(std::string("SGL model ") + path + ": " + why + "\n");
    return false;
}

struct FreeDeleter {
    void operator()(std::uint8_t* p) const { std::free(p); }
};

}  // namespace

SglModel::~SglModel() { std::free(data); }

void SglModel::clear()
{
    std::free(data);
    data = nullptr;
    format = count = primitive = 0;
    stride_floats = 0;
    position_offset = -1;
}

bool SglModel::load(const char* path)
{
    clear();
    int size = 0;
    std::unique_ptr<std::uint8_t, FreeDeleter> file(load_file(path, "rb", &size, false));
    if (!file)
        return refuse(path, "Failed to load file " + std::string(path));
    if (size < kHeaderBytes)
        return refuse(path, "shorter than its header");
    count = read_int32(file.get());
    format = read_int32(file.get() + 4);
    primitive = read_int32(file.get() + 8);
    if (count <= 0 || format <= 0 || primitive <= 0)
        return refuse(path, "count, format and primitive must be positive");
    const Layout* layout = std::find_if(std::begin(kLayouts), std::end(kLayouts),
                                        [this](const Layout& l) { return l.format == format; });
    if (layout == std::end(kLayouts))
        return refuse(path, "unknown vertex format " + std::to_string(format));
    if (primitive < GL_LINES || primitive > GL_POLYGON)
        return refuse(path, "unknown primitive mode " + std::to_string(primitive));
    // In 64 bits: a count near 2^31 times a stride of 32 bytes overflows 32.
    const std::uint64_t recordBytes = std::uint64_t(count) * std::uint64_t(layout->stride_floats) * sizeof(float);
    if (kHeaderBytes + recordBytes > std::uint64_t(size)) {
        const std::string why = "shorter than its " + std::to_string(count) + " records";
        clear();
        return refuse(path, why);
    }
    data = static_cast<float*>(std::malloc(recordBytes));
    if (!data)
        return refuse(path, "out of memory");
    std::memcpy(data, file.get() + kHeaderBytes, recordBytes);
    stride_floats = layout->stride_floats;
    position_offset = layout->position_offset;
    return true;
}

void SglModel::draw()
{
    if (!data)
        return;
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glInterleavedArrays(GLenum(format), 0, data);
    glDrawArrays(GLenum(primitive), 0, count);
    glPopClientAttrib();
}

void SglModel::translate(float x, float y, float z)
{
    if (!data)
        return;
    for (std::int32_t i = 0; i < count; ++i) {
        float* p = position(i);
        p[0] += x;
        p[1] += y;
        p[2] += z;
    }
}

void SglModel::scale(float s)
{
    if (!data)
        return;
    for (std::int32_t i = 0; i < count; ++i) {
        float* p = position(i);
        p[0] *= s;
        p[1] *= s;
        p[2] *= s;
    }
}

SglModel::Bounds SglModel::bounds() const
{
    Bounds b;
    const float* first = data + position_offset;
    for (int a = 0; a < 3; ++a)
        b.min[a] = b.max[a] = first[a];
    for (std::int32_t i = 1; i < count; ++i) {
        const float* p = data + std::int64_t(i) * stride_floats + position_offset;
        for (int a = 0; a < 3; ++a) {
            b.min[a] = std::min(b.min[a], p[a]);
            b.max[a] = std::max(b.max[a], p[a]);
        }
    }
    return b;
}

void SglModel::centre(float& x, float& y, float& z)
{
    x = y = z = 0.0f;
    if (!data)
        return;
    const Bounds b = bounds();
    x = (b.max[0] + b.min[0]) / 2.0f;
    y = (b.max[1] + b.min[1]) / 2.0f;
    z = (b.max[2] + b.min[2]) / 2.0f;
}

void SglModel::extents(float& x, float& y, float& z)
{
    x = y = z = 0.0f;
    if (!data)
        return;
    const Bounds b = bounds();
    x = b.max[0] - b.min[0];
    y = b.max[1] - b.min[1];
    z = b.max[2] - b.min[2];
}

void SglModel::normalise()
{
    if (!data)
        return;
    const Bounds b = bounds();
    float mid[3];
    float widest = 0.0f;
    for (int a = 0; a < 3; ++a) {
        mid[a] = (b.max[a] + b.min[a]) / 2.0f;
        widest = std::max(widest, b.max[a] - b.min[a]);
    }
    // A model of one point (or all points equal) is only centred.
    const float factor = widest > 0.0f && std::isfinite(widest) ? 2.0f / widest : 1.0f;
    for (std::int32_t i = 0; i < count; ++i) {
        float* p = position(i);
        for (int a = 0; a < 3; ++a)
            p[a] = (p[a] - mid[a]) * factor;
    }
}
