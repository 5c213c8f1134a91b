	FragColor = MaterialDiffuse * texture( DiffuseMap, TexCoordFrag );
