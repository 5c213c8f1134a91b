#version 420
// Depth of field: the sharp picture blurred by how far each pixel lies from
// the focus distance. Within focus_range of focus_point a pixel stays sharp;
// the blur grows over the next focus_falloff to its full radius.
uniform sampler2D tex_sharp;
uniform sampler2D tex_depth;
uniform float focus_point;
uniform float focus_range;
uniform float focus_falloff;
uniform float zNear;
uniform float zFar;
in vec2 uv;
out vec4 FragColor;

const float MaxRadius = 0.006;
const vec2 Disc[12] = vec2[12](
	vec2( -0.326212, -0.405805 ), vec2( -0.840144, -0.073580 ), vec2( -0.695914,  0.457137 ),
	vec2( -0.203345,  0.620716 ), vec2(  0.962340, -0.194983 ), vec2(  0.473434, -0.480026 ),
	vec2(  0.519456,  0.767022 ), vec2(  0.185461, -0.893124 ), vec2(  0.507431,  0.064425 ),
	vec2(  0.896420,  0.412458 ), vec2( -0.321940, -0.932615 ), vec2( -0.791559, -0.597705 ) );

// Eye-space distance of a stored depth.
float distance_of( float depth )
{
	float z = depth * 2.0 - 1.0;
	return 2.0 * zNear * zFar / ( zFar + zNear - z * ( zFar - zNear ) );
}

void main()
{
	float d = distance_of( texture( tex_depth, uv ).r );
	float blur = clamp( ( abs( d - focus_point ) - focus_range ) / max( focus_falloff, 1e-6 ), 0.0, 1.0 );
	vec4 sum = texture( tex_sharp, uv );
	if ( blur > 0.0 )
	{
		vec2 radius = vec2( MaxRadius * blur ) * vec2( textureSize( tex_sharp, 0 ).y / float( textureSize( tex_sharp, 0 ).x ), 1.0 );
		for ( int i = 0; i < 12; i++ )
			sum += texture( tex_sharp, uv + Disc[i] * radius );
		sum /= 13.0;
	}
	FragColor = sum;
}
