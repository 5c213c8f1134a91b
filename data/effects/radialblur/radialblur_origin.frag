#version 420
// Radial blur toward the centre RadialBlurParams.xy: 24 samples on the line
// from the pixel to the centre, scaled from 1 down to the step
// (RadialBlurParams.z); their mean times the intensity (w) and the tint.
uniform sampler2D Texture;
uniform vec4 RadialBlurParams;

in vec2 TexCoordFrag;
in vec4 Tint;
out vec4 FragColor;

const int samples = 24;

void main()
{
	vec2 centre = RadialBlurParams.xy;
	vec2 offset = TexCoordFrag - centre;
	vec4 sum = vec4( 0.0 );
	for( int i = 0; i < samples; i++ )
		sum += texture( Texture, centre + offset * mix( 1.0, RadialBlurParams.z, float( i ) / float( samples - 1 ) ) );
	FragColor = sum / float( samples ) * RadialBlurParams.w * Tint;
}
