// The draw passes of Objects3D: glow, normal or shadowed lighting, debug
// markers and boxes, and the glow and depth-of-field composites.
#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "system/fatal_error.h"
#include "util/camera/camera.h"
#include "util/easydraw/easydraw.h"
#include "util/fbo/fbo.h"
#include "util/objects3d/framebuffer_binding_keeper.h"
#include "util/objects3d/objects3d.h"
#include "util/shaderprogram/shaderprogram.h"

namespace {

// The "ProjectionMatrix" of both full-screen composites: the unit square.
const mat4 composite_projection(1);

// The GL state a draw changes and gives back: depth mask, front-face winding,
// culled face and depth function.
class DrawStateKeeper {
public:
    DrawStateKeeper()
    {
        glGetBooleanv(GL_DEPTH_WRITEMASK, &depth_mask);
        glGetIntegerv(GL_FRONT_FACE, &front_face);
        glGetIntegerv(GL_CULL_FACE_MODE, &cull_face);
        glGetIntegerv(GL_DEPTH_FUNC, &depth_func);
    }
    ~DrawStateKeeper()
    {
        glDepthMask(depth_mask);
        glFrontFace(static_cast<GLenum>(front_face));
        glCullFace(static_cast<GLenum>(cull_face));
        glDepthFunc(static_cast<GLenum>(depth_func));
    }
    DrawStateKeeper(const DrawStateKeeper&) = delete;
    DrawStateKeeper& operator=(const DrawStateKeeper&) = delete;

private:
    GLboolean depth_mask = GL_TRUE;
    GLint front_face = GL_CCW;
    GLint cull_face = GL_BACK;
    GLint depth_func = GL_LESS;
};

void check_debug_drawing(const Objects3D& scene)
{
    if (scene.cameras.empty())
        FATAL_ERROR("Failed assert cameras.size( ) > 0");
    if (scene.width < 1)
        FATAL_ERROR("Failed assert width > 0");
    if (scene.height < 1)
        FATAL_ERROR("Failed assert height > 0");
}

}

void Objects3D::check_camera() const
{
    if (cur_cam < 0 || static_cast<size_t>(cur_cam) >= cameras.size())
        FATAL_ERROR("cur_cam " + std::to_string(cur_cam) + " out of range for " + std::to_string(cameras.size())
                    + " cameras!");
}

FBO* Objects3D::make_fbo(int type)
{
    // A new framebuffer binds framebuffer 0 when it is made; the target the
    // caller bound for this draw stays bound.
    FramebufferBindingKeeper keep;
    return new FBO(width < 1 ? 512 : width, height < 1 ? 512 : height, type, 0);
}

void Objects3D::draw_tree(int draw_mode, const std::vector<mat4>& matrices)
{
    draw_node(master_node, matrices, master_node->mirrored, draw_mode);
    // A child scene's indexes name its own nodes, objects and materials; it
    // is seen and lit through this scene's camera source, like this scene.
    for (Objects3D* scene : child_scenes)
        if (scene->master_node)
            scene->draw_subtree(*camera_source, scene->master_node, matrices, scene->master_node->mirrored,
                                draw_mode);
}

void Objects3D::draw()
{
    render_context.reset();
    if (!master_node)
        return;
    check_camera();
    DrawStateKeeper keep;
    // Both framebuffers exist before either is pushed.
    if (depth_of_field_enabled && !dof_fbo)
        dof_fbo = make_fbo(FBO_TYPE_RGBA8_DEPTH_TEXTURE);
    if (glow_enabled && !glow_fbo)
        glow_fbo = make_fbo(FBO_TYPE_RGBA8);
    if (depth_of_field_enabled)
        dof_fbo->push(true);

    Camera* camera = cameras[cur_cam];
    camera->setup(width, height, aspect, 1.0f);

    if (glow_enabled) {
        glow_fbo->push(true);
        render_context.clear_lights();
        draw_tree(DRAW_MODE_GLOW, {camera->get_view_matrix()});
        glow_fbo->pop();
    }
    if (shadows_enabled && !lights.empty())
        draw_shadow_pass();
    else
        draw_normal_pass();
    if (draw_lights)
        draw_light_markers(light_marker_size);
    if (draw_bounding_boxes)
        draw_bounding_boxes_of(nullptr);

    if (glow_enabled && glow_fbo) {
        glPushAttrib(GL_ENABLE_BIT);
        glDisable(GL_DEPTH_TEST);
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE);
        blur_program->bind();
        blur_program->set_mat4("ProjectionMatrix", composite_projection.data(), 1, false);
        glow_fbo->draw();
        glPopAttrib();
    }
    if (depth_of_field_enabled) {
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        dof_fbo->pop();
        const float znear = camera->get_znear();
        const float zfar = camera->get_zfar();
        const float r = zfar - znear;
        dof_program->bind();
        dof_program->set_mat4("ProjectionMatrix", composite_projection.data(), 1, false);
        dof_program->set_int("tex_sharp", 0);
        dof_program->set_int("tex_depth", 1);
        dof_program->set_float("focus_point", camera->get_focus() * r + znear);
        dof_program->set_float("focus_range", camera->get_focus_range() * r);
        dof_program->set_float("focus_falloff", camera->get_focus_falloff() * r);
        dof_program->set_float("zNear", znear);
        dof_program->set_float("zFar", zfar);
        dof_fbo->bind_depth_texture(1);
        dof_fbo->draw();
    }
}

void Objects3D::draw_normal_pass()
{
    if (lights.empty())
        render_context.clear_lights();
    else
        render_context.set_lights(lights);
    draw_tree(DRAW_MODE_NORMAL, {cameras[cur_cam]->get_view_matrix()});
}

