// texture_handle.h - the texture record every part of the system passes around.
//
// Made by the texture manager and by render targets; users never free it. Format codes are
// the system's own 0..15 (see texture_manager.h for their GL values).
#pragma once

#include <cstdint>

struct TextureHandle {
    uint32_t target; // GL_TEXTURE_1D, GL_TEXTURE_2D or GL_TEXTURE_3D
    uint32_t name;   // GL texture name
    int32_t width;   // pixels
    int32_t height;  // pixels (1D textures keep the height they were given)
    int32_t format;  // internal format code, 0..15
    bool srgb;       // false for plain textures; render targets report theirs
};

// Format codes, for internal and pixel formats alike.
enum FormatCode : int32_t {
    kFormatRed = 0,
    kFormatRG8 = 1,
    kFormatRGB8 = 2,
    kFormatRGBA8 = 3,
    kFormatBGR = 4,
    kFormatBGRA = 5,
    kFormatCompressedRGB = 6,
    kFormatCompressedRGBA = 7,
    kFormatR16 = 8,
    kFormatRG16 = 9,
    kFormatRGB16 = 10,
    kFormatRGBA16 = 11,
    kFormatDepth = 12,
    kFormatDepth16 = 13,
    kFormatDepth24 = 14,
    kFormatDepth24Stencil8 = 15,
};

inline bool isDepthFormat(int32_t code) {
    return code >= kFormatDepth && code <= kFormatDepth24Stencil8;
}
