#pragma once
// Effects::Effect: an effect a scene draws inside its own frame. The scene
// sets it up through the effect's own operations and calls render() from its
// draw, with its target framebuffer bound and its camera matrices loaded.
//
// Effects::PostProc: a full-screen filter of the scene manager's chain. It has
// a name ("Blur"), named float parameters ("BlurScale", ...) whose tracks the
// scene manager reads, and a shader program. apply() binds the program and
// sets its uniforms; the scene manager then draws the source picture through
// it. A filter draws nothing itself and leaves framebuffer, viewport and
// scissor alone.
#include <string>
#include <vector>

class FBO;

namespace Effects {

class Effect {
public:
    Effect() = default;
    // Scenes delete their effects through this base.
    virtual ~Effect() = default;
    Effect(const Effect&) = delete;
    Effect& operator=(const Effect&) = delete;

    // time: the subclass's own (the scenes pass the music beat).
    virtual void render(float time);
};

class PostProc {
public:
    PostProc() = default;
    virtual ~PostProc() = default;
    PostProc(const PostProc&) = delete;
    PostProc& operator=(const PostProc&) = delete;

    // Called right before apply() with the framebuffer holding the picture.
    virtual void prepare(int width, int height, float time, FBO* source);
    // width and height: the picture's size; time: the music's beat.
    virtual void apply(int width, int height, float time);
    // After apply(), into a framebuffer of the picture's size (bound): draws
    // the source picture through the program, every pixel once. The base
    // draws it in one go; a filter may shade some pixels another way that
    // gives the same colours while its shortcuts are on.
    virtual void draw(FBO* source);
    // True when, with the parameters as they are, the pass would give every
    // pixel exactly its source colour; the scene manager then leaves it out
    // while its shortcuts are on. The base: false.
    virtual bool leaves_picture_unchanged() const;
    // On by default; the scene manager switches it with its own.
    void set_skip_unseen_work(bool skip) { skip_unseen_work = skip; }

    std::string name() const { return effect_name; }
    const std::vector<std::string>& paramNames() const { return param_names; }
    // 0.0 for an index outside the list.
    float getParam(int index) const;
    // Fatal for an index outside the list.
    void setParam(int index, float value);

protected:
    // For the filters' constructors: appends effect name + name, with its default.
    void addParam(const std::string& name, float defaultValue);

    std::string effect_name;
    bool skip_unseen_work = true;
    std::vector<float> param_values;
    std::vector<std::string> param_names;
};

}  // namespace Effects
