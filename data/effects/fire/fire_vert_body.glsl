	// The quad covers the whole framebuffer.
	uv = TexCoord;
	gl_Position = vec4( Position * 2.0 - 1.0, 0.0, 1.0 );
