#include "util/data/loading_screen.h"

// Placeholder: the loading screens are drawn here once the graphics code exists.
void loading_init(int, int, float) {}
void load_loading_texture() {}
void loading_tick(float, bool) {}
void loading_fade_out() {}
void draw_progress_bar_screen(float, int, int, int, int) {}
void draw_ascii_loading_screen(float, int, int, int, int) {}
void draw_circles_loading_screen(float, int, int, int, int) {}
