#pragma once
// Free scalar helpers. random_float draws from the engine's own generator
// (util/math/random.h).

float round_to_decimals(float x, int digits);
float radians_to_degrees(float r);
float lerp(float a, float b, float t);
float sine_ease(float t);
float random_float(float min, float max);
