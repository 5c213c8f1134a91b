#pragma once
// HSL to RGB conversion; hue, saturation and lightness all in 0..1.
#include "util/math/vec3.h"

vec3 hsl_to_rgb(const vec3& hsl);
float hue_to_rgb(float p, float q, float t);
