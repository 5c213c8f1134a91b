	FragColor = MaterialGlow * texture( GlowMap, TexCoordFrag );
