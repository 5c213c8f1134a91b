// The draw passes in a real context, read back at 64x64 with small shadow
// maps: lighting, shadows, instance colours, depth of field, where the
// picture lands and the GL state a draw leaves.
#include "objects3d_fixture.h"

#include "util/shaderprogram/shaderprogram.h"

namespace {

using objects3dtest::kSize;
using objects3dtest::Objects3DGL;
using testsupport::fatal_message;

Light* small_light(float x, float y, float z)
{
    Light* light = new Light();
    light->set_position(x, y, z);
    light->shadow_map_size = 64;
    return light;
}

TEST_F(Objects3DGL, LitAgainstUnlitSphere)
{
    auto scene = make_scene();
    scene->add_object(make_icosahedron_mesh(1.5f, 2, false), new Material(), nullptr);
    const Picture unlit = render(*scene);
    scene->lights.push_back(small_light(10, 0, 5));
    const Picture lit = render(*scene);

    int left, right, y;
    project(*scene, vec3(-1.2f, 0, 0.8f), left, y);
    project(*scene, vec3(1.2f, 0, 0.8f), right, y);
    // Without lights the diffuse colour shows in full.
    EXPECT_GE(unlit.luma(left, y), 3 * 250);
    EXPECT_GE(unlit.luma(right, y), 3 * 250);
    // The light on the right: bright there, ambient only on the far side.
    EXPECT_GT(lit.luma(right, y), 3 * 120);
    EXPECT_LT(lit.luma(left, y), 3 * 20);
    EXPECT_EQ(lit.luma(1, 1), 0) << "background";
}

TEST_F(Objects3DGL, ACubeShadowsTheFloor)
{
    auto scene = make_scene(vec3(0, 6, 6));
    scene->add_object(make_plane_mesh(10, 10, 1), new Material(), nullptr);
    Node* cube = scene->add_object(make_cube_mesh(1, false), new Material(), nullptr);
    cube->modelViewMatrices[0].translate(0, 1, 0);
    Light* light = small_light(-2, 4, 0);
    light->set_attenuation_range(40);
    scene->lights.push_back(light);

    int sx, sy, lx, ly;
    const Picture plain = render(*scene);
    project(*scene, vec3(1.5f, 0, 0), sx, sy);
    project(*scene, vec3(-1.5f, 0, 0), lx, ly);
    ASSERT_GT(plain.luma(lx, ly), 3 * 60);
    EXPECT_GT(plain.luma(sx, sy), plain.luma(lx, ly) / 2) << "lit alike without shadows";

    scene->set_shadows(true);
    const Picture shadowed = render(*scene);
    EXPECT_EQ(light->shadow_map_size, 64);
    EXPECT_GT(shadowed.luma(lx, ly), plain.luma(lx, ly) * 8 / 10) << "outside the shadow";
    EXPECT_LT(shadowed.luma(sx, sy), plain.luma(lx, ly) / 4) << "inside the shadow";

    // Render size changes resize the existing cube faces, within sane sizes.
    scene->set_size(96, 48, 2.0f);
    EXPECT_EQ(light->shadow_map_size, 96);
    scene->set_size(0, 0, 1.0f);
    EXPECT_EQ(light->shadow_map_size, 96) << "a zero size keeps the faces";
}

// The shadow faces are cleared each frame even when the ambient pass ends
// with a transparent object (which leaves depth writes off): once the caster
// is gone, so is its shadow.
TEST_F(Objects3DGL, AShadowGoesWithItsCaster)
{
    auto scene = make_scene(vec3(0, 6, 6));
    scene->add_object(make_plane_mesh(10, 10, 1), new Material(), nullptr);
    Node* cube = scene->add_object(make_cube_mesh(1, false), new Material(), nullptr);
    cube->modelViewMatrices[0].translate(0, 1, 0);
    Material* glass = new Material();
    glass->diffuse.w = 0.5f;
    Node* pane = scene->add_object(make_cube_mesh(0.5f, false), glass, nullptr);  // drawn last
    pane->modelViewMatrices[0].translate(-3, 0.5f, -3);
    pane->visible = false;
    Light* light = small_light(-2, 4, 0);
    light->set_attenuation_range(40);
    scene->lights.push_back(light);
    scene->set_shadows(true);

    const Picture first = render(*scene);  // the camera's projection is set up by the draw
    int sx, sy, lx, ly;
    project(*scene, vec3(1.5f, 0, 0), sx, sy);
    project(*scene, vec3(-1.5f, 0, 0), lx, ly);
    ASSERT_LT(first.luma(sx, sy), first.luma(lx, ly) / 4) << "the cube's shadow";

    cube->visible = false;
    pane->visible = true;
    const Picture second = render(*scene);
    scene->set_shadows(false);
    const Picture plain = render(*scene);
    ASSERT_GT(plain.luma(sx, sy), 3 * 60);
    EXPECT_GT(second.luma(sx, sy), plain.luma(sx, sy) * 9 / 10) << "the shadow of the cube is gone";
}

// A child scene is drawn through its own nodes, objects and materials, seen
// and lit through the drawing scene's camera and render context: the
// parent's white cube on the left, the red cube of a child (no camera or
// light of its own, more nodes than the parent) on the right, in each pass,
// the light half-bright between them. With a wall of the parent's behind
// them and the light raised, each cube, the child's too, casts its shadow on
// the wall below itself.
TEST_F(Objects3DGL, ChildScenesAreDrawnThroughTheirOwnTables)
{
    struct Case {
        const char* what;
        bool light, shadows, wall;
    };
    for (const Case& c : {Case{"unlit", false, false, false}, Case{"lit", true, false, false},
                          Case{"shadowed", true, true, false}, Case{"shadow on the parent's wall", true, true, true}}) {
        SCOPED_TRACE(c.what);
        auto scene = make_scene();
        Node* white = scene->add_object(make_cube_mesh(1, false), new Material(), nullptr);
        white->modelViewMatrices[0].translate(-1.5f, 0, 0);
        if (c.wall) {
            // 6 wide, from y = -2.5 to 0 at z = -2, facing the camera.
            Node* wall = scene->add_object(make_plane_mesh(6, 2.5f, 1), new Material(), nullptr);
            wall->modelViewMatrices[0].translate(0, -1.25f, -2);
            wall->modelViewMatrices[0].rotate(90, 1, 0, 0);
        }
        Objects3D child;
        Material* red = new Material();
        red->diffuse.set(1, 0, 0, 1);
        Mesh* cube = make_cube_mesh(1, false);
        Node* outer = child.add_object(cube, red, nullptr);
        outer->draw_objects = false;
        Node* inner = child.add_object(cube, red, outer);
        inner->draw_objects = false;
        Node* shown = child.add_object(cube, red, inner);
        shown->modelViewMatrices[0].translate(1.5f, 0, 0);
        ASSERT_GT(child.nodes.size(), scene->nodes.size());
        scene->child_scenes.push_back(&child);
        if (c.light) {
            Light* light = c.wall ? small_light(0, 2, 6) : small_light(0, 0, 5);
            light->set_attenuation_range(40);
            light->set_diffuse(0.5f, 0.5f, 0.5f, 1);
            light->set_specular(0, 0, 0, 1);
            scene->lights.push_back(light);
        }
        scene->set_shadows(c.shadows);

        const Picture p = render(*scene);
        int lx, rx, y;
        project(*scene, vec3(-1.5f, 0, 0.5f), lx, y);
        project(*scene, vec3(1.5f, 0, 0.5f), rx, y);
        const std::uint8_t* w = p.at(lx, y);
        const std::uint8_t* r = p.at(rx, y);
        EXPECT_GT(w[0], 100);
        EXPECT_GT(w[1], 100) << "the parent's cube is white";
        EXPECT_GT(r[0], 100) << "the child's cube is drawn";
        EXPECT_LT(r[1] * 2, r[0]) << "in the child's own material";
        EXPECT_EQ(p.luma(1, 1), 0) << "background";
        if (c.light) {
            // Unlit, the diffuse colour shows in full; the half-bright light
            // between the cubes lights both alike.
            EXPECT_LT(w[0], 200) << "the parent's cube is lit";
            EXPECT_NEAR(r[0], w[0], 3) << "the child's cube is lit by the parent's light";
        }
        if (c.wall) {
            // On the wall, seen below each cube where the raised light
            // passes through its front face, and between them.
            int sx, sy, px, py, mx, my;
            project(*scene, vec3(2.2f, -1.2f, -2), sx, sy);
            project(*scene, vec3(-2.2f, -1.2f, -2), px, py);
            project(*scene, vec3(0, -1.2f, -2), mx, my);
            ASSERT_GT(p.luma(mx, my), 3 * 60) << "the wall is lit between the shadows";
            EXPECT_LT(p.luma(px, py), p.luma(mx, my) / 4) << "the parent's cube shadows the wall";
            EXPECT_LT(p.luma(sx, sy), p.luma(mx, my) / 4) << "the child's cube shadows the wall";
        }
    }
}

TEST_F(Objects3DGL, InstancedColours)
{
    auto scene = make_scene();
    scene->set_global_ambient(vec4(0, 0, 0, 1));
    Material* material = new Material();
    material->diffuseColors = {vec4(1, 0, 0, 1), vec4(0, 1, 0, 1), vec4(0, 0, 1, 1)};
    Node* node = scene->add_object(make_plane_mesh(1, 1, 1), material, nullptr);
    node->modelViewMatrices.clear();
    for (float x : {-1.5f, 0.0f, 1.5f}) {
        mat4 m;
        m.translate(x, 0, 0);
        m.rotate(90, 1, 0, 0);  // face the camera
        node->modelViewMatrices.push_back(m);
    }
    const Picture p = render(*scene);
    const std::uint32_t want[3] = {0xff0000, 0x00ff00, 0x0000ff};
    for (int i = 0; i < 3; i++) {
        int x, y;
        project(*scene, vec3(-1.5f + 1.5f * i, 0, 0), x, y);
        const std::uint8_t* px = p.at(x, y);
        EXPECT_EQ((px[0] << 16) | (px[1] << 8) | px[2], want[i]) << "instance " << i;
    }

    // Two matrices for three colours stop the draw.
    node->modelViewMatrices.pop_back();
    EXPECT_EQ(fatal_message([&] { render(*scene); }),
              "Failed assert material->diffuseColors.size() == transformed_matrices.size()");
    // Without per-instance colours the same object draws two instances in the
    // uniform colour: the colour slot of the earlier draw is not left behind.
    material->diffuseColors.clear();
    material->diffuse.set(1, 1, 0, 1);
    const Picture q = render(*scene);
    int x, y;
    project(*scene, vec3(0, 0, 0), x, y);
    EXPECT_EQ(q.at(x, y)[0], 255);
    EXPECT_EQ(q.at(x, y)[2], 0);
}

TEST_F(Objects3DGL, DepthOfFieldLandsInTheBoundTargetFromTheFirstFrame)
{
    auto scene = make_scene();
    scene->cameras[0]->set_near_far(1, 1000);
    scene->add_object(make_icosahedron_mesh(1.5f, 1, false), new Material(), nullptr);
    scene->set_depth_of_field(true);
    scene->glow_enabled = true;

    const Picture first = render(*scene);
    int x, y;
    project(*scene, vec3(0, 0, 0), x, y);
    EXPECT_GE(first.luma(x, y), 3 * 200) << "the first frame reaches the target";
    EXPECT_EQ(gltest::read_pixel(x, y), 0u) << "and not the window";

    GLuint p = Objects3D::dof_program->get_program();
    struct Uniform {
        const char* name;
        float value;
    };
    for (const Uniform& u : {Uniform{"focus_point", 200.8f}, Uniform{"focus_range", 99.9f},
                             Uniform{"focus_falloff", 299.7f}, Uniform{"zNear", 1.0f}, Uniform{"zFar", 1000.0f}}) {
        float v = 0;
        glGetUniformfv(p, glGetUniformLocation(p, u.name), &v);
        EXPECT_NEAR(v, u.value, 1e-3f) << u.name;
    }
    ASSERT_NE(scene->dof_fbo, nullptr);
    EXPECT_EQ(scene->dof_fbo->get_width(), kSize);

    // Resizing keeps whatever target is bound.
    FBO target(8, 8, FBO_TYPE_RGBA8, 0);
    target.push(false);
    scene->set_size(32, 32, 1.0f);
    GLint bound = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), target.get_id());
    target.pop();
    EXPECT_EQ(scene->dof_fbo->get_width(), 32);
}

