// The effect bases: the post-processing base's parameter names, defaults,
// bounds, and the fatal paths of a bad index and of a filter without its own
// apply; the scene-effect base's render and its destructor.
#include <gtest/gtest.h>

#include "effects/effect.h"
#include "system/fatal_error.h"

namespace {

class TestFilter : public Effects::PostProc {
public:
    TestFilter()
    {
        effect_name = "Fade";
        addParam("Value", 0.25f);
        addParam("Other", -2.0f);
    }
};

class PostProcTest : public ::testing::Test {
protected:
    void SetUp() override { set_fatal_error_throws(true); }
    void TearDown() override { set_fatal_error_throws(false); }
};

TEST_F(PostProcTest, NamesAndDefaults)
{
    TestFilter f;
    EXPECT_EQ(f.name(), "Fade");
    EXPECT_EQ(f.paramNames(), (std::vector<std::string>{"FadeValue", "FadeOther"}));
    EXPECT_FLOAT_EQ(f.getParam(0), 0.25f);
    EXPECT_FLOAT_EQ(f.getParam(1), -2.0f);
    f.setParam(1, 7.5f);
    EXPECT_FLOAT_EQ(f.getParam(1), 7.5f);
}

TEST_F(PostProcTest, IndexesOutsideTheList)
{
    TestFilter f;
    for (int index : {-1, 2, 1000}) {
        EXPECT_EQ(f.getParam(index), 0.0f) << index;
        try {
            f.setParam(index, 1.0f);
            ADD_FAILURE() << "setParam(" << index << ") did not stop";
        } catch (const FatalErrorException& e) {
            EXPECT_EQ(std::string(e.what()), "WARNING: Param index " + std::to_string(index) +
                                                 " for effect Fade is out of bounds\n");
            EXPECT_EQ(e.sourcePath, "src\\effects\\effect.cpp");
        }
    }
    EXPECT_FLOAT_EQ(f.getParam(0), 0.25f);
}

TEST_F(PostProcTest, BaseApplyIsFatalAndBasePrepareDoesNothing)
{
    TestFilter f;
    f.prepare(10, 10, 0.0f, nullptr);
    EXPECT_THROW(
        {
            try {
                f.apply(10, 10, 0.0f);
            } catch (const FatalErrorException& e) {
                EXPECT_STREQ(e.what(), "Well this shouldn't happen...");
                throw;
            }
        },
        FatalErrorException);
}

class CountingEffect : public Effects::Effect {
public:
    explicit CountingEffect(int* destroyed) : destroyed(destroyed) {}
    ~CountingEffect() override { ++*destroyed; }
    int* destroyed;
};

TEST_F(PostProcTest, SceneEffectBaseRenderIsFatalAndDeletesThroughTheBase)
{
    Effects::Effect base;
    try {
        base.render(1.0f);
        ADD_FAILURE() << "render of the base did not stop";
    } catch (const FatalErrorException& e) {
        EXPECT_STREQ(e.what(), "Virtual render called?");
        EXPECT_EQ(e.sourcePath, "src\\effects\\effect.cpp");
    }
    int destroyed = 0;
    Effects::Effect* effect = new CountingEffect(&destroyed);
    delete effect;
    EXPECT_EQ(destroyed, 1);
}

}  // namespace
