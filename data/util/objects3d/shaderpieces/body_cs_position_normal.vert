	cs_position = ( ModelViewMatrix * vec4( Position, 1.0 ) ).xyz;
	cs_normal = mat3( ModelViewMatrix ) * Normal;
