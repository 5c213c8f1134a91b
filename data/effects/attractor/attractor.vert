// A quad over 0..1 in fixed-function coordinates; uv is its position.
#version 120

varying vec2 uv;

void main()
{
    uv = gl_Vertex.xy;
    gl_FrontColor = gl_Color;
    gl_Position = ftransform();
}
