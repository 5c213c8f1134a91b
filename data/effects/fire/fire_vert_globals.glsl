// Fire modes: the unit quad (position on 0, texture coordinate on 2).
layout (location = VERTEX_ATTRIB_POSITION) in vec2 Position;
layout (location = VERTEX_ATTRIB_TEXCOORD) in vec2 TexCoord;

out vec2 uv;
