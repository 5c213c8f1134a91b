// Fire modes: inputs, and helpers shared by the four mode bodies.
uniform sampler2D texPrevious;
uniform sampler2D texImage;
uniform sampler2D texSpark;
uniform float time;
uniform float image_factor;
uniform float image_shinethrough;
uniform float spark_pct;

in vec2 uv;
out vec4 FragColor;

float hash( vec2 p )
{
	return fract( sin( dot( p, vec2( 12.9898, 78.233 ) ) ) * 43758.5453 );
}

// Heat to colour: black, red, orange, yellow, white.
vec4 palette( float heat )
{
	heat = clamp( heat, 0.0, 1.0 );
	vec3 c = vec3( smoothstep( 0.0, 0.4, heat ), smoothstep( 0.25, 0.75, heat ), smoothstep( 0.6, 1.0, heat ) );
	return vec4( c, heat );
}

// Heat kept in the alpha channel of the previous picture.
float heat_at( vec2 p )
{
	return texture( texPrevious, p ).a;
}

// A spark (the sprite on unit 2) at a random place of this time step; fires
// for about spark_pct of the steps.
float spark( vec2 p, float seed )
{
	float step = floor( time * 30.0 );
	if( hash( vec2( step, seed ) ) > spark_pct )
		return 0.0;
	vec2 centre = vec2( hash( vec2( seed, step + 1.0 ) ), hash( vec2( step + 2.0, seed ) ) * 0.3 );
	vec2 local = ( p - centre ) * 8.0 + 0.5;
	if( any( lessThan( local, vec2( 0.0 ) ) ) || any( greaterThan( local, vec2( 1.0 ) ) ) )
		return 0.0;
	return texture( texSpark, local ).a;
}

// The image (unit 1) feeds the heat by its brightness times image_factor;
// the heat's colour, with image_shinethrough of the image added.
vec4 burn( float heat )
{
	vec4 image = texture( texImage, uv );
	heat = max( heat, image.a * dot( image.rgb, vec3( 0.333 ) ) * image_factor );
	vec4 c = palette( heat );
	c.rgb += image.rgb * image_shinethrough;
	return c;
}
