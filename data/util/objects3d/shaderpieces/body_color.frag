	vec4 color = vec4( 0.0, 0.0, 0.0, 0.0 );
