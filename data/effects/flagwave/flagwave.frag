// Flag: the cloth's picture on unit 0, shaded by the wave's slope.
#version 120

uniform sampler2D flag;

varying vec2 uv;
varying float shade;

void main()
{
    vec4 c = texture2D(flag, uv);
    gl_FragColor = vec4(c.rgb * shade, 1.0);
}
