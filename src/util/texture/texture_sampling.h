#pragma once
// Sampler state and mipmaps as 2D and cube textures set them up.
#include <GL/glew.h>

// Trilinear filtering at the driver's widest anisotropy with mipmaps, the
// given filters without; applies to the texture bound to `target`.
void set_texture_filtering(GLenum target, bool mipmaps, int minFilter, int magFilter);

// After the image is uploaded: builds the mipmaps (through GL_GENERATE_MIPMAP
// on drivers whose glGenerateMipmap is unreliable), or turns generation off.
void finish_texture_mipmaps(GLenum target, bool mipmaps);

// An empty texture with a mip chain (a framebuffer's picture, drawn before it
// is read) gets all its levels in one go, their contents as undefined as its
// first level's, where the driver allows it (a sized colour format, immutable
// storage); returns false, having done nothing, where it does not. Building
// the chain from an empty first level gave the same levels, at the cost of a
// driver program to build it and a copy of the whole texture.
bool make_empty_mip_chain(GLenum target, int internalFormat, int width, int height);
