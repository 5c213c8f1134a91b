// Fire mode 0: flames rising from a burning floor, cooling as they rise. (body of main)
	vec2 texel = 1.0 / vec2( textureSize( texPrevious, 0 ) );
	vec2 below = uv - vec2( 0.0, texel.y );
	float heat = ( heat_at( below ) * 2.0 + heat_at( below - vec2( texel.x, 0.0 ) ) + heat_at( below + vec2( texel.x, 0.0 ) )
	               + heat_at( below - vec2( 0.0, texel.y ) ) ) / 5.0;
	heat -= 0.006 + 0.01 * hash( uv * 512.0 + time );
	if( uv.y < texel.y * 2.0 )
		heat = 0.6 + 0.4 * hash( vec2( uv.x * 97.0, floor( time * 30.0 ) ) );
	heat = max( heat, spark( uv, 1.0 ) );
	FragColor = burn( heat );
