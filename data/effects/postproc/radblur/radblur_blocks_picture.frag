#version 420
// The first level of the radial blur's map of flat blocks: each texel is a
// 2x2 block of the picture's pixels (columns and rows past the picture's
// last repeat it), as (its colour packed, 1 when all four pixels hold that
// colour exactly, else 0).
uniform sampler2D Picture;

out uvec2 Block;

void main()
{
	ivec2 last = textureSize( Picture, 0 ) - 1;
	ivec2 p = ivec2( gl_FragCoord.xy ) * 2;
	uint a = packUnorm4x8( texelFetch( Picture, min( p, last ), 0 ) );
	uint b = packUnorm4x8( texelFetch( Picture, min( p + ivec2( 1, 0 ), last ), 0 ) );
	uint c = packUnorm4x8( texelFetch( Picture, min( p + ivec2( 0, 1 ), last ), 0 ) );
	uint d = packUnorm4x8( texelFetch( Picture, min( p + ivec2( 1, 1 ), last ), 0 ) );
	Block = uvec2( a, ( a == b && a == c && a == d ) ? 1u : 0u );
}
