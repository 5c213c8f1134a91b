#include "util/objects3d/geomobject.h"

#include <GL/glew.h>

#include <string>

#include "system/fatal_error.h"

static_assert(sizeof(mat4) == 16 * sizeof(float), "instance matrices are uploaded as packed floats");
static_assert(sizeof(vec4) == 4 * sizeof(float), "instance colours are uploaded as packed floats");

namespace {

// out := for each output vertex, the `stride` floats its index selects in
// `source`. Indexes that reach past the source stop the program instead of
// reading past it.
void expand(const std::string& object, const char* what, const std::vector<int32_t>& index, size_t vertexCount,
            const std::vector<float>& source, int32_t stride, std::vector<float>& out)
{
    if (stride <= 0)
        return;
    if (index.size() != vertexCount)
        FATAL_ERROR("GeomObject " + object + ": " + what + " has " + std::to_string(index.size()) + " entries for "
                    + std::to_string(vertexCount) + " vertices");
    const size_t entries = source.size() / static_cast<size_t>(stride);
    out.resize(vertexCount * static_cast<size_t>(stride));
    for (size_t i = 0; i < vertexCount; i++) {
        const int32_t k = index[i];
        if (k < 0 || static_cast<size_t>(k) >= entries)
            FATAL_ERROR("GeomObject " + object + ": " + what + " index " + std::to_string(k) + " is outside the "
                        + std::to_string(entries) + " entries of its source");
        for (int32_t j = 0; j < stride; j++)
            out[i * stride + j] = source[static_cast<size_t>(k) * stride + j];
    }
}

}

void GeomObject::check_mesh() const
{
    if (mesh_id < 0)
        FATAL_ERROR("Failed assert mesh_id >= 0");
    if (!mesh_ptr)
        FATAL_ERROR("mesh_ptr is NULL");
}

void GeomObject::expand_all()
{
    const Mesh& m = *mesh_ptr;
    const size_t n = ivertices.size();
    expand(name, "ivertices", ivertices, n, override_vertices.empty() ? m.vertices : override_vertices,
           m.vertices_stride, expanded_vertices);
    expand(name, "inormals", inormals, n, override_normals.empty() ? m.normals : override_normals, m.normals_stride,
           expanded_normals);
    expand(name, "itangents", itangents, n, override_tangents.empty() ? m.tangents : override_tangents,
           m.tangents_stride, expanded_tangents);
    expand(name, "itexcoords", itexcoords, n, m.texcoords, m.texcoords_stride, expanded_texcoords);
    if (indices.size() != n) {
        indices.resize(n);
        for (size_t i = 0; i < n; i++)
            indices[i] = static_cast<uint32_t>(i);
    }
}

bool GeomObject::create_buffers()
{
    check_mesh();
    expand_all();
    buffers_created = true;
    return upload();
}

bool GeomObject::update_buffers()
{
    check_mesh();
    if (!vertex_data_dirty && !indices_dirty)
        return true;
    expand_all();
    return upload();
}

bool GeomObject::upload()
{
    check_mesh();
    const Mesh& m = *mesh_ptr;
    if (vertex_data_dirty) {
        const struct {
            unsigned slot;
            int32_t stride;
            const std::vector<float>& data;
        } lists[4] = {{kPositionSlot, m.vertices_stride, expanded_vertices},
                      {kNormalSlot, m.normals_stride, expanded_normals},
                      {kTangentSlot, m.tangents_stride, expanded_tangents},
                      {kTexcoordSlot, m.texcoords_stride, expanded_texcoords}};
        for (const auto& l : lists)
            if (l.stride != 0)
                vertex_arrays.set_attribute(l.slot, l.stride, static_cast<int>(l.data.size()), l.data.data(), 0);
        vertex_data_dirty = false;
    }
    if (indices_dirty) {
        vertex_arrays.set_indices(static_cast<int>(indices.size()), indices.data());
        indices_dirty = false;
    }
    return true;
}

void GeomObject::set_instance_matrices(const std::vector<mat4>& matrices)
{
    num_instances = static_cast<int32_t>(matrices.size());
    vertex_arrays.set_matrix_attribute(kMatrixSlot, num_instances * 16,
                                       matrices.empty() ? nullptr : matrices.front().data());
}

void GeomObject::set_instance_colors(const std::vector<vec4>& colors)
{
    if (static_cast<int32_t>(colors.size()) != num_instances)
        FATAL_ERROR("Failed assert diffuseColors.size() == num_instances");
    vertex_arrays.set_attribute(kColorSlot, 4, num_instances * 4, colors.empty() ? nullptr : colors.front().data(), 1);
    colors_set = true;
}

void GeomObject::clear_instance_colors()
{
    if (!colors_set)
        return;
    vertex_arrays.set_attribute(kColorSlot, 4, 0, nullptr, 1);
    colors_set = false;
}

void GeomObject::draw()
{
    if (!enabled)
        return;
    if (!buffers_created && !create_buffers())
        FATAL_ERROR("Failed to create VBOs!");
    if (!update_buffers())
        FATAL_ERROR("Failed to update VBOs!");
    vertex_arrays.draw(GL_TRIANGLES);
}
