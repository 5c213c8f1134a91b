// 1.0 where the light reaches the fragment, 0.0 in shadow. The cube face that
// holds the fragment is the one of the major axis of the direction from the
// light, and its stored depth is that of the eye-space distance along the
// axis, projected by the light's face projection.
float shadow_test()
{
	vec4 world = camera_view_matrix_inv * vec4( cs_position, 1.0 );
	vec3 dir = ( light_view_matrix * world ).xyz;
	vec3 a = abs( dir );
	float major = max( a.x, max( a.y, a.z ) );
	vec4 clip = light_projection_matrix * vec4( 0.0, 0.0, -major, 1.0 );
	float depth = clip.z / clip.w * 0.5 + 0.5;
	return texture( ShadowMap, vec4( dir, depth ) );
}
