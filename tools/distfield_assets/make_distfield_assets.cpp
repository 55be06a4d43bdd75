// make_distfield_assets - draws the distance-field scene's images into <data>/textures/:
//   tlv_wobble.png     256 x 256: three independent, seamlessly tiling noises (red: soft
//                      fbm that ripples surfaces, green: ridged veins, blue: fine fbm). The
//                      scene loads it clamped, so the shader wraps coordinates itself; the
//                      tiling keeps that seam invisible.
//   stripeback02.png   1024 x 576: slanted stripes over a dusk gradient, behind the emblem.
//   tolvane_logo.jpg   512 x 256: "TOLVANE" with an underline and a halo.
//   logo_kelpmoor.png  512 x 128: "KELPMOOR" over a wave.
//   pruxa_logo.jpg     512 x 256: "PRUXA" inside a ring.
// Logos sit on black: the scene adds them to the frame, so black is transparent. Letters are
// the asset kit's 5 x 7 block font rendered as a distance field (rounded, anti-aliased,
// with a glow).
// Fixed seeds: every run writes the same pixels.
//
// Usage: make_distfield_assets <data directory>
#include "block_font.h"
#include "picture.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// ---- pictures -------------------------------------------------------------------------------

// ---- tiling noise ---------------------------------------------------------------------------

// Value noise on a lattice of `cells` per tile, wrapping so the tile repeats exactly.
class TileNoise {
  public:
    explicit TileNoise(uint32_t seed) : seed_(seed) {}

    float at(float x, float y, int cells) const {
        const float fx = x * cells, fy = y * cells;
        const int ix = static_cast<int>(std::floor(fx)), iy = static_cast<int>(std::floor(fy));
        const float tx = fade(fx - ix), ty = fade(fy - iy);
        auto v = [&](int cx, int cy) { return lattice(wrap(cx, cells), wrap(cy, cells), cells); };
        const float top = v(ix, iy) + (v(ix + 1, iy) - v(ix, iy)) * tx;
        const float bottom = v(ix, iy + 1) + (v(ix + 1, iy + 1) - v(ix, iy + 1)) * tx;
        return top + (bottom - top) * ty;
    }

    // Octaves doubling the lattice each time, normalised to 0..1.
    float fbm(float x, float y, int cells, int octaves) const {
        float sum = 0.0f, weight = 0.5f, total = 0.0f;
        for (int o = 0; o < octaves; ++o) {
            sum += at(x, y, cells << o) * weight;
            total += weight;
            weight *= 0.5f;
        }
        return sum / total;
    }

  private:
    static int wrap(int i, int n) { return ((i % n) + n) % n; }
    static float fade(float t) { return t * t * (3.0f - 2.0f * t); }
    float lattice(int x, int y, int cells) const {
        uint32_t h = seed_ ^ (static_cast<uint32_t>(x) * 73856093u) ^
                     (static_cast<uint32_t>(y) * 19349663u) ^
                     (static_cast<uint32_t>(cells) * 83492791u);
        h ^= h >> 13;
        h *= 0x5bd1e995u;
        h ^= h >> 15;
        return static_cast<float>(h & 0xffffu) / 65535.0f;
    }
    uint32_t seed_;
};

bool writeWobble(const std::string& path) {
    const int size = 256;
    Picture pic(size, size, Picture::kTopFirst); // row 0 at the top
    const TileNoise soft(1u), veins(2u), fine(3u);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float u = float(x) / size, v = float(y) / size;
            const float ridge = 1.0f - std::fabs(veins.fbm(u, v, 4, 4) * 2.0f - 1.0f);
            pic.at(x, y) = {soft.fbm(u, v, 4, 4), std::pow(ridge, 3.0f), fine.fbm(u, v, 16, 3)};
        }
    return pic.save(path, FIF_PNG, PNG_DEFAULT, "make_distfield_assets");
}

bool writeStripes(const std::string& path) {
    const int w = 1024, h = 576;
    Picture pic(w, h, Picture::kTopFirst); // row 0 at the top
    const TileNoise grain(7u);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float v = float(y) / h;
            const Rgb dusk = mix(Rgb{0.16f, 0.05f, 0.22f}, Rgb{0.02f, 0.08f, 0.16f}, v);
            const float phase = (x + y * 0.55f) / 46.0f;
            const float f = phase - std::floor(phase);
            const float stripe = smoothstep(0.0f, 0.06f, f) * (1.0f - smoothstep(0.42f, 0.48f, f));
            // A darker band behind the emblem keeps it readable.
            const float dy = (y - h * 0.5f) / (h * 0.5f), dx = (x - w * 0.5f) / (w * 0.5f);
            const float centre = 1.0f - 0.55f * std::exp(-(dx * dx * 1.5f + dy * dy * 3.0f));
            const float n = grain.fbm(float(x) / w, float(y) / h, 8, 3);
            pic.at(x, y) =
                (dusk + Rgb{0.12f, 0.05f, 0.16f} * stripe) * (centre * (0.85f + 0.3f * n));
        }
    return pic.save(path, FIF_PNG, PNG_DEFAULT, "make_distfield_assets");
}

