	texcolor = texture( DiffuseMap, TexCoordFrag );
	mixed_ambient = GlobalAmbient * vec4( mix( MaterialAmbient.rgb, MaterialAmbient.rgb * texcolor.rgb, texcolor.a ), MaterialAmbient.a );
