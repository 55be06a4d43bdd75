// make_postfx_textures - draws three images into a directory, all from code:
//   vignette02.png   256 x 256: white in the middle, falling off to dark corners; frames are
//                    multiplied by it (the modulate composite), so the centre must stay 1.0.
//   noise.png        256 x 256: film grain, independent in each channel, mean grey, tiling
//                    seamlessly (every filter wraps around the edges).
//   loadscreen.jpg   1280 x 720: the loading-screen picture, a sun setting over a sea framed by
//                    kelp, under the title.
// Everything comes from a fixed seed, so every run writes the same pixels.
//
// Usage: make_postfx_textures <directory>
#include "picture.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// ---- small helpers --------------------------------------------------------------------------

// Integer hash to [0, 1): the same input gives the same value on every machine.
float hash01(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352du;
    x ^= x >> 15;
    x *= 0x846ca68bu;
    x ^= x >> 16;
    return static_cast<float>(x >> 8) / 16777216.0f;
}
float hash2(int x, int y, uint32_t seed) {
    return hash01(static_cast<uint32_t>(x) * 73856093u ^ static_cast<uint32_t>(y) * 19349663u ^
                  seed * 83492791u);
}

// Box blur of a single-channel image along both axes, `radius` pixels each way; `wrap`
// reads across the edges (tiling images), otherwise the edge pixel repeats.
void boxBlur(std::vector<float>& v, int width, int height, int radius, bool wrap) {
    std::vector<float> tmp(v.size());
    auto pick = [&](int i, int n) {
        return wrap ? ((i % n) + n) % n : std::min(n - 1, std::max(0, i));
    };
    const float k = 1.0f / static_cast<float>(2 * radius + 1);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            float sum = 0.0f;
            for (int d = -radius; d <= radius; ++d) sum += v[y * width + pick(x + d, width)];
            tmp[y * width + x] = sum * k;
        }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            float sum = 0.0f;
            for (int d = -radius; d <= radius; ++d) sum += tmp[pick(y + d, height) * width + x];
            v[y * width + x] = sum * k;
        }
}

// ---- vignette -------------------------------------------------------------------------------

bool writeVignette(const std::string& path) {
    const int size = 256;
    Picture picture(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            // -1..1 across the image; the corners lie at sqrt(2).
            const float u = (static_cast<float>(x) + 0.5f) / size * 2.0f - 1.0f;
            const float v = (static_cast<float>(y) + 0.5f) / size * 2.0f - 1.0f;
            const float r = std::sqrt(u * u + v * v);
            const float k = 1.0f - 0.85f * smoothstep(0.35f, 1.42f, r);
            picture.at(x, y) = {k, k, k};
        }
    return picture.save(path, FIF_PNG, PNG_DEFAULT, "make_postfx_textures");
}

// ---- grain ----------------------------------------------------------------------------------

bool writeNoise(const std::string& path) {
    const int size = 256;
    Picture picture(size, size);
    for (int channel = 0; channel < 3; ++channel) {
        std::vector<float> v(size * size);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) v[y * size + x] = hash2(x, y, 17u + channel) - 0.5f;
        // A one-pixel blur gives the grain a little body (clumps of about two pixels).
        boxBlur(v, size, size, 1, true);
        double sum = 0.0, squares = 0.0;
        for (float f : v) {
            sum += f;
            squares += double(f) * f;
        }
        const double mean = sum / v.size();
        const double deviation = std::sqrt(squares / v.size() - mean * mean);
        // Mean grey, a deviation of about 40 of 255: strong enough to read, rarely clipped.
        const float gain = static_cast<float>(0.16 / deviation);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const float g = 0.5f + (v[y * size + x] - static_cast<float>(mean)) * gain;
                Rgb& c = picture.at(x, y);
                (channel == 0 ? c.r : channel == 1 ? c.g : c.b) = g;
            }
    }
    return picture.save(path, FIF_PNG, PNG_DEFAULT, "make_postfx_textures");
}

// ---- loading-screen picture -----------------------------------------------------------------

const int kScreenW = 1280;
const int kScreenH = 720;
const float kHorizon = 300.0f; // rows from the bottom
const float kSunX = 640.0f;
const float kSunY = 400.0f;
const float kSunRadius = 150.0f;

