uniform sampler2D NormalMap;
in vec3 eyedir_tbn;
