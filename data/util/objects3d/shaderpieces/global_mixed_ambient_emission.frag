uniform vec4 GlobalAmbient;
uniform vec4 MaterialAmbient;
uniform vec4 MaterialEmission;
vec4 mixed_ambient;
vec4 mixed_emission;
