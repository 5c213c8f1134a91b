	color += calc_light( 0 );
