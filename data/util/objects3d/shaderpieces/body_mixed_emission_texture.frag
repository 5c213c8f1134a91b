	vec4 emission_texel = texture( EmissionMap, TexCoordFrag );
	mixed_emission = vec4( MaterialEmission.rgb + emission_texel.rgb * emission_texel.a, MaterialEmission.a );
