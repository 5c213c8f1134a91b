#version 420
// The blur on its flat tiles: there every texel a pixel's samples can read
// holds one colour, so each of blur.frag's samples returns exactly the sharp
// one. The pixel gets blur.frag's weighted sum of those equal samples, in
// its order, divided as there (BlurParams: x Scale, y Iterations).
uniform sampler2D Texture;
uniform vec4 BlurParams;

in vec2 TexCoordFrag;
out vec4 FragColor;

void main()
{
	float Scale = BlurParams.x;
	float Iterations = BlurParams.y;
	vec4 sharp = texture2D( Texture, TexCoordFrag );
	float reach = clamp( Iterations, 0.0, 8.0 );
	int steps = int( ceil( reach ) );
	if( steps == 0 || Scale == 0.0 ) {
		FragColor = sharp;
		return;
	}
	float sigma = max( reach, 0.001 ) * 0.5;
	vec4 sum = vec4( 0.0 );
	float total = 0.0;
	for( int y = -steps; y <= steps; y++ ) {
		for( int x = -steps + ( ( y - steps ) & 1 ); x <= steps; x += 2 ) {
			vec2 k = vec2( x, y );
			float w = exp( -dot( k, k ) / ( 2.0 * sigma * sigma ) );
			sum += sharp * w;
			total += w;
		}
	}
	FragColor = sum / total;
}
