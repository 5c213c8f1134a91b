#pragma once
// The scene manager: owns the music, the compositing framebuffers, the
// post-processing effects and the scenes, and draws one frame per run().
// (Grows with the show; for now only the interface the window layer calls.)
#include <cstdint>

class SceneManager {
public:
    SceneManager();
    ~SceneManager();

    void start();
    void run();
    void resize(int width, int height);

    // Input hooks: the window procedure forwards input here. They do nothing.
    void onKeyDown(std::uint8_t key);
    void onKeyUp(std::uint8_t key);
    void onF12();
    void onMouseMove(int x, int y);
    void onMouseButton(int button, int pressed);
    void onMouseWheel(int delta);
    void setFullscreen(bool fullscreen);
    bool isMouseGrabbed();
};
