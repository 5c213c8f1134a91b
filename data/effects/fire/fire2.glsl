// Fire mode 2: the image burns; its bright parts feed flames everywhere. (body of main)
	vec2 texel = 1.0 / vec2( textureSize( texPrevious, 0 ) );
	vec2 below = uv - vec2( 0.0, texel.y );
	float heat = ( heat_at( below ) + heat_at( below - vec2( texel.x, 0.0 ) ) + heat_at( below + vec2( texel.x, 0.0 ) ) ) / 3.0;
	heat -= 0.012;
	vec4 image = texture( texImage, uv );
	float fuel = image.a * dot( image.rgb, vec3( 0.333 ) );
	heat = max( heat, fuel * ( 0.6 + 0.4 * hash( uv * 256.0 + floor( time * 20.0 ) ) ) * max( image_factor, 0.2 ) );
	heat = max( heat, spark( uv, 3.0 ) );
	FragColor = burn( heat );
