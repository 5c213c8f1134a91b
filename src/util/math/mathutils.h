#pragma once
// Free scalar helpers. random_float draws from the engine's own generator
// (util/math/random.h).

float round_to_decimals(float x, int digits);
float radians_to_degrees(float r);
float lerp(float a, float b, float t);
float sine_ease(float t);
float random_float(float min, float max);

// A float (a sync track's value, a clock reading) as an int for a use that
// takes lo to hi: truncated toward zero like a plain conversion inside the
// range, clamped to it outside (infinities included), and NaN as 0 (or the
// range's end nearest 0). A plain conversion of NaN or of a value past int's
// range is undefined.
int clamp_to_int(double value, int lo, int hi);
