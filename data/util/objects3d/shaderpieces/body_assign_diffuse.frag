	FragColor = MaterialDiffuse;
