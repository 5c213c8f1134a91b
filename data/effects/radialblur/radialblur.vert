#version 420
// Radial blur: the unit quad (position on 0, texture coordinate on 2) under
// the caller's fixed-function matrices, tinted by the current colour.
layout (location = VERTEX_ATTRIB_POSITION) in vec2 Position;
layout (location = VERTEX_ATTRIB_TEXCOORD) in vec2 TexCoord;

out vec2 TexCoordFrag;
out vec4 Tint;

void main()
{
	TexCoordFrag = TexCoord;
	Tint = gl_Color;
	gl_Position = gl_ModelViewProjectionMatrix * vec4( Position, 0.0, 1.0 );
}
