#version 420
// Depth of field: the unit square over the picture.
layout( location = 0 ) in vec2 Position;
layout( location = 2 ) in vec2 TexCoord;
uniform mat4 ProjectionMatrix;
out vec2 uv;

void main()
{
	uv = TexCoord;
	gl_Position = ProjectionMatrix * vec4( Position, 0.0, 1.0 );
}