// A 5 x 7 pixel font, just the letters of the title.
struct Glyph {
    char letter;
    const char* rows[7]; // top row first
};
const Glyph kFont[] = {
    {'V', {"X...X", "X...X", ".X.X.", ".X.X.", ".X.X.", "..X..", "..X.."}},
    {'A', {".XXX.", "X...X", "X...X", "XXXXX", "X...X", "X...X", "X...X"}},
    {'N', {"X...X", "XX..X", "X.X.X", "X..XX", "X...X", "X...X", "X...X"}},
    {'T', {"XXXXX", "..X..", "..X..", "..X..", "..X..", "..X..", "..X.."}},
    {'L', {"X....", "X....", "X....", "X....", "X....", "X....", "XXXXX"}},
    {'O', {".XXX.", "X...X", "X...X", "X...X", "X...X", "X...X", ".XXX."}},
    {'I', {".XXX.", "..X..", "..X..", "..X..", "..X..", "..X..", ".XXX."}},
    {'D', {"XXXX.", "X...X", "X...X", "X...X", "X...X", "X...X", "XXXX."}},
    {'E', {"XXXXX", "X....", "X....", "XXXX.", "X....", "X....", "XXXXX"}},
    {'S', {".XXXX", "X....", "X....", ".XXX.", "....X", "....X", "XXXX."}},
};

const Glyph* findGlyph(char c) {
    for (const Glyph& g : kFont)
        if (g.letter == c) return &g;
    return nullptr; // a blank
}

// Coverage (0..1) of the title at every pixel, from 4 x 4 samples per pixel.
std::vector<float> titleMask(const char* text, int cell, float centreY) {
    std::vector<float> mask(kScreenW * kScreenH, 0.0f);
    const int advance = 6 * cell;
    const int length = static_cast<int>(std::string(text).size());
    const float left = (kScreenW - (length * advance - cell)) * 0.5f;
    const float top = centreY + 3.5f * cell;
    for (int y = 0; y < kScreenH; ++y)
        for (int x = 0; x < kScreenW; ++x) {
            int hits = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    const float px = x + (sx + 0.5f) / 4.0f - left;
                    const float py = top - (y + (sy + 0.5f) / 4.0f);
                    if (px < 0.0f || py < 0.0f) continue;
                    const int index = static_cast<int>(px) / advance;
                    const int column = (static_cast<int>(px) % advance) / cell;
                    const int row = static_cast<int>(py) / cell;
                    if (index >= length || column > 4 || row > 6) continue;
                    const Glyph* g = findGlyph(text[index]);
                    if (g && g->rows[row][column] == 'X') ++hits;
                }
            mask[y * kScreenW + x] = hits / 16.0f;
        }
    return mask;
}

Rgb sky(float x, float y) {
    const Rgb zenith = {0.03f, 0.03f, 0.12f}, mid = {0.22f, 0.07f, 0.32f},
              low = {0.95f, 0.38f, 0.36f};
    const float h = (y - kHorizon) / (kScreenH - kHorizon); // 0 at the horizon, 1 at the top
    Rgb c = h < 0.45f ? mix(low, mid, smoothstep(0.0f, 0.45f, h))
                      : mix(mid, zenith, smoothstep(0.45f, 1.0f, h));
    // Stars, fading out towards the glow of the horizon.
    const float star = hash2(static_cast<int>(x), static_cast<int>(y), 5u);
    if (star > 0.9985f) c = c + Rgb{1.0f, 0.95f, 0.9f} * (smoothstep(0.3f, 0.8f, h) * 0.8f);
    return c;
}

// The sun with the bands cut out of its lower half; returns coverage in `alpha`.
Rgb sun(float x, float y, float& alpha) {
    const float dx = x - kSunX, dy = y - kSunY;
    const float r = std::sqrt(dx * dx + dy * dy);
    alpha = clamp01(kSunRadius - r + 0.5f);
    // Bands get thicker towards the bottom of the disc.
    const float below = (kSunY - y) / kSunRadius; // 0 at the centre, 1 at the bottom
    if (below > 0.0f) {
        const float period = 26.0f;
        const float phase = std::fmod(kSunY - y, period);
        const float gap = 2.0f + 12.0f * below;
        alpha *= clamp01(std::fabs(phase - period * 0.5f) - gap * 0.5f + 0.5f);
    }
    const float t = clamp01((y - (kSunY - kSunRadius)) / (2.0f * kSunRadius));
    return mix({1.0f, 0.25f, 0.45f}, {1.0f, 0.88f, 0.35f}, t);
}

