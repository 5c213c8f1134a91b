#version 420
// Film look. Color: how much of the picture's own colour stays (1 all, 0
// grey); Monochrome: pull to grey; BrownSepia, GreenSepia, BlueSepia: tint
// the grey picture; Contrast: gain around mid grey (1 unchanged);
// Brightness: added light; FilmgrainAmount: moving grain; ScanlineAmount:
// darkens every other line of pixels.
uniform sampler2D Texture;
uniform float time;
uniform float Color;
uniform float Monochrome;
uniform float BrownSepia;
uniform float GreenSepia;
uniform float BlueSepia;
uniform float Contrast;
uniform float Brightness;
uniform float FilmgrainAmount;
uniform float ScanlineAmount;

in vec2 TexCoordFrag;
out vec4 FragColor;

float grain( vec2 p, float t )
{
	return fract( sin( dot( p + fract( t * 0.731 ) * 97.0, vec2( 12.9898, 78.233 ) ) ) * 43758.5453 );
}

void main()
{
	vec4 source = texture2D( Texture, TexCoordFrag );
	vec3 c = source.rgb;
	float grey = dot( c, vec3( 0.299, 0.587, 0.114 ) );
	c = mix( vec3( grey ), c, Color );
	c = mix( c, vec3( grey ), clamp( Monochrome, 0.0, 1.0 ) );
	c = mix( c, grey * vec3( 1.12, 0.84, 0.56 ), clamp( BrownSepia, 0.0, 1.0 ) );
	c = mix( c, grey * vec3( 0.72, 1.10, 0.62 ), clamp( GreenSepia, 0.0, 1.0 ) );
	c = mix( c, grey * vec3( 0.62, 0.82, 1.18 ), clamp( BlueSepia, 0.0, 1.0 ) );
	c = ( c - 0.5 ) * Contrast + 0.5;
	c += Brightness;
	c += ( grain( gl_FragCoord.xy, time ) - 0.5 ) * FilmgrainAmount;
	float line = mod( floor( gl_FragCoord.y ), 2.0 );
	c *= 1.0 - ScanlineAmount * line;
	FragColor = vec4( clamp( c, 0.0, 1.0 ), source.a );
}
