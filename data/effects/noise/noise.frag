// Film-like value noise: "time" picks the frame's grain pattern; the result
// is the current colour with the grain as its alpha.
#version 120

uniform float time;

varying vec2 uv;

float hash(vec2 p)
{
    return fract(sin(dot(p, vec2(12.9898, 78.233)) + mod(time, 1000.0) * 0.618) * 43758.5453);
}

void main()
{
    vec2 cell = floor(uv * 256.0);
    float n = hash(cell);
    gl_FragColor = vec4(gl_Color.rgb, gl_Color.a * n);
}