TEST_F(Objects3DGL, DrawGivesBackTheStateItChanges)
{
    auto scene = make_scene(vec3(0, 6, 6));
    scene->add_object(make_plane_mesh(10, 10, 1), new Material(), nullptr);
    Material* glass = new Material();
    glass->diffuse.w = 0.5f;
    Node* mirrored = scene->add_object(make_cube_mesh(1, false), glass, nullptr);
    mirrored->mirrored = true;
    scene->lights.push_back(small_light(0, 4, 0));
    scene->cull_front_in_shadow_pass = true;
    scene->set_shadows(true);
    scene->set_draw_lights(true, 0.2f);
    scene->draw_bounding_boxes = true;

    glDepthMask(GL_TRUE);
    glFrontFace(GL_CCW);
    glCullFace(GL_BACK);
    glDepthFunc(GL_LESS);
    render(*scene);
    GLboolean mask = GL_FALSE;
    GLint front = 0, cull = 0, func = 0;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
    glGetIntegerv(GL_FRONT_FACE, &front);
    glGetIntegerv(GL_CULL_FACE_MODE, &cull);
    glGetIntegerv(GL_DEPTH_FUNC, &func);
    EXPECT_EQ(mask, GL_TRUE);
    EXPECT_EQ(front, GL_CCW);
    EXPECT_EQ(cull, GL_BACK);
    EXPECT_EQ(func, GL_LESS);
}

