// picture.h - what the texture generators share: a float RGB picture saved through FreeImage,
// and the two shaping functions every generator draws with. Header-only; generators link
// FreeImage themselves (add_texture_generator in tools/CMakeLists.txt).
#pragma once

#include <FreeImage.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

struct Rgb {
    float r, g, b;
};

// The colour arithmetic every generator draws with.
inline Rgb operator+(Rgb a, Rgb b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
inline Rgb operator*(Rgb a, float k) {
    return {a.r * k, a.g * k, a.b * k};
}
// From a (t = 0) to b (t = 1); t past 1 goes on beyond b (more of b's difference from a).
inline Rgb mix(Rgb a, Rgb b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
// Rec. 709 luma.
inline float luma(Rgb c) {
    return 0.2126f * c.r + 0.7152f * c.g + 0.0722f * c.b;
}

inline float clamp01(float x) {
    return std::min(1.0f, std::max(0.0f, x));
}

inline float smoothstep(float e0, float e1, float x) {
    const float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}

// A 24-bit picture, colours 0..1. Which way its rows run is the generator's choice; the file
// always comes out the right way up (FreeImage stores the bottom row first).
class Picture {
  public:
    enum RowOrder { kBottomFirst, kTopFirst };

    Picture(int width, int height, RowOrder order = kBottomFirst)
        : width_(width), height_(height), order_(order), pixels_(width * height) {}
    int width() const { return width_; }
    int height() const { return height_; }
    Rgb& at(int x, int y) { return pixels_[y * width_ + x]; }

    // False, with a line naming `tool` and the file, when it cannot be written.
    bool save(const std::string& path, FREE_IMAGE_FORMAT format, int flags,
              const char* tool) const {
        FIBITMAP* bitmap = FreeImage_Allocate(width_, height_, 24);
        bool saved = false;
        if (bitmap) {
            for (int y = 0; y < height_; ++y) {
                BYTE* row =
                    FreeImage_GetScanLine(bitmap, order_ == kTopFirst ? height_ - 1 - y : y);
                for (int x = 0; x < width_; ++x) {
                    const Rgb& c = pixels_[y * width_ + x];
                    row[x * 3 + FI_RGBA_RED] = toByte(c.r);
                    row[x * 3 + FI_RGBA_GREEN] = toByte(c.g);
                    row[x * 3 + FI_RGBA_BLUE] = toByte(c.b);
                }
            }
            saved = FreeImage_Save(format, bitmap, path.c_str(), flags);
            FreeImage_Unload(bitmap);
        }
        if (!saved) std::fprintf(stderr, "%s: cannot write %s\n", tool, path.c_str());
        return saved;
    }

  private:
    static BYTE toByte(float v) { return static_cast<BYTE>(std::lround(clamp01(v) * 255.0f)); }

    int width_, height_;
    RowOrder order_;
    std::vector<Rgb> pixels_;
};
