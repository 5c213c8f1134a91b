#pragma once
// The canvas's built-in pictures: four tables of 50 row strings of exactly 80
// characters each, top row first.
extern const char* const* const ascii_builtin_images[4];
