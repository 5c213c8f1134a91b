// Scene base: what a scene gets before the scene manager sets anything, the
// fatal errors of scenes that lack init or draw, and deletion through the
// base pointer.
#include <gtest/gtest.h>

#include <memory>

#include "scenes/scene.h"
#include "system/fatal_error.h"

namespace {

class BareScene : public Scene {
public:
    const std::uint8_t* keyTable() const { return keys; }
    Music* musicObject() const { return music; }
    FBO* framebuffer() const { return fbo; }
    float aspectRatio() const { return aspect; }
};

class OwningScene : public Scene {
public:
    explicit OwningScene(bool* destroyed) : destroyed(destroyed) {}
    ~OwningScene() override { *destroyed = true; }
    void init() override {}
    void draw() override {}

private:
    bool* destroyed;
};

TEST(SceneTest, DefaultsBeforeTheSceneManagerSetsAnything)
{
    BareScene scene;
    EXPECT_EQ(scene.keyTable(), nullptr);
    EXPECT_EQ(scene.musicObject(), nullptr);
    EXPECT_EQ(scene.framebuffer(), nullptr);
    EXPECT_FLOAT_EQ(scene.aspectRatio(), 1.7777778f);
    const std::uint8_t keys[256] = {};
    scene.setKeyTable(keys);
    scene.setAspect(1.25f);
    EXPECT_EQ(scene.keyTable(), keys);
    EXPECT_FLOAT_EQ(scene.aspectRatio(), 1.25f);
}

TEST(SceneTest, MissingInitOrDrawIsFatal)
{
    set_fatal_error_throws(true);
    BareScene scene;
    struct Case {
        void (Scene::*call)();
        const char* message;
    };
    for (const Case& c : {Case{&Scene::init, "Virtual init"}, Case{&Scene::draw, "Virtual draw"}}) {
        try {
            (scene.*c.call)();
            ADD_FAILURE() << "no fatal error for " << c.message;
        } catch (const FatalErrorException& e) {
            EXPECT_STREQ(e.what(), c.message);
            EXPECT_EQ(e.sourcePath, "src\\scenes\\scene.cpp");
        }
    }
    scene.deinit();  // the base's deinit does nothing
    set_fatal_error_throws(false);
}

// Scenes are deleted through their Scene pointer: their own destructor runs.
TEST(SceneTest, DeletingThroughTheBaseRunsTheSceneDestructor)
{
    bool destroyed = false;
    std::unique_ptr<Scene> scene = std::make_unique<OwningScene>(&destroyed);
    scene.reset();
    EXPECT_TRUE(destroyed);
}

}  // namespace
