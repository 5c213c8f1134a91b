#version 420
// Fade: color.x chooses the target (1 white, 0 black), color.y how far the
// picture moves toward it (0 unchanged, 1 and above fully faded).
uniform sampler2D Texture;
uniform vec2 color;

in vec2 TexCoordFrag;
out vec4 FragColor;

void main()
{
	vec4 source = texture2D( Texture, TexCoordFrag );
	vec3 target = vec3( color.x );
	FragColor = vec4( mix( source.rgb, target, clamp( color.y, 0.0, 1.0 ) ), source.a );
}
