#pragma once
// Base of every scene of every production. The scene manager hands each scene
// the shared objects (music, scene framebuffer, input state, aspect, key
// table), calls init() once, then before every draw() sizes it with
// setViewport(). A scene draws into whatever framebuffer is bound; it never
// composites, swaps or clears the window. deinit() releases what the scene
// owns; the scene manager calls it before deleting the scene.
#include <cstdint>

class Music;
class FBO;
class InputState;

class Scene {
public:
    Scene();
    virtual ~Scene() = default;

    virtual void init();
    virtual void draw();
    virtual void deinit();
    // Stores the size and resets projection and model-view to identity, the
    // viewport and the scissor box to (0, 0, width, height). Overrides call
    // this first.
    virtual void setViewport(int width, int height);

    void setMusic(Music* music) { this->music = music; }
    void setFBO(FBO* fbo) { this->fbo = fbo; }
    void setInput(InputState* input) { this->input = input; }
    void setAspect(float aspect) { this->aspect = aspect; }
    void setKeyTable(const std::uint8_t* keys) { this->keys = keys; }
    // Whether anything after the scene may read the depth it leaves in the
    // framebuffer; the scene manager sets it before each draw() (off when
    // no scene follows in the same framebuffer and its shortcuts are on).
    // On by default.
    void setDepthReadAfter(bool read) { depthReadAfter = read; }

protected:
    bool depthReadAfter = true;
    const std::uint8_t* keys;
    InputState* input;
    Music* music;
    FBO* fbo;
    float aspect;
    int width;
    int height;
};
