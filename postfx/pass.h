// pass.h - what every pass shares: the library's own, and a scene's own passes built the same way.
//
// The standard pass: register on first use, push state, default 2-D state, bind the
// destination keeping its contents, use the shader, set textures and uniforms, draw a
// full-screen quad, unbind, pop state. beginPass/endPass are its two halves.
#pragma once

#include "igfx_context.h"
#include "irender_target.h"
#include "texture_handle.h"

#include <initializer_list>
#include <string>

// Names go to the context as std::string references: passes keep theirs as static constants,
// so a pass allocates nothing per call (a literal would build a string every time).
extern const std::string kTex0;     // "tex0"
extern const std::string kTex0Size; // "tex0siz"
extern const std::string kOpacity;  // "opasity"

// Registers a shader pair from data/shaders/ once per module; `registered` is the pass's flag.
void postRegister(igfxContext* gfx, bool& registered, const char* name, const char* vertexFile,
                  const char* fragmentFile);

// A pass's program and the ones it draws special cases with (same vertex file, a fragment file
// each), all under the pass's one flag.
struct PostVariant {
    const char* name;
    const char* fragmentFile;
};
void postRegisterWithVariants(igfxContext* gfx, bool& registered, const char* name,
                              const char* vertexFile, const char* fragmentFile,
                              std::initializer_list<PostVariant> variants);

// The size a pass draws at: the destination's texture, or without one the bound viewport's.
void destinationSize(igfxContext* gfx, iRenderTarget** destination, int& width, int& height);
// Whether `texture` is that size: each pixel then reads exactly one texel.
bool sameSizeAsDestination(igfxContext* gfx, const TextureHandle* texture,
                           iRenderTarget** destination);

// Standard steps 2-4: push, default 2-D state, bind the destination with `clearFlags`, use
// the shader. A null destination draws into whatever framebuffer is bound (postfx.h).
void beginPass(igfxContext* gfx, const std::string& shader, iRenderTarget** destination,
               int clearFlags = 0);
// Standard steps 6-8: draw the full-screen quad, unbind, pop.
void endPass(igfxContext* gfx, iRenderTarget** destination);

// A scalar uniform goes out in all four components.
void setScalar(igfxContext* gfx, const std::string& shader, const std::string& uniform,
               float value);
void setVec4(igfxContext* gfx, const std::string& shader, const std::string& uniform, float x,
             float y, float z, float w);
// "tex0siz" = (w, h, 1/w, 1/h) of the texture.
void setTextureSize(igfxContext* gfx, const std::string& shader, const TextureHandle* texture,
                    const std::string& uniform = kTex0Size);

// The copy texel for texel ("passthrough_texel", each pixel reading the texel texelOf finds):
// what a blit of a picture of the viewport's size draws, and what a pass whose effect is at
// zero draws instead of its own program when that would copy every texel unchanged.
extern const std::string kPassthroughTexel;
void registerTexelCopy(igfxContext* gfx);
// The standard pass with that program, source into destination.
void texelCopyPass(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination);
