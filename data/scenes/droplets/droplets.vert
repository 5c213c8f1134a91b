#version 420
// The droplet plane: positions in the XZ plane, texture coordinates 0 to 1
// across it (where the marks lie).
uniform mat4 ProjectionMatrix;
uniform mat4 ModelViewMatrix;

layout (location = VERTEX_ATTRIB_POSITION) in vec3 Position;
layout (location = VERTEX_ATTRIB_NORMAL) in vec3 Normal;
layout (location = VERTEX_ATTRIB_TEXCOORD) in vec2 TexCoord;
layout (location = VERTEX_ATTRIB_TANGENT) in vec3 Tangent;

out vec2 PlaneCoord;

void main()
{
	PlaneCoord = TexCoord;
	gl_Position = ProjectionMatrix * ModelViewMatrix * vec4(Position, 1.0);
}
