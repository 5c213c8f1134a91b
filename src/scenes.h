#pragma once
// The scene manager: owns the music, the compositing framebuffers, the
// post-processing effects, the input state, the AVI writer of the video dump
// and the production's scenes, and draws one frame per run(): the scenes the
// active-scene tracks name, the enabled post-processing filters in the order
// of their tracks, the overlay scene, and in dump mode the AVI frame with its
// slice of audio.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/aviwriter.h"
#include "system/input_state.h"

class DumpWriter;
class Scene;
class Music;
class FBO;
class Text;
class Camera;
namespace Effects {
class PostProc;
}

class SceneManager {
public:
    SceneManager();
    ~SceneManager();
    SceneManager(const SceneManager&) = delete;
    SceneManager& operator=(const SceneManager&) = delete;

    void createScenes();
    // Hands the scene the shared objects, initialises and sizes it, and
    // appends it to the scene list (its index is its number in the
    // active-scene tracks). Takes ownership.
    void addScene(Scene* scene);
    void start();
    void run();
    // Sets skipUnseenWork, and the text canvas framebuffer's and the filters' switches with it.
    void setSkipUnseenWork(bool skip);
    void resize(int width, int height);
    void resetGLState();

    // Input hooks: the window procedure forwards input here. They do nothing.
    void onKeyDown(std::uint8_t key);
    void onKeyUp(std::uint8_t key);
    void onF12();
    void onMouseMove(int x, int y);
    void onMouseButton(int button, int pressed);
    void onMouseWheel(int delta);
    void setFullscreen(bool fullscreen);
    bool isMouseGrabbed();

    std::vector<Scene*> scenes;
    std::uint8_t keys[256];
    InputState input;
    Text* debugFont;
    int windowWidth = 0, windowHeight = 0;
    int viewWidth = 0, viewHeight = 0;
    float aspect;
    Music* music;
    float volume = 1.0f;
    FBO* sceneFBO;
    int samples;
    std::vector<FBO*> fbos;
    std::vector<Effects::PostProc*> effects;
    std::uint32_t frame;
    bool dumping;
    AVIWriter aviWriter;
    int dumpWidth, dumpHeight;
    std::uint32_t fps = 30;
    // Nominal 16-bit sample values per dumped frame (channels x rate / 30);
    // the slices themselves are counted in whole sample frames.
    std::uint32_t samplesPerFrame = 0;
    // The frame being read back in dump mode (a buffer of the dump writer).
    std::uint8_t* pixels;
    // Compresses and writes each dumped frame while the next is drawn; null
    // once the dump has stopped.
    DumpWriter* dumpWriter = nullptr;
    // The "Dumped frame" log line of the frame in writing, written once the
    // frame is known to be written (empty when none is waiting).
    std::string dumpedLine;
    // On: the frame leaves out work that cannot change a pixel (clears that
    // a full-screen pass overwrites, mip chains nobody samples, the overlay
    // step when "ActiveScene4rd" names no scene, a filter whose parameters
    // make it a copy, a scene's depth clear when no scene follows it), and
    // a dumped frame is
    // written while the next is drawn. Off: every step runs in full and in
    // turn; the benchmarks and the frame-comparison test run both ways.
    bool skipUnseenWork = true;

    // Frames a dump of a production without music lasts (10 seconds).
    static constexpr std::uint32_t kSilentDumpFrames = 10 * 30;

private:
    // The scene index a track value names, or -1.
    int sceneIndex(float trackValue) const;
    // The picture's size in a window of that size: the largest rectangle of
    // the aspect ratio inside it (a height of 0 counts as 1).
    void viewSize(int width, int height, int* viewW, int* viewH) const;
    void setViewRect();
    // Draws the scenes of the given indices (-1: none) into the multisampled
    // framebuffer and resolves it into the second.
    void drawScenes(const int* indices, int count);
    // Removes from the enabled filters (in their order, parameters set) the
    // passes that would copy the picture unchanged, where leaving them out
    // gives the same pixels.
    void leaveOutCopies(std::vector<std::pair<int, float>>* passes) const;
    // FBO::pop; with the shortcuts off, also the mip chains nothing samples.
    void popFBO(FBO* fbo);
    // Draws fbo into the letterboxed view, blended over it or not.
    void drawToView(FBO* fbo, bool blend);
    void dumpFrame();
    // Hands the frame read back into pixels and its audio to the dump writer;
    // line is logged once the frame is written. A failed write of the frame
    // before stops the dump there.
    void submitFrame(const std::int16_t* audio, int audioFrames, std::string line);
    // Waits for the frame in writing and logs its line; a failed write stops
    // the dump.
    void finishFrame();
    void endDump();
    [[noreturn]] void stopDump();
};

// a's track value is below b's: the order of the enabled effects.
bool comparePostProcOrder(const std::pair<int, float>& a, const std::pair<int, float>& b);

// Places a scene's camera from the ten camera tracks (free flight, toggled
// with F11 in the key table, moves it by hand instead).
void update_camera_control(Camera* camera, const std::uint8_t* keys, InputState* input,
                           float speed, Music* music);