// Fill from `top` to `bottom` colour over the letters' height, a glow of `halo` around them.
Rgb shade(float d, float v, Rgb top, Rgb bottom, Rgb halo, float glowWidth) {
    const float fill = clamp01(0.5f - d);
    const float glow = std::exp(-std::max(d, 0.0f) / glowWidth) * 0.55f;
    return halo * (glow * (1.0f - fill)) + mix(top, bottom, clamp01(v)) * fill;
}

bool writeTolvane(const std::string& path) {
    Picture pic(512, 256, Picture::kTopFirst); // row 0 at the top
    const BlockTextField text("TOLVANE", 256.0f, 112.0f, 11.0f);
    for (int y = 0; y < pic.height(); ++y)
        for (int x = 0; x < pic.width(); ++x) {
            float d = text.distance(x + 0.5f, y + 0.5f);
            // An underline that thins toward its ends.
            const float taper = 1.0f - std::fabs(x - 256.0f) / 230.0f;
            const float line = std::fabs(y + 0.5f - 170.0f) - 2.5f * std::max(taper, 0.0f);
            d = std::min(d, taper > 0.0f ? line : 1e9f);
            pic.at(x, y) = shade(d, (y - 74.0f) / 100.0f, {1.0f, 1.0f, 1.0f}, {0.55f, 0.85f, 1.0f},
                                 {0.2f, 0.45f, 1.0f}, 9.0f);
        }
    return pic.save(path, FIF_JPEG, JPEG_QUALITYSUPERB, "make_distfield_assets");
}

bool writeKelpmoor(const std::string& path) {
    Picture pic(512, 128, Picture::kTopFirst); // row 0 at the top
    const BlockTextField text("KELPMOOR", 256.0f, 54.0f, 8.0f);
    for (int y = 0; y < pic.height(); ++y)
        for (int x = 0; x < pic.width(); ++x) {
            float d = text.distance(x + 0.5f, y + 0.5f);
            const float wave = 104.0f + 6.0f * std::sin(x * 0.045f);
            const float fade =
                smoothstep(0.0f, 60.0f, float(x)) * smoothstep(512.0f, 452.0f, float(x));
            d = std::min(d, fade > 0.05f ? std::fabs(y + 0.5f - wave) - 1.5f * fade : 1e9f);
            pic.at(x, y) = shade(d, (y - 26.0f) / 90.0f, {0.75f, 1.0f, 0.8f}, {0.1f, 0.7f, 0.55f},
                                 {0.05f, 0.6f, 0.45f}, 7.0f);
        }
    return pic.save(path, FIF_PNG, PNG_DEFAULT, "make_distfield_assets");
}

bool writePruxa(const std::string& path) {
    Picture pic(512, 256, Picture::kTopFirst); // row 0 at the top
    const BlockTextField text("PRUXA", 256.0f, 128.0f, 12.0f);
    for (int y = 0; y < pic.height(); ++y)
        for (int x = 0; x < pic.width(); ++x) {
            float d = text.distance(x + 0.5f, y + 0.5f);
            const float dx = (x + 0.5f - 256.0f) / 2.0f, dy = y + 0.5f - 128.0f;
            const float ring = std::fabs(std::sqrt(dx * dx + dy * dy) - 108.0f) - 3.0f;
            d = std::min(d, ring);
            pic.at(x, y) = shade(d, (y - 86.0f) / 90.0f, {1.0f, 0.9f, 0.6f}, {1.0f, 0.4f, 0.35f},
                                 {1.0f, 0.3f, 0.45f}, 8.0f);
        }
    return pic.save(path, FIF_JPEG, JPEG_QUALITYSUPERB, "make_distfield_assets");
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_distfield_assets <data directory>\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/textures/";
    FreeImage_Initialise(FALSE);
    bool ok = writeWobble(dir + "tlv_wobble.png");
    ok = writeStripes(dir + "stripeback02.png") && ok;
    ok = writeTolvane(dir + "tolvane_logo.jpg") && ok;
    ok = writeKelpmoor(dir + "logo_kelpmoor.png") && ok;
    ok = writePruxa(dir + "pruxa_logo.jpg") && ok;
    FreeImage_DeInitialise();
    return ok ? 0 : 1;
}
