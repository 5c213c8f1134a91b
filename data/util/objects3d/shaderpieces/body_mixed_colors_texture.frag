	texcolor = texture( DiffuseMap, TexCoordFrag );
	mixed_diffuse = vec4( mix( MaterialDiffuse.rgb, MaterialDiffuse.rgb * texcolor.rgb, texcolor.a ), MaterialDiffuse.a );
