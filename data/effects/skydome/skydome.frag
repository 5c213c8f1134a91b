// Sky dome: a gradient from the horizon colour up to a deep blue, clouds
// (unit 0) drifting with the sky clock over stars (unit 1) that show as the
// daylight fades.
#version 120

uniform float time;
uniform vec4 horizon;
uniform sampler2D s_texture_0;
uniform sampler2D s_texture_1;
uniform float daylight;
uniform float tex2_factor;
uniform float tex2_offset;
uniform float tex2_scale;

varying vec2 uv;
varying float height;

void main()
{
    vec3 zenith = mix(vec3(0.02, 0.03, 0.08), vec3(0.25, 0.45, 0.85), daylight);
    vec3 sky = mix(horizon.rgb * mix(0.3, 1.0, daylight), zenith, pow(height, 0.6));
    vec4 clouds = texture2D(s_texture_0, vec2(uv.x * 4.0 + time, uv.y * 2.0));
    vec4 stars = texture2D(s_texture_1, uv * tex2_scale + vec2(tex2_offset, 0.0));
    sky += stars.rgb * tex2_factor * (1.0 - daylight);
    sky = mix(sky, clouds.rgb * mix(0.2, 1.0, daylight), clouds.a * 0.8);
    gl_FragColor = vec4(sky, 1.0);
}
