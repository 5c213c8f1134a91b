	FragColor = color;
