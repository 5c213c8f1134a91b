layout( location = VERTEX_ATTRIB_NORMAL ) in vec3 Normal;
out vec3 cs_position;
out vec3 cs_normal;
