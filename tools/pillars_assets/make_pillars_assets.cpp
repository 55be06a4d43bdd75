// make_pillars_assets - the title scene's models and textures, into <data>/models/ and
// <data>/textures/:
//   kaos.obj                  the sculpture: 24 broken rings (thick tube arcs) nested from
//                             radius 24 to 70 around the origin, each turned its own way,
//                             one group each, inner rings first, so that the scene can build
//                             it surface by surface; and a 25th group, a small core. The
//                             scene shows at most N - 1 of N surfaces, so the rings all land
//                             and the core stays a seed that is never drawn.
//   invsphere.obj             a unit sphere facing inwards; the scene scales it by 250.
//   rocks02.obj               a ring of seven faceted rock pillars and a few boulders, in
//                             units the scene scales by 42 (pillars 2.2 to 2.9 out).
//   title_brusqua_mask.png    1024 x 256: "VANTALOID" over "TIDES" in the kit's block font,
//                             white on black with a soft halo.
//   burn_gradient.png         512 x 288: white at the rim, a warm ember band across the middle
//                             where the title sits (burning darkens and saturates there).
//   LUT_passthrough.png       the identity table.
//   LUT_purple.png            everything pulled towards violet.
//   LUT_highcontrast.png      an S-curve with a little more saturation.
//   LUT_purple_darks.png      shadows to violet, highlights to warm amber (split toning).
// Fixed seeds: every run writes the same bytes.
//
// Usage: make_pillars_assets <data directory>
#include "block_font.h"
#include "colour_lut.h"
#include "obj_writer.h"
#include "picture.h"
#include "primitives.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const char* const kTool = "make_pillars_assets";

// ---- randomness -----------------------------------------------------------------------------

class Random {
  public:
    explicit Random(uint32_t seed) : state_(seed ? seed : 1u) {}
    uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    float uniform() { return float(next() & 0xffffffu) / float(0x1000000); } // 0..1
    float range(float lo, float hi) { return lo + (hi - lo) * uniform(); }

  private:
    uint32_t state_;
};

float hash3(int x, int y, int z, uint32_t seed) {
    uint32_t h =
        seed ^ (uint32_t(x) * 73856093u) ^ (uint32_t(y) * 19349663u) ^ (uint32_t(z) * 83492791u);
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return float(h & 0xffffu) / 65535.0f;
}

// Smooth value noise in 0..1.
float noise3(Vec3 p, uint32_t seed) {
    const int ix = int(std::floor(p.x)), iy = int(std::floor(p.y)), iz = int(std::floor(p.z));
    auto fade = [](float t) { return t * t * (3.0f - 2.0f * t); };
    const float fx = fade(p.x - ix), fy = fade(p.y - iy), fz = fade(p.z - iz);
    auto lerp = [](float a, float b, float t) { return a + (b - a) * t; };
    float c[2][2][2];
    for (int dz = 0; dz < 2; ++dz)
        for (int dy = 0; dy < 2; ++dy)
            for (int dx = 0; dx < 2; ++dx) c[dz][dy][dx] = hash3(ix + dx, iy + dy, iz + dz, seed);
    const float y0 = lerp(lerp(c[0][0][0], c[0][0][1], fx), lerp(c[0][1][0], c[0][1][1], fx), fy);
    const float y1 = lerp(lerp(c[1][0][0], c[1][0][1], fx), lerp(c[1][1][0], c[1][1][1], fx), fy);
    return lerp(y0, y1, fz);
}

// ---- models ---------------------------------------------------------------------------------

// Adds triangle a b c with its own three vertices and its face normal: facets for stone.
void addFacet(Mesh& mesh, MeshGroup& g, Vec3 a, Vec3 b, Vec3 c, Vec2 ua, Vec2 ub, Vec2 uc) {
    const Vec3 n = normalise(cross(b - a, c - a));
    const uint32_t i = mesh.addVertex(a, n, ua);
    const uint32_t j = mesh.addVertex(b, n, ub);
    const uint32_t k = mesh.addVertex(c, n, uc);
    mesh.addTriangle(g, i, j, k);
}

