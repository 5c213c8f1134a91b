#version 420
// The radial blur's pixels whose every sample lies in one flat colour: all
// texels the sharp sample and the 24 samples of radblur.frag can read (the
// box around the line from the pixel to centre + (pixel - centre) x step,
// widened by a texel for rounding) hold one colour, so each sample returns
// exactly the sharp one. Such a pixel gets radblur.frag's sum of 24 equal
// samples, in its order, mixed as there; the others are discarded.
// Blocks is the map of flat blocks: its level j holds blocks of 2^(j+1)
// texels square, TopLevel (1x1) covers the whole picture.
uniform sampler2D Texture;
uniform usampler2D Blocks;
uniform int TopLevel;
uniform vec4 RadialBlurParams;

in vec2 TexCoordFrag;
out vec4 FragColor;

const int samples = 24;

bool flat_box( vec2 near, vec2 far )
{
	vec2 size = vec2( textureSize( Texture, 0 ) );
	vec2 lo = min( near, far ) * size - 1.0;
	vec2 hi = max( near, far ) * size + 1.0;
	// Not finite, or far outside: no shortcut.
	if( !( all( greaterThan( lo, vec2( -1.0e6 ) ) ) && all( lessThan( hi, vec2( 1.0e6 ) ) ) ) )
		return false;
	ivec2 last = ivec2( size ) - 1;
	ivec2 first = clamp( ivec2( floor( lo ) ), ivec2( 0 ), last );
	ivec2 stop = clamp( ivec2( floor( hi ) ), ivec2( 0 ), last );
	ivec2 extent = stop - first;
	int span = max( extent.x, extent.y );
	// The smallest blocks of 2^(level + 1) texels at least as wide as the box:
	// it touches at most 2x2 of them.
	int level = min( max( findMSB( span ), 0 ), TopLevel );
	int shift = level + 1;
	ivec2 b0 = first >> shift;
	ivec2 b1 = stop >> shift;
	uvec2 a = texelFetch( Blocks, b0, level ).xy;
	uvec2 b = texelFetch( Blocks, ivec2( b1.x, b0.y ), level ).xy;
	uvec2 c = texelFetch( Blocks, ivec2( b0.x, b1.y ), level ).xy;
	uvec2 d = texelFetch( Blocks, b1, level ).xy;
	return ( a.y & b.y & c.y & d.y ) == 1u && a.x == b.x && a.x == c.x && a.x == d.x;
}

void main()
{
	vec2 centre = RadialBlurParams.xy;
	float inner = RadialBlurParams.z;
	float strength = clamp( RadialBlurParams.w, 0.0, 1.0 );
	vec2 offset = TexCoordFrag - centre;
	if( !flat_box( TexCoordFrag, centre + offset * inner ) )
		discard;
	vec4 sharp = texture2D( Texture, TexCoordFrag );
	precise vec4 sum = vec4( 0.0 );
	for( int i = 0; i < samples; i++ )
		sum += sharp;
	FragColor = mix( sharp, sum / float( samples ), strength );
}
