#pragma once
// An oscilloscope of the music's note data: for every note track the
// modulated value of each note over a window of 10.24 beats centred on the
// present, one horizontal band per track, with a label whose height pulses
// with the track. Draws with OpenGL directly.
#include <cstdint>
#include <vector>

#include "scenes/scene.h"

class ShaderProgram;
class Text;

class Modulators : public Scene {
public:
    Modulators();
    void init() override;
    void draw() override;
    void deinit() override;
    void setViewport(int width, int height) override;

    static constexpr int kHistoryLength = 512;

protected:
    std::vector<float*> histories;
    std::uint32_t writeIndex = 0;
    float historyTime = 0.0f;
    float historyStep = 0.02f;
    Text* labelFont = nullptr;

private:
    void updateHistory(float beat, float lookAhead);
    void plotTrack(ShaderProgram* shader, int track, int trackCount);
};
