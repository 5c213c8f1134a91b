uniform mat4 ProjectionMatrix;
uniform mat4 ModelViewMatrix;
