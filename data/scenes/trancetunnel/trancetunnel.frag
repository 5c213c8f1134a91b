#version 120
// A tunnel of glowing rings and stripes flying towards the viewer.
// time: the music beat; fft: 100 x the music's spectrum level: 0 in silence,
// about 0.1 in quiet passages and 1 in loud ones.
uniform float time;
uniform float fft;

varying vec2 screen;

const float PI = 3.14159265;

void main()
{
	// Square pixels whatever the viewport's shape: the width over the height
	// is how much faster the y coordinate runs per pixel than the x one.
	float aspect = abs(dFdy(screen.y)) / max(abs(dFdx(screen.x)), 1e-6);
	vec2 p = vec2(screen.x * aspect, screen.y);

	// The centre is infinitely far down the tunnel: keep the radius off 0.
	float r = max(length(p), 0.002);
	float a = atan(p.y, p.x);

	float energy = clamp(fft * 1.2, 0.0, 1.5);
	float depth = 0.8 / r + time;
	float turn = a / PI + 0.1 * sin(time * 0.25) + depth * 0.08;

	// Rings one beat apart along the tunnel (one passes every beat), eight
	// stripes round it.
	float rings = pow(0.5 + 0.5 * cos(depth * 2.0 * PI), 6.0);
	float stripes = pow(0.5 + 0.5 * cos(turn * 8.0 * PI), 10.0);
	float pulse = 0.5 + 0.5 * cos(fract(time) * 2.0 * PI);

	vec3 deep = vec3(0.05, 0.02, 0.18);
	vec3 ringColour = mix(vec3(0.2, 0.5, 1.0), vec3(1.0, 0.3, 0.8), 0.5 + 0.5 * sin(depth * 0.7));
	vec3 stripeColour = vec3(0.3, 0.9, 1.0);

	vec3 colour = deep
		+ ringColour * rings * (0.6 + energy * (0.4 + 0.6 * pulse))
		+ stripeColour * stripes * (0.25 + 0.5 * energy);

	// Fog: the far end fades to black, the walls near the edge stay bright.
	colour *= smoothstep(0.0, 0.45, r);
	gl_FragColor = vec4(colour, 1.0);
}
