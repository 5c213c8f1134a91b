#version 420
// Ordered dithering in blocks: the picture is cut into a grid of "blocks"
// cells, each cell takes the colour at its centre, and a 4x4 Bayer threshold
// over the cells reduces every channel to five levels.
uniform sampler2D Texture;
uniform vec2 blocks;

in vec2 TexCoordFrag;
out vec4 FragColor;

const float bayer[16] = float[16](
	 0.0,  8.0,  2.0, 10.0,
	12.0,  4.0, 14.0,  6.0,
	 3.0, 11.0,  1.0,  9.0,
	15.0,  7.0, 13.0,  5.0 );
const float levels = 4.0;

void main()
{
	vec2 grid = max( blocks, vec2( 1.0 ) );
	vec2 cell = floor( TexCoordFrag * grid );
	vec4 source = texture2D( Texture, ( cell + 0.5 ) / grid );
	ivec2 b = ivec2( mod( cell, 4.0 ) );
	float threshold = ( bayer[b.y * 4 + b.x] + 0.5 ) / 16.0;
	vec3 dithered = floor( source.rgb * levels + threshold ) / levels;
	FragColor = vec4( clamp( dithered, 0.0, 1.0 ), source.a );
}
