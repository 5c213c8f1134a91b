#pragma once
// A real OpenGL context for *_gltest.cpp programs: a hidden SDL window on the
// X display (Xvfb in tests) with a compatibility-profile context, made current,
// with GLEW initialised. One context per test program, created on first use and
// kept until exit, so GL objects made in one test stay valid for the next.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace gltest {

// Creates the window and context on the first call (fails the calling test
// when no display or GL is available); later calls only make it current.
// Returns false when the context could not be made.
bool ensure_context(int width = 256, int height = 256);

// Size of the window's default framebuffer.
int window_width();
int window_height();

// Reads back the RGBA pixels of the current read framebuffer, bottom row first.
std::vector<std::uint8_t> read_rgba(int x, int y, int width, int height);

// One pixel of the current read framebuffer, packed as 0xRRGGBBAA.
std::uint32_t read_pixel(int x, int y);

// Puts back the state tests usually assume: framebuffer 0 bound, program 0,
// viewport over the whole window, depth test off, black clear colour, cleared.
void reset_state();

// Fixture base: every test gets a current context and reset state.
class GLTest : public ::testing::Test {
protected:
    void SetUp() override;
};

}