// A rough stone column standing at (x, z) from `bottom` to `top`: rings of points whose
// radius wavers with noise and narrows towards a broken, slanted crown; faceted.
void addPillar(Mesh& mesh, MeshGroup& g, float x, float z, float radius, float bottom, float top,
               uint32_t seed) {
    const int segments = 9, rings = 9;
    Random rnd(seed);
    const float lean = rnd.range(-0.08f, 0.08f), leanZ = rnd.range(-0.08f, 0.08f);
    const float crownTilt = rnd.range(0.1f, 0.35f), crownAngle = rnd.range(0.0f, 2.0f * kPi);
    std::vector<Vec3> grid((rings + 1) * segments);
    for (int r = 0; r <= rings; ++r) {
        const float t = float(r) / rings;
        const float y = bottom + (top - bottom) * t;
        // Wider at the foot, narrowing to the crown, bulging where the noise says.
        const float taper = 1.15f - 0.45f * t * t;
        for (int s = 0; s < segments; ++s) {
            const float a = 2.0f * kPi * s / segments;
            const Vec3 dir{std::cos(a), 0.0f, -std::sin(a)};
            const float bump = noise3(Vec3{dir.x * 1.3f + x, y * 1.8f, dir.z * 1.3f + z}, seed);
            const float rr = radius * taper * (0.75f + 0.5f * bump);
            float yy = y;
            if (r == rings) yy += crownTilt * radius * std::cos(a - crownAngle) * 2.0f;
            grid[r * segments + s] = {x + dir.x * rr + lean * (yy - bottom), yy,
                                      z + dir.z * rr + leanZ * (yy - bottom)};
        }
    }
    for (int r = 0; r < rings; ++r)
        for (int s = 0; s < segments; ++s) {
            const int s1 = (s + 1) % segments;
            const Vec3 a = grid[r * segments + s], b = grid[r * segments + s1];
            const Vec3 c = grid[(r + 1) * segments + s1], d = grid[(r + 1) * segments + s];
            const float u0 = float(s) / segments, u1 = float(s + 1) / segments;
            const float v0 = float(r) / rings, v1 = float(r + 1) / rings;
            addFacet(mesh, g, a, b, c, {u0, v0}, {u1, v0}, {u1, v1});
            addFacet(mesh, g, a, c, d, {u0, v0}, {u1, v1}, {u0, v1});
        }
    // Caps: fans to the centre of the crown and of the foot.
    Vec3 crown{0, 0, 0}, foot{0, 0, 0};
    for (int s = 0; s < segments; ++s) {
        crown = crown + grid[rings * segments + s] * (1.0f / segments);
        foot = foot + grid[s] * (1.0f / segments);
    }
    crown.y += radius * 0.25f;
    for (int s = 0; s < segments; ++s) {
        const int s1 = (s + 1) % segments;
        addFacet(mesh, g, grid[rings * segments + s], grid[rings * segments + s1], crown, {0, 0},
                 {1, 0}, {0.5f, 1});
        addFacet(mesh, g, grid[s1], grid[s], foot, {0, 0}, {1, 0}, {0.5f, 1});
    }
}

// A boulder: a coarse icosphere, squashed and dented by noise, faceted.
void addBoulder(Mesh& mesh, MeshGroup& g, Vec3 at, float size, uint32_t seed) {
    const Mesh ball = icosphere(1.0f, 1, true, "b");
    for (size_t t = 0; t + 2 < ball.groups[0].indices.size(); t += 3) {
        Vec3 p[3];
        for (int k = 0; k < 3; ++k) {
            Vec3 q = ball.vertices[ball.groups[0].indices[t + k]].position;
            const float dent = 0.7f + 0.5f * noise3(q * 1.7f, seed);
            q = Vec3{q.x * size * dent, q.y * size * dent * 0.7f, q.z * size * dent};
            p[k] = q + at;
        }
        addFacet(mesh, g, p[0], p[1], p[2], {0, 0}, {1, 0}, {0.5f, 1});
    }
}

