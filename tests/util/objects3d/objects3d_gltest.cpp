// Building the scene graph: nodes, objects, accumulated instance matrices,
// bounding boxes and setters (the scene graph needs a context, since it
// builds its shared programs when the first one is made).
#include "objects3d_fixture.h"

#include <cmath>

namespace {

using objects3dtest::Objects3DGL;
using testsupport::fatal_message;

mat4 translation(float x, float y, float z)
{
    mat4 m;
    m.translate(x, y, z);
    return m;
}

vec3 origin_of(const mat4& m) { return vec3(m.get(12), m.get(13), m.get(14)); }

TEST_F(Objects3DGL, AddingObjectsAndNodes)
{
    Objects3D scene;
    EXPECT_EQ(scene.camera_source, &scene);
    EXPECT_EQ(scene.master_node, nullptr);
    Mesh* cube = make_cube_mesh(1, false);
    Material* white = new Material(5);
    Material* red = new Material(0);
    Node* a = scene.add_object(cube, white, nullptr);
    Node* b = scene.add_object(cube, red, nullptr);
    ASSERT_NE(scene.master_node, nullptr);
    EXPECT_EQ(scene.master_node->name, "Master node");
    EXPECT_EQ(scene.master_node->this_index, 0);
    EXPECT_EQ(scene.master_node->parent_index, -1);
    EXPECT_EQ(a->this_index, 1);
    EXPECT_EQ(b->this_index, 2);
    EXPECT_EQ(a->parent_index, 0);
    EXPECT_EQ(scene.master_node->children, (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(scene.meshes.size(), 1u);
    EXPECT_EQ(scene.materials.size(), 2u);
    EXPECT_EQ(scene.objects[1]->mesh_id, 0);
    EXPECT_EQ(scene.objects[1]->material_id, 1);

    // One object at two nodes keeps one index.
    GeomObject* shared = scene.objects[0];
    Node* c = scene.add_node(shared, a);
    EXPECT_EQ(scene.objects.size(), 2u);
    EXPECT_EQ(c->objects, (std::vector<int32_t>{0}));
    EXPECT_EQ(c->parent_index, a->this_index);
    EXPECT_EQ(a->children, (std::vector<int32_t>{c->this_index}));
    for (size_t i = 0; i < scene.nodes.size(); i++)
        EXPECT_EQ(scene.nodes[i]->this_index, static_cast<int32_t>(i));
}

TEST_F(Objects3DGL, ObjectIndexListsAndTextureUse)
{
    Objects3D scene;
    Material textured;
    textured.diffuse_texture = reinterpret_cast<Texture*>(0x10);
    Mesh* cube = make_cube_mesh(1, false);
    GeomObject* o = scene.add_geom_object(cube, &textured);
    EXPECT_EQ(o->ivertices.size(), 36u);
    EXPECT_EQ(o->inormals.size(), 36u);
    EXPECT_TRUE(o->itangents.empty());
    EXPECT_EQ(o->itexcoords[35], 35);
    EXPECT_TRUE(o->using_texture);
    Mesh bare;
    bare.vertices = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    bare.vertices_stride = 3;
    EXPECT_FALSE(scene.add_geom_object(&bare, &textured)->using_texture) << "no texture coordinates";
}

TEST_F(Objects3DGL, ANodeOfAnotherGraphIsRefused)
{
    Objects3D one, other;
    Mesh* cube = make_cube_mesh(1, false);
    Material m;
    Node* foreign = other.add_object(cube, &m, nullptr);
    other.add_object(cube, &m, foreign);
    one.add_object(cube, &m, nullptr);
    EXPECT_EQ(fatal_message([&] { one.add_object(cube, &m, foreign); }),
              "Parent node \"\" does not belong to this scene graph");
    EXPECT_EQ(one.nodes.size(), 2u) << "the tree is unchanged";
    EXPECT_EQ(one.master_node->children.size(), 1u);
}

TEST_F(Objects3DGL, AccumulatedMatrices)
{
    // A turned parent (degrees about x) turns its child's offsets: the
    // products' order shows, which translations alone would not.
    struct Case {
        const char* what;
        int parentInstances, childInstances;
        float parentTurn;
        int results;          // 0: fatal
        const char* message;
    };
    const Case cases[] = {
        {"1 under 1", 1, 1, 0, 1, ""},
        {"3 under 1", 1, 3, 0, 3, ""},
        {"1 under 4", 4, 1, 0, 4, ""},
        {"3 under 3", 3, 3, 0, 3, ""},
        {"3 under 2", 2, 3, 0, 0, "Conflicting amount of instances: 2incoming matrices, this node has 3"},
        {"1 under 1, turned", 1, 1, 90, 1, ""},
        {"3 under 3, turned", 3, 3, 30, 3, ""},
    };
    Mesh* cube = make_cube_mesh(1, false);
    Material m;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Objects3D scene;
        Node* parent = scene.add_object(cube, &m, nullptr);
        Node* child = scene.add_object(cube, &m, parent);
        scene.master_node->modelViewMatrices[0] = translation(100, 0, 0);
        parent->modelViewMatrices.clear();
        for (int i = 0; i < c.parentInstances; i++) {
            parent->modelViewMatrices.push_back(translation(0, 10.0f * (i + 1), 0));
            parent->modelViewMatrices.back().rotate(c.parentTurn, 1, 0, 0);
        }
        child->modelViewMatrices.clear();
        for (int i = 0; i < c.childInstances; i++)
            child->modelViewMatrices.push_back(translation(0, 0, static_cast<float>(i + 1)));
        std::vector<mat4> world;
        if (c.results == 0) {
            EXPECT_EQ(fatal_message([&] { scene.accumulate_matrices(child->this_index, world); }), c.message);
            continue;
        }
        scene.accumulate_matrices(child->this_index, world);
        ASSERT_EQ(world.size(), static_cast<size_t>(c.results));
        for (int k = 0; k < c.results; k++) {
            const int p = c.parentInstances == 1 ? 0 : k;
            const int q = c.childInstances == 1 ? 0 : k;
            // The child's origin carried up the tree one matrix at a time.
            vec3 want(0, 0, 0);
            child->modelViewMatrices[q].transformPoint(want);
            parent->modelViewMatrices[p].transformPoint(want);
            scene.master_node->modelViewMatrices[0].transformPoint(want);
            const vec3 o = origin_of(world[k]);
            EXPECT_NEAR(o.x, want.x, 1e-4f);
            EXPECT_NEAR(o.y, want.y, 1e-4f);
            EXPECT_NEAR(o.z, want.z, 1e-4f);
            if (c.parentTurn == 0.0f) {
                EXPECT_FLOAT_EQ(o.x, 100.0f);
                EXPECT_FLOAT_EQ(o.y, 10.0f * (p + 1));
                EXPECT_FLOAT_EQ(o.z, static_cast<float>(q + 1));
            }
        }
    }
    Objects3D empty;
    std::vector<mat4> world;
    EXPECT_EQ(fatal_message([&] { empty.accumulate_matrices(0, world); }), "Failed assert nodes.size() > 0");
}

TEST_F(Objects3DGL, BoundingBoxes)
{
    Objects3D scene;
    vec3 min, max;
    EXPECT_FALSE(scene.get_bounding_box(nullptr, min, max, true)) << "no node yet: no points";
    EXPECT_EQ(fatal_message([&] { scene.get_bounding_box("x", min, max, true); }), "Couldn't find node x");
    EXPECT_FLOAT_EQ(scene.get_bounding_box_diagonal(nullptr), 0.0f);

    Material m;
    Node* a = scene.add_object(make_cube_mesh(2, false), &m, nullptr);
    a->name = "a";
    a->modelViewMatrices = {translation(10, 0, 0), translation(-10, 0, 0)};
    Node* b = scene.add_object(make_cube_mesh(1, false), &m, a);
    b->name = "b";
    b->modelViewMatrices[0] = translation(0, 5, 0);
    Node* c = scene.add_object(make_cube_mesh(1, false), &m, nullptr);
    c->name = "c";

    ASSERT_TRUE(scene.get_bounding_box(nullptr, min, max, true));
    EXPECT_FLOAT_EQ(min.x, -11.0f);
    EXPECT_FLOAT_EQ(max.x, 11.0f);
    EXPECT_FLOAT_EQ(max.y, 5.5f);
    ASSERT_TRUE(scene.get_bounding_box("", min, max, false));
    EXPECT_FLOAT_EQ(min.y, -1.0f);
    ASSERT_TRUE(scene.get_bounding_box("b", min, max, true));
    EXPECT_FLOAT_EQ(min.x, -10.5f);
    EXPECT_FLOAT_EQ(max.x, 10.5f);
    EXPECT_FLOAT_EQ(min.y, 4.5f);
    ASSERT_TRUE(scene.get_bounding_box("c", min, max, true));
    EXPECT_FLOAT_EQ(max.x, 0.5f);
    EXPECT_NEAR(scene.get_bounding_box_diagonal("c"), std::sqrt(3.0f), 1e-6f);
    EXPECT_EQ(fatal_message([&] { scene.get_bounding_box("d", min, max, true); }), "Couldn't find node d");

    // A node turned a quarter about z carries its child's offset up y over
    // to -x: the child's box lies left of the origin, not above it.
    Node* e = scene.add_object(make_cube_mesh(1, false), &m, nullptr);
    e->name = "e";
    e->modelViewMatrices[0] = translation(0, 0, 20);
    e->modelViewMatrices[0].rotate(90, 0, 0, 1);
    Node* f = scene.add_object(make_cube_mesh(1, false), &m, e);
    f->name = "f";
    f->modelViewMatrices[0] = translation(0, 5, 0);
    ASSERT_TRUE(scene.get_bounding_box("f", min, max, true));
    EXPECT_NEAR(min.x, -5.5f, 1e-4f);
    EXPECT_NEAR(max.x, -4.5f, 1e-4f);
    EXPECT_NEAR(min.y, -0.5f, 1e-4f);
    EXPECT_NEAR(max.y, 0.5f, 1e-4f);
    EXPECT_NEAR(min.z, 19.5f, 1e-4f);

    // A node whose subtree holds no vertex is found but has no points.
    Mesh* none = new Mesh();
    Node* d = scene.add_object(none, &m, nullptr);
    d->name = "d";
    EXPECT_FALSE(scene.get_bounding_box("d", min, max, true));
    EXPECT_FLOAT_EQ((max - min).length(), 0.0f);
}

TEST_F(Objects3DGL, BoundingBoxesFollowTheVertexStride)
{
    Objects3D scene;
    Material m;
    Mesh* wide = new Mesh();
    // Four floats per position: the fourth is not a coordinate.
    wide->vertices = {1, 2, 3, 99, -1, -2, -3, 99, 0, 0, 0, 99};
    wide->vertices_stride = 4;
    scene.add_object(wide, &m, nullptr);
    vec3 min, max;
    ASSERT_TRUE(scene.get_bounding_box(nullptr, min, max, true));
    EXPECT_FLOAT_EQ(min.x, -1.0f);
    EXPECT_FLOAT_EQ(max.x, 1.0f);
    EXPECT_FLOAT_EQ(min.z, -3.0f);
    EXPECT_FLOAT_EQ(max.z, 3.0f);

    // A short override list stops with a message instead of reading past it.
    scene.objects[0]->override_vertices = {0, 0, 0, 0};
    EXPECT_EQ(fatal_message([&] { scene.get_bounding_box(nullptr, min, max, true); }),
              "Vertex index 1 of object dummy is outside its 1 positions");
}

TEST_F(Objects3DGL, ChildScenesAreMeasuredTogether)
{
    Objects3D scene, child;
    Material m;
    scene.add_object(make_cube_mesh(2, false), &m, nullptr);
    Node* far = child.add_object(make_cube_mesh(2, false), &m, nullptr);
    far->modelViewMatrices[0] = translation(0, 0, -20);
    scene.child_scenes.push_back(&child);
    vec3 min, max;
    ASSERT_TRUE(scene.get_bounding_box(nullptr, min, max, true));
    EXPECT_FLOAT_EQ(min.z, -21.0f);
    ASSERT_TRUE(scene.get_bounding_box(nullptr, min, max, false));
    EXPECT_FLOAT_EQ(min.z, -1.0f);
}

TEST_F(Objects3DGL, Setters)
{
    Objects3D scene;
    Camera camera;
    scene.cameras.push_back(&camera);
    scene.set_cur_cam(0);
    EXPECT_EQ(scene.cur_cam, 0);
    scene.set_cur_cam(1);
    EXPECT_EQ(scene.cur_cam, -1);
    scene.set_size(320, 200, 1.6f);
    EXPECT_EQ(scene.width, 320);
    EXPECT_EQ(scene.aspect, 1.6f);
    EXPECT_EQ(scene.dof_fbo, nullptr) << "no framebuffer before the first draw";
    scene.set_draw_lights(true, 0.25f);
    EXPECT_TRUE(scene.draw_lights);
    EXPECT_FLOAT_EQ(scene.light_marker_size, 0.25f);
    scene.set_global_ambient(vec4(0.5f, 0.4f, 0.3f, 1));
    EXPECT_FLOAT_EQ(scene.render_context.global_ambient.y, 0.4f);
}

}  // namespace
