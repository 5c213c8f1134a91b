// calc_light with the normal from the normal map, in the tangent frame.
vec4 calc_light( int i )
{
	vec3 n = normalize( texture( NormalMap, TexCoordFrag ).rgb * 2.0 - 1.0 );
	vec3 l = lightdir_tbn[i];
	float d = length( l );
	l /= max( d, 1e-6 );
	vec3 att = LightAttenuation[i];
	float falloff = 1.0 / max( att.x + att.y * d + att.z * d * d, 1e-6 );
	float ndotl = max( dot( n, l ), 0.0 );
	vec3 c = mixed_diffuse.rgb * LightDiffuse[i].rgb * ndotl;
	if ( ndotl > 0.0 )
	{
		vec3 h = normalize( l + normalize( eyedir_tbn ) );
		c += mixed_specular.rgb * LightSpecular[i].rgb * pow( max( dot( n, h ), 0.0 ), MaterialShininess );
	}
	return vec4( c * falloff, 0.0 );
}
