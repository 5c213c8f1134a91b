#include "util/easydraw/easydrawcustom.h"

#include <cstdint>
#include <string>

#include "system/fatal_error.h"

void EasyDrawCustom::upload(Attribute& att, int count, const float* data)
{
    if (!att.vbo)
        glGenBuffers(1, &att.vbo);
    VELMO_ASSERT(att.vbo);
    glBindBuffer(GL_ARRAY_BUFFER, att.vbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(count) * 4, data, GL_DYNAMIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void EasyDrawCustom::set_attribute(unsigned index, int stride, int count, const float* data, int divisor)
{
    VELMO_ASSERT(index < VERTEX_ATTRIB_MAX);
    VELMO_ASSERT(0 == count % stride);
    Attribute& att = attributes[index];
    // Any change of the layout, not only of the size, rebuilds it.
    if (count != att.count || stride != att.stride || divisor != att.divisor)
        dirty = true;
    att.count = count;
    att.stride = stride;
    att.data = data;
    att.divisor = divisor;
    upload(att, count, data);
}

void EasyDrawCustom::set_matrix_attribute(unsigned index, int count, const float* data)
{
    VELMO_ASSERT(index < VERTEX_ATTRIB_MAX);
    VELMO_ASSERT(0 == count % 16);
    Attribute& att = attributes[index];
    if (count != att.count || att.stride != 4 || att.divisor != 1 || att.locations != 4)
        dirty = true;
    att.data = data;
    att.stride = 4;
    att.count = count;
    att.divisor = 1;
    att.locations = 4;
    upload(att, count, data);
}

void EasyDrawCustom::set_indices(int count, const uint32_t* indices_)
{
    if (count != index_count)
        dirty = true;
    indices = indices_;
    index_count = count;
    if (!ibo)
        glGenBuffers(1, &ibo);
    VELMO_ASSERT(ibo);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ibo);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(count) * 4, indices_, GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

void EasyDrawCustom::rebuild()
{
    int32_t vertices = 0;
    int32_t instances = 0;
    glBindVertexArray(vao);
    for (unsigned i = 0; i < VERTEX_ATTRIB_MAX; i++) {
        Attribute& att = attributes[i];
        if (!att.vbo)
            continue;
        // An emptied slot takes no part in the draw.
        if (att.count == 0) {
            for (int j = 0; j < att.locations && i + j < VERTEX_ATTRIB_MAX; j++)
                glDisableVertexAttribArray(i + j);
            continue;
        }
        if (att.divisor != 0) {
            const int32_t n = att.count / (att.locations * att.stride);
            if (instances == 0)
                instances = n;
            else if (instances != n) {
                glBindVertexArray(0);
                FATAL_ERROR("Failed assert instances == att.count / ( att.locations * att.stride )");
            }
        } else {
            const int32_t n = att.count / att.stride;
            if (vertices == 0)
                vertices = n;
            else if (vertices != n) {
                glBindVertexArray(0);
                FATAL_ERROR("Count " + std::to_string(vertices) + " does not match att.count "
                            + std::to_string(att.count) + " / att.stride " + std::to_string(att.stride));
            }
        }
        glBindBuffer(GL_ARRAY_BUFFER, att.vbo);
        const GLsizei byteStride = att.divisor * att.locations * att.stride * 4;
        for (int j = 0; j < att.locations && i + j < VERTEX_ATTRIB_MAX; j++) {
            glEnableVertexAttribArray(i + j);
            glVertexAttribPointer(i + j, att.stride, GL_FLOAT, GL_FALSE, byteStride,
                                  reinterpret_cast<const void*>(static_cast<uintptr_t>(j * att.stride * 4)));
            glVertexAttribDivisor(i + j, att.divisor);
        }
    }
    if (index_count != 0)
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ibo);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    vertex_count = vertices;
    instance_count = instances;
    dirty = false;
}

void EasyDrawCustom::draw(GLenum mode)
{
    if (!vao)
        glGenVertexArrays(1, &vao);
    VELMO_ASSERT(vao);
    if (dirty)
        rebuild();
    if (vertex_count == 0)
        return;
    glBindVertexArray(vao);
    if (index_count != 0) {
        if (instance_count != 0)
            glDrawElementsInstanced(mode, index_count, GL_UNSIGNED_INT, nullptr, instance_count);
        else
            glDrawElements(mode, index_count, GL_UNSIGNED_INT, nullptr);
    } else {
        if (instance_count != 0)
            glDrawArraysInstanced(mode, 0, vertex_count, instance_count);
        else
            glDrawArrays(mode, 0, vertex_count);
    }
    glBindVertexArray(0);
}
