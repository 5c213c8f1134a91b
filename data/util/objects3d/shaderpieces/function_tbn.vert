// Direction from the vertex to light i, in the tangent frame.
void calc_tbn( int i )
{
	vec3 l = LightPosition[i] - cs_position;
	lightdir_tbn[i] = vec3( dot( l, tbn_tangent ), dot( l, tbn_bitangent ), dot( l, tbn_normal ) );
}
