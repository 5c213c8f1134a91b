// Drifting blocks: the four equal positions of a block become a quad facing
// the camera. The texture coordinate's s holds where the corner lies across
// (0.5 sin or cos of the block's turn, plus 0.5), its t the bottom (0) or top
// (1), so the quad narrows and widens as the block turns.
#version 120

uniform vec3 right;
uniform vec3 up;
uniform float size;

varying float shade;

void main()
{
	float across = gl_MultiTexCoord0.x - 0.5;
	float rise = gl_MultiTexCoord0.y - 0.5;
	vec3 corner = gl_Vertex.xyz + ( right * across * 2.0 + up * rise ) * size;
	shade = abs( across );
	gl_FrontColor = gl_Color;
	gl_Position = gl_ModelViewProjectionMatrix * vec4( corner, 1.0 );
}
