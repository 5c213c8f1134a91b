// Ray marcher: a quad over 0..1 in fixed-function coordinates; uv is its
// position, the ray's place on the screen.
#version 120

varying vec2 uv;

void main()
{
	uv = gl_Vertex.xy;
	gl_FrontColor = gl_Color;
	gl_Position = ftransform();
}
