#include "util/colorutils/colorutils.h"

float hue_to_rgb(float p, float q, float t)
{
    if (t < 0.0f)
        t += 1.0f;
    if (t > 1.0f)
        t -= 1.0f;
    if (t < 0.16666667f)
        return (q - p) * 6.0f * t + p;
    if (t < 0.5f)
        return q;
    if (t < 0.6666667f)
        return (q - p) * (0.6666667f - t) * 6.0f + p;
    return p;
}

vec3 hsl_to_rgb(const vec3& hsl)
{
    const float h = hsl.x;
    const float s = hsl.y;
    const float l = hsl.z;
    if (s == 0.0f)
        return vec3(l, l, l);
    const float q = l < 0.5f ? l * (1.0f + s) : l + s - l * s;
    const float p = 2.0f * l - q;
    return vec3(hue_to_rgb(p, q, h + 0.33333334f), hue_to_rgb(p, q, h), hue_to_rgb(p, q, h - 0.33333334f));
}
