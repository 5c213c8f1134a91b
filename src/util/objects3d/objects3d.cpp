#include "util/objects3d/objects3d.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "system/fatal_error.h"
#include "util/fbo/fbo.h"
#include "util/objects3d/framebuffer_binding_keeper.h"
#include "util/shaderprogram/builtinshaders.h"
#include "util/shaderprogram/shaderprogram.h"

ShaderProgram* Objects3D::blur_program = nullptr;
ShaderProgram* Objects3D::color_program = nullptr;
ShaderProgram* Objects3D::dof_program = nullptr;

Objects3D::Objects3D() : camera_source(this)
{
    if (!color_program) {
        blur_program = new ShaderProgram(make_blur_shader("Objects3DBlur"));
        color_program = new ShaderProgram(make_color3d_shader("Objects3D"));
        dof_program = new ShaderProgram("data/util/objects3d/shaders/dof.vert", "data/util/objects3d/shaders/dof.frag");
    }
}

Node* Objects3D::add_node(GeomObject* object, Node* parent)
{
    if (!object)
        FATAL_ERROR("Failed assert object != NULL");
    if (!master_node) {
        master_node = new Node();
        nodes.push_back(master_node);
        master_node->this_index = 0;
        master_node->name = "Master node";
    }
    if (!parent)
        parent = master_node;
    // A node of another graph would have its index point at a stranger here.
    const int32_t p = parent->this_index;
    if (p < 0 || static_cast<size_t>(p) >= nodes.size() || nodes[p] != parent)
        FATAL_ERROR("Parent node \"" + parent->name + "\" does not belong to this scene graph");
    auto found = std::find(objects.begin(), objects.end(), object);
    const int32_t k = static_cast<int32_t>(found - objects.begin());
    if (found == objects.end())
        objects.push_back(object);
    Node* node = new Node(p);
    node->objects.push_back(k);
    nodes.push_back(node);
    node->this_index = static_cast<int32_t>(nodes.size()) - 1;
    parent->children.push_back(node->this_index);
    return node;
}

namespace {

template <class T>
int32_t index_of_or_append(std::vector<T*>& list, T* item)
{
    auto found = std::find(list.begin(), list.end(), item);
    if (found != list.end())
        return static_cast<int32_t>(found - list.begin());
    list.push_back(item);
    return static_cast<int32_t>(list.size()) - 1;
}

void fill_indexes(std::vector<int32_t>& index, const std::vector<float>& list, int32_t stride)
{
    if (stride == 0)
        return;
    const size_t n = list.size() / static_cast<size_t>(stride);
    index.resize(n);
    for (size_t i = 0; i < n; i++)
        index[i] = static_cast<int32_t>(i);
}

}

GeomObject* Objects3D::add_geom_object(Mesh* mesh, Material* material)
{
    if (!mesh)
        FATAL_ERROR("Failed assert mesh != NULL");
    if (!material)
        FATAL_ERROR("Failed assert material != NULL");
    GeomObject* object = new GeomObject();
    object->mesh_id = index_of_or_append(meshes, mesh);
    object->mesh_ptr = mesh;
    object->material_id = index_of_or_append(materials, material);
    fill_indexes(object->ivertices, mesh->vertices, mesh->vertices_stride);
    fill_indexes(object->inormals, mesh->normals, mesh->normals_stride);
    fill_indexes(object->itangents, mesh->tangents, mesh->tangents_stride);
    fill_indexes(object->itexcoords, mesh->texcoords, mesh->texcoords_stride);
    object->using_texture = material->diffuse_texture && mesh->texcoords_stride != 0;
    objects.push_back(object);
    return object;
}

Node* Objects3D::add_object(Mesh* mesh, Material* material, Node* parent)
{
    GeomObject* object = add_geom_object(mesh, material);
    if (!object)
        FATAL_ERROR("temp_object is NULL");
    return add_node(object, parent);
}

void Objects3D::accumulate_matrices(int32_t node_index, std::vector<mat4>& matrices)
{
    if (nodes.empty())
        FATAL_ERROR("Failed assert nodes.size() > 0");
    if (node_index < 0 || static_cast<size_t>(node_index) >= nodes.size())
        FATAL_ERROR("Failed assert node_index < nodes.size()");
    if (matrices.empty())
        matrices.assign(1, mat4());
    // The lists from the node up to the root.
    std::vector<const std::vector<mat4>*> chain;
    for (int32_t i = node_index; i >= 0; i = nodes[i]->parent_index) {
        const Node* tempnode = nodes[i];
        if (tempnode->modelViewMatrices.empty())
            FATAL_ERROR("Failed assert tempnode->modelViewMatrices.size() > 0");
        chain.push_back(&tempnode->modelViewMatrices);
    }
    std::vector<mat4>& m = matrices;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        const std::vector<mat4>& l = **it;
        if (l.size() >= 2 && m.size() >= 2 && l.size() != m.size())
            FATAL_ERROR("Conflicting amount of instances: " + std::to_string(m.size())
                        + "incoming matrices, this node has " + std::to_string(l.size()));
        if (l.size() >= 2 && m.size() == 1)
            m.resize(l.size(), m[0]);
        for (size_t k = 0; k < m.size(); k++)
            m[k] *= l.size() == 1 ? l[0] : l[k];
    }
}

