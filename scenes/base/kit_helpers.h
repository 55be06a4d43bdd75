// kit_helpers.h - small steps every scene's render repeats, each with its pitfall handled
// once: loading a texture with a named set of options, setting blend factors from a preset,
// the aspect ratio of the viewport, and turning a track value into an integer choice.
#pragma once

#include "scene_codes.h"

#include <string>

class igfxContext;
struct TextureHandle;

// gfx->loadTexture with the options of `how` (scene_codes.h). The context caches by file, so
// a call in every frame reads the file once. Null when the image cannot be used (the context
// has said why); callers must test it before reading its size.
// A render that looks a texture up every frame passes its file as a `const std::string`
// constant: a literal would build a string (a heap allocation, for any real path) per call.
TextureHandle* loadTexture(igfxContext* gfx, const char* file, const TextureLoad& how);
TextureHandle* loadTexture(igfxContext* gfx, const std::string& file, const TextureLoad& how);

// Sets the four blend factors of the requested render state; the rest of the word stays.
void setBlend(igfxContext* gfx, const BlendFactors& blend);

// Width / height of the current viewport, for a camera that fills it. A viewport that was
// never set (-1 x -1) or has no height gives the screen's 16:9, not an infinite or negative
// aspect that would fill every matrix with NaN.
float viewportAspect(igfxContext* gfx);

// The integer part of a track value (truncated toward zero), limited to lo..hi. Track values
// are arbitrary floats (a damaged file may hold anything, NaN included), and converting a
// float outside int's range is undefined, so the limits are applied to the float first. NaN
// gives lo. For "integer part of (value + 0.5)" pass value + 0.5f.
int trackInteger(float value, int lo, int hi);
