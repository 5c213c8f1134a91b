#pragma once
// A vertex-array object with 16 attribute slots (slot i feeds attribute
// location i), an optional 32-bit index list and optional per-instance slots.
// Construction makes no GL call; GL names appear on first use.
#include <GL/glew.h>

#include <cstdint>

constexpr unsigned VERTEX_ATTRIB_MAX = 16;

class EasyDrawCustom {
public:
    struct Attribute {
        const float* data = nullptr;
        int32_t stride = 0;    // floats per location per element
        int32_t count = 0;     // floats in the array
        GLuint vbo = 0;
        int32_t divisor = 0;   // 0 per vertex, 1 per instance
        int32_t locations = 1; // 4 for a matrix
    };

    EasyDrawCustom() = default;

    void set_attribute(unsigned index, int stride, int count, const float* data, int divisor);
    void set_matrix_attribute(unsigned index, int count, const float* data);
    void set_indices(int count, const uint32_t* indices);
    void draw(GLenum mode);

    int32_t get_vertex_count() const { return vertex_count; }
    int32_t get_instance_count() const { return instance_count; }

private:
    void upload(Attribute& att, int count, const float* data);
    void rebuild();

    bool dirty = true;
    int32_t vertex_count = 0;
    int32_t instance_count = 0;
    GLuint vao = 0;
    Attribute attributes[VERTEX_ATTRIB_MAX];
    const uint32_t* indices = nullptr;
    int32_t index_count = 0;
    GLuint ibo = 0;
};
