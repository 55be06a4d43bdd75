// texture_manager.cpp - see texture_manager.h.
//
// The manager is built by the graphics context before the entry-point loader has run, so the
// path taken by the default textures (2D, no mipmaps) calls GL 1.1 functions only, and every
// newer entry point is checked before use.
#include "texture_manager.h"

#include "assert_failed.h"
#include "gl_loader.h"
#include "image.h"

#include <cstdio>
#include <cstring>

// ---- code tables --------------------------------------------------------------------------

// Every GL value in these tables is non-zero, so 0 unambiguously means "unknown code".

uint32_t glFormatOfCode(int code) {
    static const uint32_t table[16] = {
        GL_RED,
        GL_RG8,
        GL_RGB8,
        GL_RGBA8,
        GL_BGR,
        GL_BGRA,
        GL_COMPRESSED_RGB,
        GL_COMPRESSED_RGBA,
        GL_R16,
        GL_RG16,
        GL_RGB16,
        GL_RGBA16,
        GL_DEPTH_COMPONENT,
        GL_DEPTH_COMPONENT16,
        GL_DEPTH_COMPONENT24,
        GL_DEPTH24_STENCIL8,
    };
    if (code < 0 || code >= 16) {
        assertFailed("unknown format");
        return 0;
    }
    return table[code];
}

uint32_t glPixelFormatOfCode(int code) {
    // GL_RGBA8 is a sized internal format; as a pixel layout it is plain GL_RGBA.
    if (code == kFormatRGBA8) return GL_RGBA;
    return glFormatOfCode(code);
}

uint32_t glTargetOfDimensions(int dims) {
    switch (dims) {
    case 1:
        return GL_TEXTURE_1D;
    case 2:
        return GL_TEXTURE_2D;
    case 3:
        return GL_TEXTURE_3D;
    }
    assertFailed("unknown textarget");
    return 0;
}

uint32_t glWrapOfMode(int wrap) {
    switch (wrap) {
    case 1:
        return GL_REPEAT;
    case 2:
        return GL_CLAMP_TO_EDGE;
    }
    assertFailed("unknown wrapmode");
    return 0;
}

// ---- internal -----------------------------------------------------------------------------

namespace {

const char* const kDefaultWhite = "data/textures/default_white.png";
const char* const kDefaultBlack = "data/textures/default_black.png";

bool isPowerOfTwo(int n) {
    return n > 0 && (n & (n - 1)) == 0;
}

} // namespace

bool decodesCompressedTexturesInSoftware() {
    // Asked once per module: the renderer is the same for the life of the process. Before a
    // context is current there is no renderer string, and the answer is "no" (asked again).
    static int known = -1;
    if (known < 0) {
        const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
        if (!renderer) return false;
        known = std::strstr(renderer, "llvmpipe") || std::strstr(renderer, "softpipe") ? 1 : 0;
    }
    return known == 1;
}

uint32_t glStorageOfCode(int code) {
    // A compressed request lets the driver choose, and Mesa's software rasteriser chooses
    // DXT1/DXT5 and decodes a 4 x 4 block for every read: a filtered read of such a texture
    // costs it 3.9 times a plain one (bench_fetch_kinds), and the grain, the backgrounds and
    // the markings read one over the whole frame. There the texels are kept as they are.
    if (decodesCompressedTexturesInSoftware()) {
        if (code == kFormatCompressedRGB) return GL_RGB8;
        if (code == kFormatCompressedRGBA) return GL_RGBA8;
    }
    return glFormatOfCode(code);
}

// ---- public -------------------------------------------------------------------------------

TextureManager::TextureManager() {
    loadTexture(kDefaultWhite, false, 2, true, 0);
    loadTexture(kDefaultBlack, false, 2, true, 0);
}

TextureManager::~TextureManager() {
    for (auto& entry : byFile_) {
        glDeleteTextures(1, &entry.second->name);
        delete entry.second;
    }
    byFile_.clear();
}

