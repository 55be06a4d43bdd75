// texture_manager.h - GL textures from pixels or image files; file textures kept by name.
//
// Owned by the graphics context. Construction needs a current GL context: it loads the two
// default textures "data/textures/default_white.png" and "data/textures/default_black.png".
// Destruction deletes the GL texture of every texture loaded from a file. Textures created
// from pixels belong to their caller.
#pragma once

#include "texture_handle.h"

#include <string>
#include <unordered_map>

// GL values of the system's codes. An unknown code fails an assertion and gives 0.
uint32_t glFormatOfCode(int code);       // "unknown format"
uint32_t glPixelFormatOfCode(int code);  // as glFormatOfCode, but code 3 uploads as GL_RGBA
uint32_t glTargetOfDimensions(int dims); // 1, 2, 3; "unknown textarget"
uint32_t glWrapOfMode(int wrap);         // 1 repeat, 2 clamp to edge; "unknown wrapmode"

// What a texture of internal format `code` is stored as: glFormatOfCode, except that a
// compressed code is stored uncompressed (GL_RGB8, GL_RGBA8) on a renderer that would decode
// the compressed blocks in software on every read (Mesa's llvmpipe and softpipe). The handle
// keeps the code that was asked for.
uint32_t glStorageOfCode(int code);
bool decodesCompressedTexturesInSoftware();

class TextureManager {
  public:
    TextureManager();
    ~TextureManager();
    TextureManager(const TextureManager&) = delete;
    TextureManager& operator=(const TextureManager&) = delete;

    // Pixels are unsigned bytes and may be null (storage only). Not registered.
    TextureHandle* createTexture(int width, int height, int depth, int dimensions, int wrap,
                                 int pixelFormat, int internalFormat, bool mipmaps,
                                 const void* pixels);
    // Returns the registered texture for a known file name (other arguments ignored), else
    // loads it; dimensions 0 = decided by the image. Null for anything but 24/32-bit images.
    TextureHandle* loadTexture(const std::string& file, bool mipmaps, int wrap, bool compress,
                               int dimensions);
    void updateTexture(TextureHandle* texture, int x, int y, int width, int height, int pixelFormat,
                       const void* pixels);

  private:
    std::unordered_map<std::string, TextureHandle*> byFile_;
};
