#pragma once
// One drawable use of a mesh with a material: the mesh's per-attribute index
// lists expanded into flat per-vertex arrays, uploaded once into a
// vertex-array object, and drawn instanced with the world matrices (and
// optionally a colour per instance) handed over before each draw.
#include <cstdint>
#include <string>
#include <vector>

#include "util/easydraw/easydrawcustom.h"
#include "util/math/mat4.h"
#include "util/math/vec4.h"
#include "util/objects3d/mesh.h"

class GeomObject {
public:
    // Attribute slots of vertex_arrays.
    static constexpr unsigned kPositionSlot = 0;
    static constexpr unsigned kNormalSlot = 1;
    static constexpr unsigned kTexcoordSlot = 2;
    static constexpr unsigned kTangentSlot = 3;
    static constexpr unsigned kColorSlot = 4;
    static constexpr unsigned kMatrixSlot = 8;

    GeomObject() = default;
    GeomObject(const GeomObject&) = delete;
    GeomObject& operator=(const GeomObject&) = delete;

    void set_instance_matrices(const std::vector<mat4>& matrices);
    void set_instance_colors(const std::vector<vec4>& colors);
    // Empties the per-instance colour slot after a draw that had colours, so
    // that a later draw without them counts its instances by the matrices.
    void clear_instance_colors();
    void draw();

    bool create_buffers();
    bool update_buffers();
    bool upload();

    bool has_tangents() const { return mesh_ptr && mesh_ptr->tangents_stride != 0; }

    bool enabled = true;
    std::string name = "dummy";
    std::vector<int32_t> ivertices;
    std::vector<int32_t> inormals;
    std::vector<int32_t> itangents;
    std::vector<int32_t> itexcoords;
    int32_t mesh_id = -1;
    int32_t material_id = 0;
    bool using_texture = false;
    Mesh* mesh_ptr = nullptr;
    std::vector<float> override_vertices;
    std::vector<float> override_normals;
    std::vector<float> override_tangents;
    std::vector<float> expanded_vertices;
    std::vector<float> expanded_normals;
    std::vector<float> expanded_tangents;
    std::vector<float> expanded_texcoords;
    std::vector<uint32_t> indices;
    EasyDrawCustom vertex_arrays;
    bool vertex_data_dirty = true;
    bool buffers_created = false;
    bool indices_dirty = true;
    int32_t num_instances = 0;

private:
    void check_mesh() const;
    void expand_all();

    bool colors_set = false;
};
