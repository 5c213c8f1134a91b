#version 420
// Radial blur: RadialBlurParams = (centre x, centre y, step, strength).
// Samples lie on the line from the pixel toward the centre, scaled from 1
// down to step; strength mixes their average over the sharp picture.
uniform sampler2D Texture;
uniform vec4 RadialBlurParams;

in vec2 TexCoordFrag;
out vec4 FragColor;

const int samples = 24;

void main()
{
	vec2 centre = RadialBlurParams.xy;
	float inner = RadialBlurParams.z;
	float strength = clamp( RadialBlurParams.w, 0.0, 1.0 );
	vec4 sharp = texture2D( Texture, TexCoordFrag );
	vec2 offset = TexCoordFrag - centre;
	vec4 sum = vec4( 0.0 );
	for( int i = 0; i < samples; i++ ) {
		float scale = mix( 1.0, inner, float( i ) / float( samples - 1 ) );
		sum += texture2D( Texture, centre + offset * scale );
	}
	FragColor = mix( sharp, sum / float( samples ), strength );
}