Rgb sea(float x, float y) {
    const float depth = (kHorizon - y) / kHorizon; // 0 at the horizon, 1 at the bottom
    Rgb c = mix({0.25f, 0.10f, 0.28f}, {0.01f, 0.06f, 0.10f}, smoothstep(0.0f, 0.7f, depth));
    // The sun's path on the water: broken streaks that widen towards the viewer.
    const float width = 120.0f + 260.0f * depth;
    const float along = std::exp(-std::pow((x - kSunX) / width, 2.0f));
    const float wave =
        std::sin(std::pow(kHorizon - y, 0.75f) * 1.7f + std::sin(x * 0.021f + y * 0.13f) * 1.5f);
    const float streak = smoothstep(0.55f, 0.95f, wave) * along * (1.0f - 0.6f * depth);
    c = c + Rgb{1.0f, 0.55f, 0.45f} * streak;
    // The horizon's own glow.
    c = c + Rgb{0.7f, 0.25f, 0.3f} * (std::exp(-(kHorizon - y) / 8.0f) * 0.6f);
    return c;
}

// Coverage of the kelp strands that frame the picture on both sides.
float kelp(float x, float y) {
    float cover = 0.0f;
    for (int i = 0; i < 14; ++i) {
        const bool leftSide = i < 7;
        const float base = leftSide
                               ? 20.0f + 34.0f * i + 18.0f * hash01(i * 7u + 1u)
                               : kScreenW - 20.0f - 34.0f * (i - 7) - 18.0f * hash01(i * 7u + 2u);
        const float height = 260.0f + 300.0f * hash01(i * 7u + 3u);
        if (y > height) continue;
        const float rise = y / height;
        const float sway =
            std::sin(y * (0.012f + 0.006f * hash01(i * 7u + 4u)) + 6.28f * hash01(i * 7u + 5u)) *
            (18.0f + 22.0f * rise);
        const float halfWidth = 9.0f * (1.0f - rise) + 1.5f;
        const float edge = halfWidth - std::fabs(x - (base + sway));
        cover = std::max(cover, clamp01(edge + 0.5f));
    }
    return cover;
}

bool writeLoadScreen(const std::string& path) {
    Picture picture(kScreenW, kScreenH);
    std::vector<float> title = titleMask("VANTALOID TIDES", 9, 652.0f);
    std::vector<float> glow = title;
    for (int pass = 0; pass < 3; ++pass) boxBlur(glow, kScreenW, kScreenH, 7, false);

    for (int y = 0; y < kScreenH; ++y)
        for (int x = 0; x < kScreenW; ++x) {
            const float fx = x + 0.5f, fy = y + 0.5f;
            Rgb c;
            if (fy >= kHorizon) {
                c = sky(fx, fy);
                float alpha = 0.0f;
                const Rgb disc = sun(fx, fy, alpha);
                c = mix(c, disc, alpha);
                // A soft halo round the sun.
                const float r = std::hypot(fx - kSunX, fy - kSunY);
                c = c + Rgb{0.6f, 0.2f, 0.3f} * (0.35f * std::exp(-(r - kSunRadius) / 60.0f) *
                                                 (r > kSunRadius ? 1.0f : 0.0f));
            } else {
                c = sea(fx, fy);
            }
            c = mix(c, {0.01f, 0.02f, 0.04f}, kelp(fx, fy));

            const int i = y * kScreenW + x;
            c = c + Rgb{0.9f, 0.3f, 0.6f} * (glow[i] * 1.4f);
            c = mix(c, {1.0f, 0.93f, 0.85f}, title[i]);

            // Darken towards the corners, as a lens would.
            const float u = fx / kScreenW * 2.0f - 1.0f, v = fy / kScreenH * 2.0f - 1.0f;
            c = c * (1.0f - 0.35f * smoothstep(0.6f, 1.45f, std::sqrt(u * u + v * v)));
            picture.at(x, y) = c;
        }
    return picture.save(path, FIF_JPEG, JPEG_QUALITYSUPERB, "make_postfx_textures");
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: make_postfx_textures <directory>\n", stderr);
        return 2;
    }
    const std::string dir = argv[1];
    const bool ok = writeVignette(dir + "/vignette02.png") && writeNoise(dir + "/noise.png") &&
                    writeLoadScreen(dir + "/loadscreen.jpg");
    return ok ? 0 : 1;
}
