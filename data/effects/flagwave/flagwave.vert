// Flag: the cloth (xz plane, x across) bends out of its plane in a wave that
// runs along x, fixed at the pole (x = 0) and growing toward the free end.
#version 120

uniform float currentAngle;

varying vec2 uv;
varying float shade;

void main()
{
    vec4 v = gl_Vertex;
    float phase = radians(currentAngle) * 4.0 - v.x * 1.3;
    float reach = v.x / 8.7;
    v.y += sin(phase) * 0.45 * reach;
    uv = gl_MultiTexCoord0.xy;
    shade = 0.8 + 0.2 * cos(phase) * reach;
    gl_Position = gl_ModelViewProjectionMatrix * v;
}