bool Objects3D::extend_bounding_box(Node* node, const char* name, vec3& min, vec3& max, bool matched, bool& points)
{
    if (!matched && name && node->name == name)
        matched = true;
    if (matched) {
        std::vector<mat4> world;
        accumulate_matrices(node->this_index, world);
        for (int32_t index : node->objects) {
            const GeomObject* obj = objects.at(static_cast<size_t>(index));
            if (!obj->mesh_ptr)
                FATAL_ERROR("obj->mesh_ptr is NULL");
            const std::vector<float>& source =
                obj->override_vertices.empty() ? obj->mesh_ptr->vertices : obj->override_vertices;
            const size_t stride = static_cast<size_t>(std::max(obj->mesh_ptr->vertices_stride, 0));
            const size_t components = std::min<size_t>(stride, 3);
            if (stride == 0)
                continue;
            for (int32_t i : obj->ivertices) {
                const size_t first = static_cast<size_t>(i) * stride;
                if (i < 0 || first + components > source.size())
                    FATAL_ERROR("Vertex index " + std::to_string(i) + " of object " + obj->name
                                + " is outside its " + std::to_string(source.size() / stride) + " positions");
                for (const mat4& w : world) {
                    vec3 p(0, 0, 0);
                    for (size_t c = 0; c < components; c++)
                        p[static_cast<int>(c)] = source[first + c];
                    w.transformPoint(p);
                    for (int c = 0; c < 3; c++) {
                        if (p[c] < min[c])
                            min[c] = p[c];
                        if (p[c] > max[c])
                            max[c] = p[c];
                    }
                    points = true;
                }
            }
        }
    }
    bool found = matched;
    for (int32_t child : node->children)
        found = extend_bounding_box(nodes[child], name, min, max, matched, points) || found;
    return found;
}

bool Objects3D::get_bounding_box(const char* name, vec3& min, vec3& max, bool include_child_scenes)
{
    const bool match_all = !name || name[0] == '\0';
    const vec3 start_min(999999, 999999, 999999);
    const vec3 start_max(-999999, -999999, -999999);
    min = start_min;
    max = start_max;
    bool found = false;
    bool points = false;
    if (master_node)
        found = extend_bounding_box(master_node, name, min, max, match_all, points);
    if (include_child_scenes)
        for (Objects3D* scene : child_scenes) {
            vec3 child_min = start_min, child_max = start_max;
            if (scene->master_node)
                found = scene->extend_bounding_box(scene->master_node, name, child_min, child_max, match_all, points)
                        || found;
            for (int c = 0; c < 3; c++) {
                min[c] = std::min(min[c], child_min[c]);
                max[c] = std::max(max[c], child_max[c]);
            }
        }
    if (!found && !match_all)
        FATAL_ERROR(std::string("Couldn't find node ") + name);
    if (!points) {
        min.set(0, 0, 0);
        max.set(0, 0, 0);
        return false;
    }
    return true;
}

float Objects3D::get_bounding_box_diagonal(const char* name)
{
    vec3 min, max;
    get_bounding_box(name, min, max, true);
    return (max - min).length();
}

void Objects3D::set_shadows(bool on)
{
    shadows_enabled = on;
    for (Light* light : lights)
        light->set_shadows(on);
}

void Objects3D::set_cur_cam(unsigned index)
{
    cur_cam = index < cameras.size() ? static_cast<int32_t>(index) : -1;
}

void Objects3D::set_size(int32_t width_, int32_t height_, float aspect_)
{
    width = width_;
    height = height_;
    aspect = aspect_;
    for (Objects3D* scene : child_scenes)
        scene->set_size(width_, height_, aspect_);
    for (Light* light : lights)
        light->set_size(width_, height_);
    if (!glow_fbo && !dof_fbo)
        return;
    // Resizing binds framebuffer 0 when it is done; the caller's target stays.
    FramebufferBindingKeeper keep;
    if (glow_fbo)
        glow_fbo->resize(width_, height_);
    if (dof_fbo)
        dof_fbo->resize(width_, height_);
}

void Objects3D::set_draw_lights(bool on, float size)
{
    draw_lights = on;
    light_marker_size = size;
}
