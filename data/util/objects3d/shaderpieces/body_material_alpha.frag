	color.a = mixed_diffuse.a;
