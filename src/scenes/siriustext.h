#pragma once
// Two short credit words over whatever the scenes before it drew, in a light
// TrueType font. "textScene" picks the pair: below 0.5 the first pair in
// black, otherwise the second in white; each word has its own position and
// fade track, face size and horizontal stretch are shared.
#include <cstdint>

#include "scenes/scene.h"

class Text;

class SiriusText : public Scene {
public:
    void init() override;
    void draw() override;
    void setViewport(int width, int height) override;

    // The face size for a "textSize" value: truncated, within 1 to 1024
    // (NaN gives 1).
    static std::uint32_t faceSize(float trackValue);

protected:
    Text* text = nullptr;
};