TextureHandle* TextureManager::createTexture(int width, int height, int depth, int dimensions,
                                             int wrap, int pixelFormat, int internalFormat,
                                             bool mipmaps, const void* pixels) {
    // An unknown code is reported and goes to GL as 0: GL refuses the call, and the caller
    // still gets a handle (an empty texture) rather than a null it might not test.
    const GLenum target = glTargetOfDimensions(dimensions);
    const GLint wrapMode = static_cast<GLint>(glWrapOfMode(wrap));
    const GLint internal = static_cast<GLint>(glStorageOfCode(internalFormat));
    const GLenum format = glPixelFormatOfCode(pixelFormat);
    // Before the loader has run there is no glGenerateMipmap; a mipmap filter without the
    // levels would leave the texture incomplete (black), so fall back to plain filtering.
    if (mipmaps && !glGenerateMipmap) mipmaps = false;

    GLuint name = 0;
    glGenTextures(1, &name);
    if (target == 0) {
        assertFailed("unknown target");
        return new TextureHandle{target, name, width, height, internalFormat, false};
    }
    glEnable(target);
    glBindTexture(target, name);

    glTexParameteri(target, GL_TEXTURE_WRAP_S, wrapMode);
    glTexParameteri(target, GL_TEXTURE_WRAP_T, wrapMode);
    glTexParameteri(target, GL_TEXTURE_WRAP_R, wrapMode);
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    if (isDepthFormat(internalFormat)) glTexParameteri(target, GL_DEPTH_TEXTURE_MODE, GL_LUMINANCE);
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, mipmaps ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);

    switch (target) {
    case GL_TEXTURE_1D:
        glTexImage1D(target, 0, internal, width, 0, format, GL_UNSIGNED_BYTE, pixels);
        break;
    case GL_TEXTURE_2D:
        glTexImage2D(target, 0, internal, width, height, 0, format, GL_UNSIGNED_BYTE, pixels);
        break;
    default:
        // Textures made before the loader has run (the defaults) never ask for 3D.
        if (glTexImage3D)
            glTexImage3D(target, 0, internal, width, height, depth, 0, format, GL_UNSIGNED_BYTE,
                         pixels);
        else
            std::fputs("## ERROR, 3D textures need the GL entry points loaded first\n", stderr);
        break;
    }
    if (mipmaps) glGenerateMipmap(target);

    glDisable(target);
    glBindTexture(target, 0);
    return new TextureHandle{target, name, width, height, internalFormat, false};
}

TextureHandle* TextureManager::loadTexture(const std::string& file, bool mipmaps, int wrap,
                                           bool compress, int dimensions) {
    auto known = byFile_.find(file);
    if (known != byFile_.end()) return known->second;

    Image image = loadImage(file);
    image.fileName = file;
    // The lines below only say the depth is 0; this one says which file and why.
    if (!image.bitmap)
        std::fprintf(stderr, "## ERROR: cannot read image \"%s\": %s\n", file.c_str(),
                     image.error.c_str());
    const int width = image.width();
    const int height = image.height();

    if (dimensions == 0) {
        dimensions = height == 1 ? 1 : 2;
        if (dimensions == 2 && !(isPowerOfTwo(width) && isPowerOfTwo(height))) mipmaps = false;
    }

    int pixelFormat;
    int internalFormat;
    const int bpp = image.bitsPerPixel();
    if (bpp == 32) {
        pixelFormat = kFormatBGRA;
        internalFormat = compress ? kFormatCompressedRGBA : kFormatRGBA8;
    } else if (bpp == 24) {
        pixelFormat = kFormatBGR;
        internalFormat = compress ? kFormatCompressedRGB : kFormatRGB8;
    } else {
        std::fprintf(stderr, "images must be 24 or 32 bpp... \"%s\" is %d\n", file.c_str(), bpp);
        assertFailed("dafuk, image not 24 or 32bpp");
        image.freeBitmap();
        return nullptr;
    }

    // FreeImage's rows are bottom first, 4-byte aligned and BGR(A): exactly what GL unpacks
    // with its default alignment and the pixel formats above, so no copy is made.
    TextureHandle* texture = createTexture(width, height, 0, dimensions, wrap, pixelFormat,
                                           internalFormat, mipmaps, image.bits());
    image.freeBitmap();
    if (texture) byFile_[file] = texture;
    return texture;
}

void TextureManager::updateTexture(TextureHandle* texture, int x, int y, int width, int height,
                                   int pixelFormat, const void* pixels) {
    if (!texture) return;
    const GLenum format = glPixelFormatOfCode(pixelFormat);
    if (format == 0) return;

    glBindTexture(texture->target, texture->name);
    // A 1D texture has no 2D sub-image; its rows are updated along x only.
    if (texture->target == GL_TEXTURE_1D)
        glTexSubImage1D(texture->target, 0, x, width, format, GL_UNSIGNED_BYTE, pixels);
    else
        glTexSubImage2D(texture->target, 0, x, y, width, height, format, GL_UNSIGNED_BYTE, pixels);
    glBindTexture(texture->target, 0);
}
