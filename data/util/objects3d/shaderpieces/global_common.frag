out vec4 FragColor;
