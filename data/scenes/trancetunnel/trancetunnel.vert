#version 120
// The rectangle's corners arrive as fixed-function positions from -1 to 1;
// they are the tunnel's screen coordinates.
varying vec2 screen;

void main()
{
	screen = gl_Vertex.xy;
	gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;
}
