// Sky box: the cube map on texture unit 0, tinted by the current colour.
#version 120

uniform samplerCube cubemap;

varying vec3 direction;

void main()
{
    gl_FragColor = textureCube(cubemap, direction) * gl_Color;
}