TEST_F(Objects3DGL, CameraChecks)
{
    Objects3D empty;
    empty.set_cur_cam(3);
    empty.draw();  // nothing added: nothing drawn, no error

    auto scene = make_scene();
    scene->add_object(make_cube_mesh(1, false), new Material(), nullptr);
    scene->set_depth_of_field(true);
    scene->set_cur_cam(1);
    EXPECT_EQ(fatal_message([&] { render(*scene); }), "cur_cam -1 out of range for 1 cameras!");
    // The check runs before the depth-of-field target is pushed, so the next
    // draw can push it.
    scene->set_cur_cam(0);
    EXPECT_EQ(fatal_message([&] { render(*scene); }), "(no fatal error)");
}

TEST_F(Objects3DGL, GeometryObjectBuffers)
{
    Objects3D scene;
    Material m;
    GeomObject* o = scene.add_geom_object(make_cube_mesh(1, false), &m);
    o->enabled = false;
    o->set_instance_matrices({mat4()});
    o->draw();
    EXPECT_FALSE(o->buffers_created);
    o->enabled = true;
    o->draw();
    EXPECT_TRUE(o->buffers_created);
    EXPECT_EQ(o->expanded_vertices.size(), 108u);
    EXPECT_EQ(o->expanded_normals.size(), 108u);
    EXPECT_EQ(o->expanded_texcoords.size(), 72u);
    EXPECT_TRUE(o->expanded_tangents.empty());
    EXPECT_EQ(o->indices.size(), 36u);
    EXPECT_EQ(o->indices[35], 35u);
    EXPECT_FALSE(o->vertex_data_dirty);

    EXPECT_EQ(fatal_message([&] { o->set_instance_colors({vec4(), vec4()}); }),
              "Failed assert diffuseColors.size() == num_instances");

    // Short lists stop the upload instead of reading past them.
    o->override_normals.assign(9, 0.0f);
    o->vertex_data_dirty = true;
    EXPECT_EQ(fatal_message([&] { o->draw(); }),
              "GeomObject dummy: inormals index 3 is outside the 3 entries of its source");
    o->override_normals.clear();
    o->inormals.pop_back();
    EXPECT_EQ(fatal_message([&] { o->draw(); }), "GeomObject dummy: inormals has 35 entries for 36 vertices");
}

}  // namespace

