#pragma once
// Sampler state and mipmaps as 2D and cube textures set them up.
#include <GL/glew.h>

// Trilinear filtering at the driver's widest anisotropy with mipmaps, the
// given filters without; applies to the texture bound to `target`.
void set_texture_filtering(GLenum target, bool mipmaps, int minFilter, int magFilter);

// After the image is uploaded: builds the mipmaps (through GL_GENERATE_MIPMAP
// on drivers whose glGenerateMipmap is unreliable), or turns generation off.
void finish_texture_mipmaps(GLenum target, bool mipmaps);
