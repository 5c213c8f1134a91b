uniform sampler2D DiffuseMap;
vec4 texcolor;
