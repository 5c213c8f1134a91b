in vec3 cs_position;
in vec3 cs_normal;
