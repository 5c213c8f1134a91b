#version 420
// Water with timed marks on it.
// Droplets: (x, y, strength, beat) each. A ring runs out from (x, y) at
// DropletSettings.x plane widths per beat since its beat; DropletSettings.z
// is how sharp the ring is. Mode 1 (DropletSettings.w) adds two fainter
// rings following it, a ripple; mode 0 draws the lone ring. The ring fades
// with its strength.
// Spots: (x, y, strength) each, a soft disc of radius SpotSettings.x / 4
// plane widths, brightest as it begins.
// Beats sets the water's slow shimmer; Color tints everything.
const int MAX_DROPLETS = 32;
const int MAX_SPOTS = 32;

uniform vec4 Color;
uniform float Beats;
uniform vec4 Droplets[MAX_DROPLETS];
uniform int NumDroplets;
uniform vec4 DropletSettings;
uniform vec3 Spots[MAX_SPOTS];
uniform int NumSpots;
uniform vec2 SpotSettings;

in vec2 PlaneCoord;
out vec4 FragColor;

float ring(float distance, float radius, float sharpness)
{
	float d = distance - radius;
	return exp(-sharpness * 40.0 * d * d);
}

void main()
{
	vec2 p = PlaneCoord;
	float shimmer = 0.5 + 0.5 * sin(p.x * 23.0 + p.y * 17.0 + Beats * 1.3);
	vec3 colour = vec3(0.06, 0.14, 0.24) + 0.03 * shimmer;

	float rings = 0.0;
	int droplets = min(NumDroplets, MAX_DROPLETS);
	for (int i = 0; i < MAX_DROPLETS; ++i) {
		if (i >= droplets)
			break;
		vec4 d = Droplets[i];
		float strength = clamp(d.z, 0.0, 1.0);
		float radius = max(Beats - d.w, 0.0) * DropletSettings.x;
		float distance = length(p - d.xy);
		float r = ring(distance, radius, DropletSettings.z);
		if (DropletSettings.w > 0.5)
			r += 0.6 * ring(distance, radius * 0.7, DropletSettings.z)
			   + 0.3 * ring(distance, radius * 0.45, DropletSettings.z);
		rings += r * strength;
	}

	float spots = 0.0;
	float size = max(SpotSettings.x * 0.25, 0.001);
	int spotCount = min(NumSpots, MAX_SPOTS);
	for (int i = 0; i < MAX_SPOTS; ++i) {
		if (i >= spotCount)
			break;
		vec3 s = Spots[i];
		float distance = length(p - s.xy);
		spots += clamp(s.z, 0.0, 1.0) * (1.0 - smoothstep(0.0, size, distance));
	}

	colour += vec3(0.55, 0.85, 1.0) * min(rings, 1.5);
	colour += vec3(1.0, 0.55, 0.2) * min(spots, 1.5);
	FragColor = vec4(colour, 1.0) * Color;
}
