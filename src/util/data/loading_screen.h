#pragma once
// The loading screen: drawn from inside the data layer's loads until the show
// starts. loading_finished (data_layer.h) is set by the fade-out.

// Once the window exists: the window's size and the picture's aspect ratio.
void loading_init(int width, int height, float aspect);
// After the packed data file has been read: the production's logo.
void load_loading_texture();
// One frame at brightness alpha, at most one per 40 ms unless forced.
void loading_tick(float alpha, bool force);
// Fades the screen out and sets loading_finished.
void loading_fade_out();

// The three styles; width and height are the viewport's.
void draw_progress_bar_screen(float alpha, int width, int height, int done, int total);
void draw_ascii_loading_screen(float alpha, int width, int height, int done, int total);
void draw_circles_loading_screen(float alpha, int width, int height, int done, int total);
