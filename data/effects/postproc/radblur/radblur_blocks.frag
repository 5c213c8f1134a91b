#version 420
// The radial blur's map of flat blocks: each texel is a block of 8x8 of the
// picture's pixels (those past its last column or row repeat it), as (the
// colour of its first pixel packed, 1 when all its pixels hold that colour
// exactly, else 0).
uniform sampler2D Picture;

out uvec2 Block;

const int size = 8;

void main()
{
	ivec2 last = textureSize( Picture, 0 ) - 1;
	ivec2 first = ivec2( gl_FragCoord.xy ) * size;
	uint colour = packUnorm4x8( texelFetch( Picture, min( first, last ), 0 ) );
	bool same = true;
	for( int y = 0; y < size; y++ )
		for( int x = 0; x < size; x++ )
			same = same && packUnorm4x8( texelFetch( Picture, min( first + ivec2( x, y ), last ), 0 ) ) == colour;
	Block = uvec2( colour, same ? 1u : 0u );
}
