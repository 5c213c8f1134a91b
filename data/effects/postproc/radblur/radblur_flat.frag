#version 420
// The radial blur on its flat tiles: there every texel a pixel's samples
// can read holds one colour, so each of radblur.frag's 24 samples returns
// exactly the sharp one. The pixel gets radblur.frag's sum of 24 equal
// samples, added in its order, mixed as there.
uniform sampler2D Texture;
uniform vec4 RadialBlurParams;

in vec2 TexCoordFrag;
out vec4 FragColor;

const int samples = 24;

void main()
{
	float strength = clamp( RadialBlurParams.w, 0.0, 1.0 );
	vec4 sharp = texture2D( Texture, TexCoordFrag );
	precise vec4 sum = vec4( 0.0 );
	for( int i = 0; i < samples; i++ )
		sum += sharp;
	FragColor = mix( sharp, sum / float( samples ), strength );
}
