#version 420
// Gaussian-weighted blur over a square of samples: Scale is the step between
// samples in texture units, Iterations the number of steps to each side (a
// fraction widens the weights smoothly). Only the samples of one colour of a
// checkerboard are read: half the reads, and with linear filtering between
// them the picture stays smooth.
uniform sampler2D Texture;
uniform float Scale;
uniform float Iterations;

in vec2 TexCoordFrag;
out vec4 FragColor;

void main()
{
	float reach = clamp( Iterations, 0.0, 8.0 );
	int steps = int( ceil( reach ) );
	if( steps == 0 || Scale == 0.0 ) {
		FragColor = texture2D( Texture, TexCoordFrag );
		return;
	}
	float sigma = max( reach, 0.001 ) * 0.5;
	vec4 sum = vec4( 0.0 );
	float total = 0.0;
	for( int y = -steps; y <= steps; y++ ) {
		for( int x = -steps + ( ( y - steps ) & 1 ); x <= steps; x += 2 ) {
			vec2 k = vec2( x, y );
			float w = exp( -dot( k, k ) / ( 2.0 * sigma * sigma ) );
			sum += texture2D( Texture, TexCoordFrag + k * Scale ) * w;
			total += w;
		}
	}
	FragColor = sum / total;
}
