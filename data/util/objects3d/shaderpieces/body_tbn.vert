	tbn_normal = normalize( cs_normal );
	tbn_tangent = normalize( mat3( ModelViewMatrix ) * Tangent );
	tbn_tangent = normalize( tbn_tangent - tbn_normal * dot( tbn_normal, tbn_tangent ) );
	tbn_bitangent = cross( tbn_normal, tbn_tangent );
	eyedir_tbn = vec3( dot( -cs_position, tbn_tangent ), dot( -cs_position, tbn_bitangent ), dot( -cs_position, tbn_normal ) );
