// lut_loader.h - colour look-up tables for grading, from strip images to 3D textures.
//
// A look-up image holds n square slices of n x n pixels side by side (n * n wide, n high);
// slice z, column x, row y becomes texel (x, y, z). Rows count as the image stores them,
// bottom row first, the same way a 2D texture of the image is laid out. Scenes call this in
// initialise; the texture belongs to the caller and is never freed during a run.
#pragma once

#include <string>

class igfxContext;
struct TextureHandle;

// An n x n x n RGBA8 3D texture, clamped, without mipmaps; alpha is 255 throughout. An image
// that cannot be read, is not 24 or 32 bits per pixel, or is not n * n wide gives null after
// one "## ERROR" line on the standard error naming the file; postRgbLut grades with a null
// table as the identity, so the scene goes on ungraded.
TextureHandle* loadColorLut(igfxContext* gfx, const std::string& file);
