// Ray marcher: a turning rounded box over a floor. View places the camera
// (its translation), ViewRotation turns the rays; RotationTime turns the box,
// RotationMix blends a second axis into that turn; Cutouts bores holes
// through the box, Slashes cuts thin slots across it; PlaneDistance is the
// floor's depth below the centre; AoFactor darkens creases; Color scales the
// light; SkyboxMix blends a sky gradient into the background.
#version 120

uniform mat4 View;
uniform mat4 ViewRotation;
uniform float RotationTime;
uniform float SkyboxMix;
uniform float Color;
uniform float AoFactor;
uniform float Cutouts;
uniform float Slashes;
uniform float PlaneDistance;
uniform float RotationMix;

varying vec2 uv;

mat3 turn(vec3 axis, float angle)
{
	axis = normalize(axis);
	float s = sin(angle), c = cos(angle), o = 1.0 - c;
	return mat3(o * axis.x * axis.x + c, o * axis.x * axis.y + axis.z * s, o * axis.z * axis.x - axis.y * s,
	            o * axis.x * axis.y - axis.z * s, o * axis.y * axis.y + c, o * axis.y * axis.z + axis.x * s,
	            o * axis.z * axis.x + axis.y * s, o * axis.y * axis.z - axis.x * s, o * axis.z * axis.z + c);
}

float object(vec3 p)
{
	p = turn(mix(vec3(0.0, 1.0, 0.0), vec3(1.0, 1.0, 0.0), RotationMix), RotationTime) * p;
	vec3 q = abs(p) - vec3(0.8);
	float box = length(max(q, 0.0)) + min(max(q.x, max(q.y, q.z)), 0.0) - 0.15;
	float holes = min(length(p.xy), min(length(p.yz), length(p.xz))) - 0.45 * Cutouts;
	float slots = abs(fract(p.y * 3.0) - 0.5) / 3.0 - 0.04 * Slashes;
	float d = max(box, -holes);
	if (Slashes > 0.0)
		d = max(d, -slots);
	return d;
}

float scene(vec3 p)
{
	return min(object(p), p.y + PlaneDistance);
}

vec3 normal_at(vec3 p)
{
	vec2 e = vec2(0.002, 0.0);
	return normalize(vec3(scene(p + e.xyy) - scene(p - e.xyy), scene(p + e.yxy) - scene(p - e.yxy),
	                      scene(p + e.yyx) - scene(p - e.yyx)));
}

void main()
{
	vec3 origin = (View * vec4(0.0, 0.0, 0.0, 1.0)).xyz;
	vec3 dir = normalize((ViewRotation * vec4(uv * 2.0 - 1.0, 1.5, 0.0)).xyz);
	vec3 sky = mix(vec3(0.02, 0.02, 0.04), mix(vec3(0.5, 0.6, 0.8), vec3(0.1, 0.2, 0.5), uv.y), SkyboxMix);
	float t = 0.0;
	bool hit = false;
	for (int i = 0; i < 64; i++) {
		float d = scene(origin + dir * t);
		if (d < 0.001) {
			hit = true;
			break;
		}
		t += d;
		if (t > 40.0)
			break;
	}
	vec3 colour = sky;
	if (hit) {
		vec3 p = origin + dir * t;
		vec3 n = normal_at(p);
		float light = max(dot(n, normalize(vec3(0.5, 1.0, -0.6))), 0.0) * 0.8 + 0.2;
		float occlusion = 0.0;
		for (int k = 1; k <= 4; k++) {
			float h = 0.06 * float(k);
			occlusion += (h - scene(p + n * h)) / float(k);
		}
		light *= clamp(1.0 - occlusion * 4.0 * AoFactor, 0.0, 1.0);
		bool onObject = object(p) <= p.y + PlaneDistance;
		colour = (onObject ? vec3(0.8, 0.75, 0.7) : vec3(0.35)) * light;
		colour = mix(colour, sky, clamp(t / 40.0, 0.0, 1.0));
	}
	gl_FragColor = vec4(colour * Color, 1.0) * gl_Color;
}
