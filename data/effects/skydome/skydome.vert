// Sky dome: fixed-function inputs (interleaved model arrays). The dome's
// position in model space, scaled into 0..1 by "bbox" (x range, y range),
// drives the sky's height gradient.
#version 120

uniform vec4 bbox;

varying vec2 uv;
varying float height;

void main()
{
    uv = gl_MultiTexCoord0.xy;
    height = clamp((gl_Vertex.y - bbox.y) / max(bbox.w - bbox.y, 0.0001), 0.0, 1.0);
    gl_Position = ftransform();
}