namespace {

// Node flags, read from the picture: a parent plane on the left and its
// child's plane on the right, seen from above with back faces culled, so a
// mirrored (clockwise) winding hides a plane.
TEST_F(Objects3DGL, NodeFlagsAndMirroring)
{
    struct Case {
        const char* what;
        bool parentMirrored, childMirrored, parentVisible, parentDrawsObjects;
        bool parentShown, childShown;
    };
    const Case cases[] = {
        {"plain", false, false, true, true, true, true},
        {"mirrored parent", true, false, true, true, false, false},
        {"mirrored twice", true, true, true, true, false, true},
        {"invisible parent", false, false, false, true, false, false},
        {"parent objects off", false, false, true, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto scene = make_scene(vec3(0, 6, 0), vec3(0, 0, -1));
        Mesh* plane = make_plane_mesh(1, 1, 1);
        Node* parent = scene->add_object(plane, new Material(), nullptr);
        parent->modelViewMatrices[0].translate(-1.5f, 0, 0);
        Node* child = scene->add_object(plane, new Material(), parent);
        child->modelViewMatrices[0].translate(3, 0, 0);
        parent->mirrored = c.parentMirrored;
        child->mirrored = c.childMirrored;
        parent->visible = c.parentVisible;
        parent->draw_objects = c.parentDrawsObjects;
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        const Picture p = render(*scene);
        glDisable(GL_CULL_FACE);
        int lx, rx, y;
        project(*scene, vec3(-1.5f, 0, 0), lx, y);
        project(*scene, vec3(1.5f, 0, 0), rx, y);
        EXPECT_EQ(p.luma(lx, y) > 600, c.parentShown);
        EXPECT_EQ(p.luma(rx, y) > 600, c.childShown);
    }
}

}  // namespace
