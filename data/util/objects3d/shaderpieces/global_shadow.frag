uniform samplerCubeShadow ShadowMap;
uniform mat4 camera_view_matrix_inv;
uniform mat4 light_view_matrix;
uniform mat4 light_projection_matrix;
