#version 420
// The blur's flat tiles: a tile of 16x16 pixels is flat (1, else 0) when
// every texel the blur's samples for its pixels can read holds one colour:
// the box around the tile's pixel centres, reaching the samples' farthest
// step each way (BlurParams: x the step Scale, y Iterations, as blur.frag
// gets them), widened by a texel for rounding, lies in flat blocks of one
// colour (Blocks, blocks of 8x8 texels). Boxes wider or higher than 24
// blocks count as not flat.
uniform usampler2D Blocks;
uniform ivec2 PictureSize;
uniform vec4 BlurParams;

out vec4 Flat;

const int tile = 16;
const int block = 8;
const int most = 24;

bool flat_tile()
{
	vec2 size = vec2( PictureSize );
	ivec2 t = ivec2( gl_FragCoord.xy ) * tile;
	vec2 near0 = ( vec2( t ) + 0.5 ) / size;
	vec2 near1 = ( vec2( min( t + tile, PictureSize ) - 1 ) + 0.5 ) / size;
	float reach = float( int( ceil( clamp( BlurParams.y, 0.0, 8.0 ) ) ) ) * abs( BlurParams.x );
	vec2 lo = ( near0 - reach ) * size - 1.0;
	vec2 hi = ( near1 + reach ) * size + 1.0;
	// Not finite, or far outside: not flat.
	if( !( all( greaterThan( lo, vec2( -1.0e6 ) ) ) && all( lessThan( hi, vec2( 1.0e6 ) ) ) ) )
		return false;
	ivec2 last = PictureSize - 1;
	ivec2 first = clamp( ivec2( floor( lo ) ), ivec2( 0 ), last ) / block;
	ivec2 stop = clamp( ivec2( floor( hi ) ), ivec2( 0 ), last ) / block;
	if( any( greaterThan( stop - first, ivec2( most - 1 ) ) ) )
		return false;
	uvec2 reference = texelFetch( Blocks, first, 0 ).xy;
	bool same = reference.y == 1u;
	for( int y = first.y; y <= stop.y && same; y++ )
		for( int x = first.x; x <= stop.x && same; x++ ) {
			uvec2 b = texelFetch( Blocks, ivec2( x, y ), 0 ).xy;
			same = b.y == 1u && b.x == reference.x;
		}
	return same;
}

void main()
{
	Flat = vec4( flat_tile() ? 1.0 : 0.0 );
}
