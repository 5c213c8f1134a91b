// Drifting blocks: the current colour, a little lighter at the turned edges.
#version 120

varying float shade;

void main()
{
	gl_FragColor = vec4( gl_Color.rgb + vec3( shade * 0.15 ), gl_Color.a );
}
