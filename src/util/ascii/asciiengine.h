#pragma once
// The 80x50 text-mode canvas: three planes of cells (character, foreground and
// background colour index), a fixed 16-colour palette and a glyph atlas.
// Drawing operations write the planes only; render() turns them into a
// picture in the 640x600 framebuffer that every canvas shares, and present()
// adds that picture into the current target through a letterboxed viewport.
#include <cstdint>
#include <vector>

#include "util/math/vec4.h"
#include "util/texture/texture.h"

class FBO;
class ShaderProgram;

class AsciiEngine {
public:
    static constexpr int COLUMNS = 80;
    static constexpr int ROWS = 50;
    static constexpr int CELLS = COLUMNS * ROWS;

    // Tag for a canvas without drawing resources: its cells can be written
    // and read, but it must never be rendered. No OpenGL context is needed.
    struct PlanesOnly {};

    AsciiEngine();
    explicit AsciiEngine(PlanesOnly);
    ~AsciiEngine();
    AsciiEngine(const AsciiEngine&) = delete;
    AsciiEngine& operator=(const AsciiEngine&) = delete;

    // Cell writes; cells outside rows 0..49 and columns 0..79 are ignored.
    void put(int row, int col, std::uint8_t ch, std::uint8_t fg, std::uint8_t bg);
    void put_char_fg(int row, int col, std::uint8_t ch, std::uint8_t fg);
    // cell = character | foreground << 8 | background << 12.
    void put_packed(int row, int col, std::uint16_t cell);
    void fill_rect(int row, int col, int height, int width, std::uint8_t ch, std::uint8_t fg, std::uint8_t bg);
    void clear();
    void fill(std::uint8_t ch, std::uint8_t fg, std::uint8_t bg);

    // A 50x80 picture given as 50 row strings; cells holding the transparent
    // character are skipped.
    void draw_image(const char* const* rows, std::uint8_t fg, std::uint8_t bg, char transparent, bool flip_vertical,
                    int row_offset, int col_offset);
    void draw_builtin_image(unsigned index, std::uint8_t fg, std::uint8_t bg, char transparent, bool flip_vertical,
                            int row_offset, int col_offset);
    void draw_builtin_image_row(int row, int col, unsigned index, int src_row, std::uint8_t fg, std::uint8_t bg,
                                char transparent);

    // The largest rectangle of the given aspect centred in width x height.
    void set_viewport(int width, int height, float aspect);
    void render(bool present);
    void present();

    // Reading the planes (row, column inside the canvas).
    std::uint8_t get_char(int row, int col) const { return chars[row * COLUMNS + col]; }
    std::uint8_t get_fg(int row, int col) const { return fgs[row * COLUMNS + col]; }
    std::uint8_t get_bg(int row, int col) const { return bgs[row * COLUMNS + col]; }
    const int* get_viewport() const { return viewport; }
    const vec4& get_palette(int index) const { return palette[index & 15]; }
    // The 640x600 framebuffer shared by every canvas; null before the first
    // full canvas is constructed.
    static FBO* shared_framebuffer();

private:
    void init_planes();
    void init_builtin_images();
    void draw_cells();

    Texture glyphTexture;
    FBO* framebuffer = nullptr;
    ShaderProgram* renderProgram = nullptr;
    std::uint8_t chars[CELLS];
    std::uint8_t fgs[CELLS];
    std::uint8_t bgs[CELLS];
    vec4 palette[16];
    int viewport[4];
    const char* const* builtinImages[4];
    // Vertex array and buffer of the cell quads, made on the first render.
    unsigned int cellArray = 0;
    unsigned int cellBuffer = 0;
    std::vector<float> cellVertices;
};
