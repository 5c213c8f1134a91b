layout( location = VERTEX_ATTRIB_TANGENT ) in vec3 Tangent;
out vec3 eyedir_tbn;
vec3 tbn_tangent;
vec3 tbn_bitangent;
vec3 tbn_normal;
