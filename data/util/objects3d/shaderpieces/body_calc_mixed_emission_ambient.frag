	color += vec4( mixed_ambient.rgb + mixed_emission.rgb, 0.0 );
	color.a = MaterialDiffuse.a;
