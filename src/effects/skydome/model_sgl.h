#pragma once
// SglModel: a mesh from a small ".sgl" file, drawn with one interleaved-array
// draw call. The file is little-endian: int32 vertex count (at least 1),
// int32 interleaved format (GL_V3F, GL_N3F_V3F or GL_T2F_N3F_V3F), int32
// primitive mode (GL_LINES to GL_POLYGON), then the float records; bytes past
// the last record are ignored. The geometry operations work on the positions
// inside the records and leave normals and texture coordinates alone.
#include <cstdint>

class SglModel {
public:
    SglModel() = default;
    virtual ~SglModel();
    SglModel(const SglModel&) = delete;
    SglModel& operator=(const SglModel&) = delete;

    // Reads the file through the data layer. True when the model then holds
    // vertex data; on any failure it holds none, logs why and returns false.
    bool load(const char* path);
    // Draws the records; nothing without data. The caller's client arrays
    // come back as they were.
    virtual void draw();
    // Releases the data and forgets the header.
    virtual void clear();

    void translate(float x, float y, float z);
    void scale(float s);
    // Centres the model on the origin with its widest extent 2 (-1 to 1).
    void normalise();
    // Midpoint of each axis (0 without data).
    void centre(float& x, float& y, float& z);
    // Largest minus smallest component of each axis (0 without data).
    void extents(float& x, float& y, float& z);

    const float* get_data() const { return data; }
    std::int32_t get_format() const { return format; }
    std::int32_t get_count() const { return count; }
    std::int32_t get_primitive() const { return primitive; }

private:
    struct Bounds {
        float min[3];
        float max[3];
    };
    Bounds bounds() const;
    float* position(std::int32_t i) { return data + std::int64_t(i) * stride_floats + position_offset; }

    float* data = nullptr;
    std::int32_t format = 0;
    std::int32_t count = 0;
    std::int32_t primitive = 0;
    // Of the format's records, in floats; the operations exist while the
    // offset is 0 or more.
    std::int32_t stride_floats = 0;
    std::int32_t position_offset = -1;
};