Mesh rocks() {
    Mesh mesh;
    MeshGroup& g = mesh.group("rocks");
    Random rnd(4242u);
    // Eleven pillars round the ring, unevenly spaced and sized, so the scene's second,
    // quarter-turned copy falls between them rather than on top.
    const int pillars = 7;
    for (int i = 0; i < pillars; ++i) {
        const float a = 2.0f * kPi * (i + rnd.range(-0.25f, 0.25f)) / pillars;
        const float dist = rnd.range(2.2f, 2.9f);
        const float radius = rnd.range(0.15f, 0.26f);
        const float top = rnd.range(-0.2f, 1.5f);
        addPillar(mesh, g, dist * std::cos(a), -dist * std::sin(a), radius, -1.7f, top,
                  1000u + uint32_t(i));
    }
    for (int i = 0; i < 6; ++i) {
        const float a = rnd.range(0.0f, 2.0f * kPi);
        const float dist = rnd.range(2.1f, 3.0f);
        addBoulder(mesh, g, {dist * std::cos(a), -1.6f, -dist * std::sin(a)},
                   rnd.range(0.18f, 0.35f), 2000u + uint32_t(i));
    }
    return mesh;
}

// The sculpture: 24 broken rings nested like an armillary sphere, three to a shell.
Mesh kaos() {
    Mesh mesh;
    Random rnd(777u);
    for (int i = 0; i < 24; ++i) {
        const int shell = i / 3;
        const float radius = 24.0f + 6.4f * shell + rnd.range(-0.8f, 0.8f);
        const float thickness = 2.2f + 0.2f * shell;
        const float band = rnd.range(2.5f, 5.0f) + 0.3f * shell;
        const float arc = rnd.range(1.25f, 1.9f) * kPi;
        Mesh ring = thickTube(radius - thickness * 0.5f, radius + thickness * 0.5f, band, 40, arc,
                              "ring" + std::to_string(i));
        // Each ring its own way: a tilt about a random horizontal axis, then a spin about y.
        const float heading = rnd.range(0.0f, 2.0f * kPi);
        rotate(ring, Vec3{std::cos(heading), 0.0f, std::sin(heading)}, rnd.range(0.3f, 1.45f));
        rotate(ring, Vec3{0.0f, 1.0f, 0.0f}, rnd.range(0.0f, 2.0f * kPi));
        append(mesh, ring);
    }
    append(mesh, icosphere(8.0f, 1, true, "core"));
    return mesh;
}

// ---- textures -------------------------------------------------------------------------------

// 1 where the sample point (x, y) lies on a block of `text` set with its first glyph's top
// left block at (left, top), blocks of `cell` pixels; else 0.
float onBlock(const std::string& text, float left, float top, float cell, float x, float y) {
    const int column = int(std::floor((x - left) / cell)), row = int(std::floor((y - top) / cell));
    if (column < 0 || row < 0 || row >= kGlyphRows) return 0.0f;
    const int index = column / kGlyphAdvance, inGlyph = column % kGlyphAdvance;
    if (index >= int(text.size()) || inGlyph >= kGlyphColumns) return 0.0f;
    const BlockGlyph* g = findGlyph(text[size_t(index)]);
    return g && g->rows[row][inGlyph] == '#' ? 1.0f : 0.0f;
}

// Box blur of radius `r` along rows, then columns, wrapping nothing (edges read as black).
std::vector<float> boxBlur(const std::vector<float>& in, int w, int h, int r) {
    std::vector<float> tmp(in.size()), out(in.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float sum = 0.0f;
            for (int k = -r; k <= r; ++k)
                if (x + k >= 0 && x + k < w) sum += in[size_t(y) * w + x + k];
            tmp[size_t(y) * w + x] = sum / float(2 * r + 1);
        }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float sum = 0.0f;
            for (int k = -r; k <= r; ++k)
                if (y + k >= 0 && y + k < h) sum += tmp[size_t(y + k) * w + x];
            out[size_t(y) * w + x] = sum / float(2 * r + 1);
        }
    return out;
}

