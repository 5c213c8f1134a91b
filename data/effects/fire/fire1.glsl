// Fire mode 1: flames that sway sideways as they rise. (body of main)
	vec2 texel = 1.0 / vec2( textureSize( texPrevious, 0 ) );
	float sway = sin( uv.y * 18.0 + time * 3.0 ) * texel.x * 1.5;
	vec2 below = uv - vec2( sway, texel.y * 1.5 );
	float heat = ( heat_at( below ) * 2.0 + heat_at( below - vec2( texel.x, 0.0 ) ) + heat_at( below + vec2( texel.x, 0.0 ) ) ) / 4.0;
	heat -= 0.008 + 0.008 * hash( uv * 300.0 + time );
	if( uv.y < texel.y * 2.0 )
		heat = 0.5 + 0.5 * hash( vec2( floor( uv.x * 64.0 ), floor( time * 15.0 ) ) );
	heat = max( heat, spark( uv, 2.0 ) );
	FragColor = burn( heat );
