	gl_Position = ProjectionMatrix * ModelViewMatrix * vec4( Position, 1.0 );
