// Fire mode 3: sparks that glow where they land and fade in place. (body of main)
	vec2 texel = 1.0 / vec2( textureSize( texPrevious, 0 ) );
	float heat = ( heat_at( uv ) * 4.0 + heat_at( uv + vec2( texel.x, 0.0 ) ) + heat_at( uv - vec2( texel.x, 0.0 ) )
	               + heat_at( uv + vec2( 0.0, texel.y ) ) + heat_at( uv - vec2( 0.0, texel.y ) ) ) / 8.0;
	heat *= 0.985;
	heat = max( heat, spark( uv, 4.0 ) );
	heat = max( heat, spark( uv.yx, 5.0 ) );
	FragColor = burn( heat );
