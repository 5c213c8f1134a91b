#pragma once
// One 3D scene: its cameras, lights, materials, meshes, geometry objects and
// a tree of nodes that places the objects in the world, each node with one
// or more instance matrices. Scenes build it at initialisation, edit node
// matrices every frame and call draw(). It keeps plain pointers and deletes
// nothing it points to; its lists only grow, so indexes stay valid.
#include <cstdint>
#include <vector>

#include "util/math/mat4.h"
#include "util/math/vec3.h"
#include "util/math/vec4.h"
#include "util/objects3d/geomobject.h"
#include "util/objects3d/light.h"
#include "util/objects3d/material.h"
#include "util/objects3d/mesh.h"
#include "util/objects3d/node.h"
#include "util/objects3d/rendercontext.h"

class Camera;
class FBO;
class ShaderProgram;

class Objects3D {
public:
    Objects3D();
    Objects3D(const Objects3D&) = delete;
    Objects3D& operator=(const Objects3D&) = delete;

    // Building (objects3d.cpp).
    Node* add_node(GeomObject* object, Node* parent);
    GeomObject* add_geom_object(Mesh* mesh, Material* material);
    Node* add_object(Mesh* mesh, Material* material, Node* parent);
    void accumulate_matrices(int32_t node_index, std::vector<mat4>& matrices);

    // World-space box of the named node's subtree (the whole scene for a
    // null or empty name). A name no node has is fatal; a subtree without
    // any vertex gives false and a zero box.
    bool get_bounding_box(const char* name, vec3& min, vec3& max, bool include_child_scenes);
    float get_bounding_box_diagonal(const char* name);
    bool extend_bounding_box(Node* node, const char* name, vec3& min, vec3& max, bool matched, bool& points);

    void set_shadows(bool on);
    void set_cur_cam(unsigned index);
    void set_size(int32_t width, int32_t height, float aspect);
    void set_depth_of_field(bool on) { depth_of_field_enabled = on; }
    void set_global_ambient(vec4 colour) { render_context.set_global_ambient(colour); }
    void set_draw_lights(bool on, float size);

    // Drawing (objects3d_draw.cpp).
    void draw();
    void draw_normal_pass();
    void draw_shadow_pass();
    void draw_node(Node* node, std::vector<mat4> accumulatedMatrices, bool mirrored, int draw_mode);
    void draw_light_markers(float size);
    // The bounding box of that subtree (null: the whole scene), drawn while
    // the draw_bounding_boxes flag is set.
    void draw_bounding_boxes_of(const char* name);

    std::vector<Camera*> cameras;
    std::vector<Light*> lights;
    std::vector<Material*> materials;
    std::vector<Mesh*> meshes;
    std::vector<GeomObject*> objects;
    std::vector<Node*> nodes;
    Node* master_node = nullptr;
    int32_t cur_cam = 0;
    int32_t width = -1;
    int32_t height = -1;
    float aspect = -1.0f;
    bool shadows_enabled = false;
    bool glow_enabled = false;
    bool depth_of_field_enabled = false;
    bool cull_front_in_shadow_pass = false;
    bool draw_lights = false;
    float light_marker_size = 1.0f;
    bool draw_bounding_boxes = false;
    Objects3D* camera_source;
    std::vector<Objects3D*> child_scenes;
    FBO* glow_fbo = nullptr;
    FBO* dof_fbo = nullptr;
    RenderContext render_context;

    // The programs every scene graph shares, made by the first construction.
    static ShaderProgram* blur_program;
    static ShaderProgram* color_program;
    static ShaderProgram* dof_program;

private:
    void draw_tree(int draw_mode, const std::vector<mat4>& matrices);
    // draw_node through this scene's own tables, with the camera and the
    // render context of `source`.
    void draw_subtree(Objects3D& source, Node* node, std::vector<mat4> accumulatedMatrices, bool mirrored,
                      int draw_mode);
    void check_camera() const;
    FBO* make_fbo(int type);
    std::vector<Camera*> shared_cameras() const;
};
