	color.rgb *= shadow_test();
