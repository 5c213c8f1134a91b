#version 420
// Radial blur toward the centre RadialBlurParams.xy with RadialBlurParams.w
// samples (1 to 64), each a further step (z) of the way in, weighted less
// the further in it lies; times the tint.
uniform sampler2D Texture;
uniform vec4 RadialBlurParams;

in vec2 TexCoordFrag;
in vec4 Tint;
out vec4 FragColor;

void main()
{
	vec2 centre = RadialBlurParams.xy;
	int count = int( clamp( RadialBlurParams.w, 1.0, 64.0 ) );
	vec2 offset = TexCoordFrag - centre;
	vec4 sum = vec4( 0.0 );
	float total = 0.0;
	float scale = 1.0;
	float weight = 1.0;
	for( int i = 0; i < count; i++ ) {
		sum += texture( Texture, centre + offset * scale ) * weight;
		total += weight;
		scale *= RadialBlurParams.z;
		weight *= 0.9;
	}
	FragColor = sum / total * Tint;
}
