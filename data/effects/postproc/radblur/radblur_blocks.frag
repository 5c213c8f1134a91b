#version 420
// A further level of the radial blur's map of flat blocks: each texel joins
// a 2x2 group of the level below (Blocks, its base level set to that level;
// a level one texel wide or high repeats its last), flat when all four are
// flat with one colour.
uniform usampler2D Blocks;

out uvec2 Block;

void main()
{
	ivec2 last = textureSize( Blocks, 0 ) - 1;
	ivec2 p = ivec2( gl_FragCoord.xy ) * 2;
	uvec2 a = texelFetch( Blocks, min( p, last ), 0 ).xy;
	uvec2 b = texelFetch( Blocks, min( p + ivec2( 1, 0 ), last ), 0 ).xy;
	uvec2 c = texelFetch( Blocks, min( p + ivec2( 0, 1 ), last ), 0 ).xy;
	uvec2 d = texelFetch( Blocks, min( p + ivec2( 1, 1 ), last ), 0 ).xy;
	bool same = ( a.y & b.y & c.y & d.y ) == 1u && a.x == b.x && a.x == c.x && a.x == d.x;
	Block = uvec2( a.x, same ? 1u : 0u );
}