void Objects3D::draw_shadow_pass()
{
    const std::vector<mat4> view = {cameras[cur_cam]->get_view_matrix()};
    glDepthFunc(GL_LEQUAL);
    glDisable(GL_CULL_FACE);
    render_context.clear_lights();
    draw_tree(DRAW_MODE_SHADOW_AMBIENT, view);
    for (Light* light : lights) {
        if (light->get_type() == 3)
            continue;
        light->set_shadows(true);
        render_context.set_light(light);
        if (cull_front_in_shadow_pass) {
            glEnable(GL_CULL_FACE);
            glCullFace(GL_FRONT);
        } else {
            glDisable(GL_CULL_FACE);
        }
        for (int face = 0; face < 6; face++) {
            const mat4 f = light->begin_shadow_face(face);
            draw_tree(DRAW_MODE_SHADOW_DEPTHWRITE, {f});
            light->end_shadow_face();
        }
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE);
        light->bind_shadow_map();
        render_context.set_shadow_pass(true);
        if (cull_front_in_shadow_pass) {
            glEnable(GL_CULL_FACE);
            glCullFace(GL_BACK);
        }
        draw_tree(DRAW_MODE_SHADOW_LIGHTING, view);
        light->unbind_shadow_map();
        render_context.set_shadow_pass(false);
        glDisable(GL_BLEND);
    }
}

void Objects3D::draw_node(Node* node, std::vector<mat4> accumulatedMatrices, bool mirrored, int draw_mode)
{
    draw_subtree(*camera_source, node, std::move(accumulatedMatrices), mirrored, draw_mode);
}

void Objects3D::draw_subtree(Objects3D& source, Node* node, std::vector<mat4> accumulatedMatrices, bool mirrored,
                             int draw_mode)
{
    const std::vector<mat4>& a = accumulatedMatrices;
    const std::vector<mat4>& l = node->modelViewMatrices;
    if (l.empty() || a.empty())
        FATAL_ERROR("Failed assert node->modelViewMatrices.size() > 0 && accumulatedMatrices.size() > 0");
    if (l.size() >= 2 && a.size() >= 2 && l.size() != a.size())
        FATAL_ERROR("Conflicting amount of instances in node " + node->name + ", " + std::to_string(a.size())
                    + "incoming matrices, this node has " + std::to_string(l.size()));
    std::vector<mat4> transformed(std::max(a.size(), l.size()));
    for (size_t i = 0; i < transformed.size(); i++)
        transformed[i] = a[a.size() == 1 ? 0 : i] * l[l.size() == 1 ? 0 : i];

    const bool m = mirrored != node->mirrored;
    if (node->visible)
        for (int32_t child : node->children)
            draw_subtree(source, nodes[child], transformed, m, draw_mode);
    glFrontFace(m ? GL_CW : GL_CCW);
    if (!node->draw_objects || !node->visible)
        return;

    Camera* camera = source.cameras[source.cur_cam];
    for (int32_t index : node->objects) {
        GeomObject* object = objects[index];
        Material* material = materials[object->material_id];
        if (draw_mode == DRAW_MODE_SHADOW_DEPTHWRITE && material->is_transparent())
            continue;  // transparent objects cast no shadow
        source.render_context.apply(draw_mode, object->using_texture, transformed, material, camera,
                                    object->has_tangents());
        object->set_instance_matrices(transformed);
        if (material->diffuseColors.size() >= 2) {
            if (material->diffuseColors.size() != transformed.size())
                FATAL_ERROR("Failed assert material->diffuseColors.size() == transformed_matrices.size()");
            object->set_instance_colors(material->diffuseColors);
        } else {
            object->clear_instance_colors();
        }
        object->draw();
    }
}

void Objects3D::draw_light_markers(float size)
{
    check_debug_drawing(*this);
    Camera* camera = camera_source->cameras[camera_source->cur_cam];
    const mat4 projection = camera->setup(width, height, aspect, 1.0f);
    for (Light* light : lights) {
        if (light->get_type() == 3)
            continue;
        mat4 modelview = camera->get_view_matrix();
        modelview.translate(light->get_position());
        color_program->bind();
        color_program->set_mat4("ProjectionMatrix", projection.data(), 1, false);
        color_program->set_mat4("ModelViewMatrix", modelview.data(), 1, false);
        color_program->set_vec4("Color", light->get_diffuse(), 1);
        EasyDraw::draw_sphere(size, 2, false);
    }
}

void Objects3D::draw_bounding_boxes_of(const char* name)
{
    vec3 min, max;
    get_bounding_box(name, min, max, true);
    check_debug_drawing(*this);
    Camera* camera = camera_source->cameras[camera_source->cur_cam];
    const mat4 projection = camera->setup(width, height, aspect, 1.0f);
    glDisable(GL_TEXTURE_CUBE_MAP);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDisable(GL_CULL_FACE);
    vec3 centre;
    centre.lerp(min, max, 0.5f);
    const vec3 size(std::abs(max.x - min.x), std::abs(max.y - min.y), std::abs(max.z - min.z));
    mat4 modelview = camera->get_view_matrix();
    modelview.translate(centre);
    color_program->bind();
    color_program->set_float4("Color", 0.0f, 0.5f, 1.0f, 0.3f);
    color_program->set_mat4("ProjectionMatrix", projection.data(), 1, false);
    color_program->set_mat4("ModelViewMatrix", modelview.data(), 1, false);
    glDisable(GL_DEPTH_TEST);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    EasyDraw::draw_box(size.x, size.y, size.z, false);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    EasyDraw::draw_box(size.x, size.y, size.z, false);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}
