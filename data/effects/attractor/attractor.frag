// A glowing Clifford-style attractor: a few hundred orbit points splatted as
// soft dots, tinted by the current colour; "intensity" scales the glow.
#version 120

uniform float time;
uniform float intensity;

varying vec2 uv;

void main()
{
    float a = 1.4 + 0.3 * sin(time * 0.11);
    float b = -2.1 + 0.2 * cos(time * 0.07);
    float c = 1.0 + 0.2 * sin(time * 0.05);
    float d = 0.7;
    vec2 p = vec2(0.1, 0.1);
    vec2 q = (uv - 0.5) * 5.0;
    float glow = 0.0;
    for (int i = 0; i < 200; i++) {
        p = vec2(sin(a * p.y) + c * cos(a * p.x), sin(b * p.x) + d * cos(b * p.y));
        vec2 delta = q - p;
        glow += 0.0015 / (dot(delta, delta) + 0.002);
    }
    float v = clamp(glow * intensity, 0.0, 1.0);
    gl_FragColor = vec4(gl_Color.rgb * v, gl_Color.a * v);
}
