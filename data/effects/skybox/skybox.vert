// Sky box: fixed-function vertex and matrices; the cube corner, passed as a
// three-component texture coordinate, is the cube map's look-up direction.
#version 120

varying vec3 direction;

void main()
{
    direction = gl_MultiTexCoord0.xyz;
    gl_FrontColor = gl_Color;
    gl_Position = ftransform();
}
