#version 420
// Full-screen quad over the unit square; passes the texture coordinate on.
uniform mat4 ProjectionMatrix;

layout (location = VERTEX_ATTRIB_POSITION) in vec2 Position;
layout (location = VERTEX_ATTRIB_TEXCOORD) in vec2 TexCoord;

out vec2 TexCoordFrag;

void main()
{
	TexCoordFrag = TexCoord;
	gl_Position = ProjectionMatrix * vec4( Position, 0.0, 1.0 );
}