// Solid block letters (4 x 4 samples a pixel at their edges) and a soft glow around them, so
// that the spectrogram seen through them bleeds a little into the picture.
bool writeTitleMask(const std::string& path) {
    const int w = 1024, h = 256;
    const float cell = 15.0f;
    struct Line {
        const char* text;
        float top;
    };
    const Line lines[2] = {{"VANTALOID", 14.0f}, {"TIDES", 137.0f}};
    std::vector<float> letters(size_t(w) * h, 0.0f);
    for (const Line& line : lines) {
        const float left = (w - cell * float(textBlocks(line.text))) * 0.5f;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                float covered = 0.0f;
                for (int sy = 0; sy < 4; ++sy)
                    for (int sx = 0; sx < 4; ++sx)
                        covered += onBlock(line.text, left, line.top, cell, x + (sx + 0.5f) / 4.0f,
                                           y + (sy + 0.5f) / 4.0f);
                letters[size_t(y) * w + x] += covered / 16.0f;
            }
    }
    const std::vector<float> glow = boxBlur(boxBlur(letters, w, h, 6), w, h, 6);
    Picture pic(w, h, Picture::kTopFirst);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const size_t i = size_t(y) * w + x;
            const float v = std::max(clamp01(letters[i]), 0.35f * glow[i]);
            pic.at(x, y) = {v, v, v};
        }
    return pic.save(path, FIF_PNG, PNG_DEFAULT, kTool);
}

bool writeBurnGradient(const std::string& path) {
    const int w = 512, h = 288;
    Picture pic(w, h, Picture::kTopFirst);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float u = (x + 0.5f) / w * 2.0f - 1.0f, v = (y + 0.5f) / h * 2.0f - 1.0f;
            // Ember band across the middle, strongest at the centre.
            const float band = std::exp(-v * v * 6.0f) * (0.55f + 0.45f * std::exp(-u * u * 2.0f));
            // The rim burns a little towards violet.
            const float rim = smoothstep(0.6f, 1.5f, std::sqrt(u * u * 0.8f + v * v));
            Rgb c{1.0f, 1.0f, 1.0f};
            c = {c.r - band * 0.12f - rim * 0.18f, c.g - band * 0.42f - rim * 0.28f,
                 c.b - band * 0.55f - rim * 0.10f};
            pic.at(x, y) = c;
        }
    return pic.save(path, FIF_PNG, PNG_DEFAULT, kTool);
}

Rgb purple(Rgb c) {
    const float l = luma(c);
    return mix(c, Rgb{l * 1.05f + 0.03f, l * 0.72f, l * 1.25f + 0.05f}, 0.55f);
}

Rgb highContrast(Rgb c) {
    auto s = [](float x) { return x * x * (3.0f - 2.0f * x); };
    const float l = luma(c);
    Rgb k{s(c.r), s(c.g), s(c.b)};
    return mix(Rgb{l, l, l}, k, 1.2f); // past 1: a little more saturation
}

Rgb purpleDarks(Rgb c) {
    const float l = luma(c);
    const float dark = 1.0f - smoothstep(0.0f, 0.55f, l);
    const float light = smoothstep(0.45f, 1.0f, l);
    Rgb out = c;
    out = mix(out, Rgb{out.r * 0.85f + 0.07f, out.g * 0.6f, out.b * 0.95f + 0.12f}, dark);
    out = mix(out, Rgb{out.r * 1.05f + 0.03f, out.g * 0.98f + 0.01f, out.b * 0.82f}, light);
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_pillars_assets <data directory>\n");
        return 2;
    }
    const std::string data = argv[1];
    const std::string models = data + "/models/", textures = data + "/textures/";
    FreeImage_Initialise(FALSE);
    bool ok = writeObj(kaos(), models + "kaos.obj", kTool);
    ok = writeObj(inwardSphere(1.0f, 48, 24, "sky"), models + "invsphere.obj", kTool) && ok;
    ok = writeObj(rocks(), models + "rocks02.obj", kTool) && ok;
    ok = writeTitleMask(textures + "title_brusqua_mask.png") && ok;
    ok = writeBurnGradient(textures + "burn_gradient.png") && ok;
    ok = writeLut(textures + "LUT_passthrough.png", 32, identityGrade, kTool) && ok;
    ok = writeLut(textures + "LUT_purple.png", 32, purple, kTool) && ok;
    ok = writeLut(textures + "LUT_highcontrast.png", 32, highContrast, kTool) && ok;
    ok = writeLut(textures + "LUT_purple_darks.png", 32, purpleDarks, kTool) && ok;
    FreeImage_DeInitialise();
    return ok ? 0 : 1;
}
