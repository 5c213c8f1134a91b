// What light i adds: diffuse and Blinn-Phong specular in eye space, with
// constant, linear and quadratic falloff over the distance to the light.
vec4 calc_light( int i )
{
	vec3 n = normalize( cs_normal );
	vec3 l = LightPosition[i] - cs_position;
	float d = length( l );
	l /= max( d, 1e-6 );
	vec3 att = LightAttenuation[i];
	float falloff = 1.0 / max( att.x + att.y * d + att.z * d * d, 1e-6 );
	float ndotl = max( dot( n, l ), 0.0 );
	vec3 c = mixed_diffuse.rgb * LightDiffuse[i].rgb * ndotl;
	if ( ndotl > 0.0 )
	{
		vec3 h = normalize( l + normalize( -cs_position ) );
		c += mixed_specular.rgb * LightSpecular[i].rgb * pow( max( dot( n, h ), 0.0 ), MaterialShininess );
	}
	return vec4( c * falloff, 0.0 );
}
