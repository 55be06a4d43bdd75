// post_radial_blur.h - the orb scene's own post pass: light streaming out from the middle of
// the frame, in the form of the post-processing library's passes (postfx.h): the first call
// registers the shader, every call draws one full-screen quad from `source` into
// `destination` under the default 2-D render state and leaves that state as it found it.
//
// The blur itself is the shader's (post_radialblur.frag): "multiplier" scales the glow (0
// leaves the picture as it is), "dist" is its reach in pixels, "time_s" moves its centre.
// A null source draws nothing; a null destination draws into the bound framebuffer.
#pragma once

struct TextureHandle;
class igfxContext;
class iRenderTarget;

void postRadialBlur(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination,
                    float time, float distance, float multiplier);
