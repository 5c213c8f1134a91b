#pragma once
// Strings drawn with a TrueType font through FTGL, over whatever the caller
// has drawn. Reshape gives the target size; PrintAt places text at fractions
// of it, with the face size meaning pixels on a 1280-pixel-wide target.
#include <cstdint>
#include <string>

class FTFont;

constexpr int32_t FONT_BUFFER = 0;
constexpr int32_t FONT_OUTLINE = 1;

class Text {
public:
    Text(std::string fontFile, int32_t faceSize, int32_t fontType);
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;

    void Reshape(int32_t width, int32_t height);
    void SetFaceSize(int32_t size);
    void BindShader();
    void SetGLState();
    void Print(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void PrintAt(float x, float y, float stretch, const char* format, ...) __attribute__((format(printf, 5, 6)));

private:
    void render(const char* text);

    int32_t font_type;
    FTFont* font = nullptr;
    int32_t width = -1;
    int32_t height = -1;
};
