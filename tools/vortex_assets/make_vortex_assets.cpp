// make_vortex_assets - builds the tunnel scene's models and images into <data>/:
//   models/markings_tunnel.obj         one tunnel segment, 48 units along +Y from y = 0: a
//                                      twelve-sided tube of plates, four frames (two with a
//                                      ring of light), two light strips along it, amber
//                                      chevron markings on two sides, two pipes.
//   models/markings_tunnel_broken.obj  the tunnel's end, from y = 42 to 186: a whole segment
//                                      first (it continues the last main segment without a
//                                      seam), then the same pieces ever more scorched, bent,
//                                      pushed out and missing, with debris floating inside.
//   models/greetquad.obj               the panel the greetings are drawn on: 14 x 3.5, facing
//                                      -Y, running out from the axis along +X.
//   textures/greets/greets00.png .. greets12.png
//                                      512 x 128 with alpha: a made-up group name in the
//                                      block font, glowing, on a dark translucent plate.
//   textures/LUT_tunnel01.png          the grade: more contrast, teal shadows, warm
//                                      highlights, a little more saturation.
// The tunnel's shader needs no textures: each vertex carries its material number (u) and
// its baked occlusion, or on wreckage its damage (v); scenes/vortex/shaders/ paints the rest.
// Fixed seeds: every run writes the same bytes.
//
// Usage: make_vortex_assets <data directory>
#include "block_font.h"
#include "colour_lut.h"
#include "mesh.h"
#include "obj_writer.h"
#include "picture.h"
#include "primitives.h"
#include "tool_args.h"

#include <FreeImage.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const char* const kTool = "make_vortex_assets";

// ---- the tunnel -----------------------------------------------------------------------------

// Materials the tunnel's fragment shader knows (u = number + 0.5).
enum Material { kHull = 0, kFrame = 1, kLightStrip = 2, kMarking = 3, kPipe = 4, kWreck = 5 };

constexpr int kFacets = 12;
constexpr float kRadius = 18.0f;      // corners of the tube
constexpr float kFrameInner = 16.2f;  // corners of a frame's inner face
constexpr float kSegment = 48.0f;     // one segment along the axis
constexpr float kFrameHalf = 0.8f;    // half a frame's width where it meets the plates
constexpr float kFrameTopHalf = 0.5f; // half the width of its inner face
const float kFrameAt[4] = {6.0f, 18.0f, 30.0f, 42.0f};

float degrees(float d) {
    return d * kPi / 180.0f;
}

// The point at `angle` (radians, about +Y from +X) and distance `r` from the axis.
Vec3 around(float angle, float r, float y) {
    return {r * std::cos(angle), y, -r * std::sin(angle)};
}

// Facet k is centred at k * 30 degrees; its edges lie half a facet either side.
float facetEdge(int k, float side) {
    return degrees(30.0f * (static_cast<float>(k) + 0.5f * side));
}

Vec2 surfaceCode(Material m, float v) {
    return {static_cast<float>(m) + 0.5f, v};
}

// A flat quad a b c d (in order around its rim) facing `facing`, each corner with its own
// second texture coordinate.
void quad(Mesh& mesh, Vec3 a, Vec3 b, Vec3 c, Vec3 d, Vec3 facing, Material m, float va, float vb,
          float vc, float vd) {
    MeshGroup& g = mesh.group("tunnel");
    const Vec3 n = normalise(facing);
    Vec3 p[4] = {a, b, c, d};
    float v[4] = {va, vb, vc, vd};
    if (dot(cross(b - a, c - a), n) < 0.0f) {
        std::swap(p[1], p[3]);
        std::swap(v[1], v[3]);
    }
    uint32_t idx[4];
    for (int i = 0; i < 4; ++i) idx[i] = mesh.addVertex(p[i], n, surfaceCode(m, v[i]));
    mesh.addQuad(g, idx[0], idx[1], idx[2], idx[3]);
}

// A piece of the tunnel that breaks off as a whole in the wreckage.
struct Piece {
    Mesh mesh;
    Vec3 centre;
    bool glows = false; // light strips and rings: they die first
};

// Corner occlusion of the plates: dark where they meet a frame, open in the middle.
float plateOcclusion(float distanceToFrame) {
    return 0.45f + 0.55f * smoothstep(0.0f, 3.0f, distanceToFrame);
}

// One facet's plates between y0 and y1 (frame edges or a segment end), split across into
// the bands [t0, t1] of the facet and along at `rows`.
void plateBand(Mesh& mesh, int k, float t0, float t1, const std::vector<float>& rows,
               float frameLow, float frameHigh, Material material, float markFrom, float markTo) {
    const float e0 = facetEdge(k, -1.0f), e1 = facetEdge(k, 1.0f);
    const Vec3 inward = around(degrees(30.0f * k), -1.0f, 0.0f);
    const float a0 = e0 + (e1 - e0) * t0, a1 = e0 + (e1 - e0) * t1;
    // Points on the flat facet, not on the circle through its corners.
    auto at = [&](float angle, float y) {
        const Vec3 c0 = around(e0, kRadius, y), c1 = around(e1, kRadius, y);
        const float t = (angle - e0) / (e1 - e0);
        return c0 + (c1 - c0) * t;
    };
    auto occlusion = [&](float y) {
        return plateOcclusion(std::min(std::fabs(y - frameLow), std::fabs(frameHigh - y)) -
                              kFrameHalf);
    };
    for (size_t r = 0; r + 1 < rows.size(); ++r) {
        const float y0 = rows[r], y1 = rows[r + 1];
        const bool marked = material == kHull && y0 >= markFrom && y1 <= markTo;
        const Material m = marked ? kMarking : material;
        const float o0 = material == kLightStrip ? 1.0f : occlusion(y0);
        const float o1 = material == kLightStrip ? 1.0f : occlusion(y1);
        quad(mesh, at(a0, y0), at(a1, y0), at(a1, y1), at(a0, y1), inward, m, o0, o0, o1, o1);
    }
}

std::vector<Piece> segmentPieces() {
    std::vector<Piece> pieces;
    // The plates between the frames, and the two half spans at the ends that meet the
    // neighbouring segments' half spans (occlusion 1 at the joint, as mid-plate).
    struct Span {
        float y0, y1, frameLow, frameHigh;
    };
    std::vector<Span> spans = {{0.0f, kFrameAt[0] - kFrameHalf, -kFrameAt[0], kFrameAt[0]}};
    for (int f = 0; f < 3; ++f)
        spans.push_back(
            {kFrameAt[f] + kFrameHalf, kFrameAt[f + 1] - kFrameHalf, kFrameAt[f], kFrameAt[f + 1]});
    spans.push_back({kFrameAt[3] + kFrameHalf, kSegment, kFrameAt[3], kSegment + kFrameAt[0]});
    for (int k = 0; k < kFacets; ++k) {
        const bool strip = k == 0 || k == 6;
        const bool marks = k == 3 || k == 9;
        for (size_t s = 0; s < spans.size(); ++s) {
            const Span& sp = spans[s];
            const float lo = sp.frameLow + kFrameHalf, hi = sp.frameHigh - kFrameHalf;
            std::vector<float> rows;
            for (float y : {lo, lo + 1.7f, 0.5f * (lo + hi), hi - 1.7f, hi})
                if (y >= sp.y0 - 1e-4f && y <= sp.y1 + 1e-4f) rows.push_back(y);
            if (rows.front() > sp.y0 + 1e-4f) rows.insert(rows.begin(), sp.y0);
            if (rows.back() < sp.y1 - 1e-4f) rows.push_back(sp.y1);
            // Chevrons on the middle of the plates between the second and third frames.
            const float markFrom = s == 2 ? lo + 1.7f : 1e9f, markTo = s == 2 ? hi - 1.7f : -1e9f;
            Piece piece;
            if (strip) {
                plateBand(piece.mesh, k, 0.0f, 0.44f, rows, sp.frameLow, sp.frameHigh, kHull, 1e9f,
                          -1e9f);
                plateBand(piece.mesh, k, 0.44f, 0.56f, {sp.y0, sp.y1}, sp.frameLow, sp.frameHigh,
                          kLightStrip, 1e9f, -1e9f);
                plateBand(piece.mesh, k, 0.56f, 1.0f, rows, sp.frameLow, sp.frameHigh, kHull, 1e9f,
                          -1e9f);
                piece.glows = true;
            } else {
                plateBand(piece.mesh, k, 0.0f, 1.0f, rows, sp.frameLow, sp.frameHigh, kHull,
                          marks ? markFrom : 1e9f, marks ? markTo : -1e9f);
            }
            piece.centre = around(degrees(30.0f * k), kRadius * 0.966f, 0.5f * (sp.y0 + sp.y1));
            pieces.push_back(std::move(piece));
        }
    }
    // Frames: a slanted side up from the plates on either hand, and an inner face; every
    // other frame carries a ring of light in the middle of its face.
    for (int f = 0; f < 4; ++f) {
        const float y = kFrameAt[f];
        const bool ring = f == 0 || f == 2;
        for (int k = 0; k < kFacets; ++k) {
            Piece piece;
            const float e0 = facetEdge(k, -1.0f), e1 = facetEdge(k, 1.0f);
            const Vec3 inward = around(degrees(30.0f * k), -1.0f, 0.0f);
            const Vec3 b0 = around(e0, kRadius, y - kFrameHalf),
                       b1 = around(e1, kRadius, y - kFrameHalf);
            const Vec3 t0 = around(e0, kFrameInner, y - kFrameTopHalf),
                       t1 = around(e1, kFrameInner, y - kFrameTopHalf);
            const Vec3 u0 = around(e0, kFrameInner, y + kFrameTopHalf),
                       u1 = around(e1, kFrameInner, y + kFrameTopHalf);
            const Vec3 c0 = around(e0, kRadius, y + kFrameHalf),
                       c1 = around(e1, kRadius, y + kFrameHalf);
            const Vec3 down = normalise(cross(t0 - b0, b1 - b0)),
                       upSide = normalise(cross(c1 - c0, u0 - c0));
            // Face the camera side of each slant: the down side towards -Y, the other +Y.
            quad(piece.mesh, b0, b1, t1, t0, down.y < 0.0f ? down : down * -1.0f, kFrame, 0.6f,
                 0.6f, 1.0f, 1.0f);
            quad(piece.mesh, c0, c1, u1, u0, upSide.y > 0.0f ? upSide : upSide * -1.0f, kFrame,
                 0.6f, 0.6f, 1.0f, 1.0f);
            if (ring) {
                const Vec3 m0 = around(e0, kFrameInner, y - 0.18f),
                           m1 = around(e1, kFrameInner, y - 0.18f);
                const Vec3 n0 = around(e0, kFrameInner, y + 0.18f),
                           n1 = around(e1, kFrameInner, y + 0.18f);
                quad(piece.mesh, t0, t1, m1, m0, inward, kFrame, 1.0f, 1.0f, 1.0f, 1.0f);
                quad(piece.mesh, m0, m1, n1, n0, inward, kLightStrip, 1.0f, 1.0f, 1.0f, 1.0f);
                quad(piece.mesh, n0, n1, u1, u0, inward, kFrame, 1.0f, 1.0f, 1.0f, 1.0f);
                piece.glows = true;
            } else {
                quad(piece.mesh, t0, t1, u1, u0, inward, kFrame, 1.0f, 1.0f, 1.0f, 1.0f);
            }
            piece.centre = around(degrees(30.0f * k), kFrameInner, y);
            pieces.push_back(std::move(piece));
        }
    }
    // Two pipes in the corners, one length between each pair of frames (the joints hide in
    // the frames).
    for (float corner : {45.0f, 225.0f}) {
        for (int f = 0; f < 4; ++f) {
            Piece piece;
            Mesh pipe = tube(0.5f, 12.0f, 10, 1, 2.0f * kPi, false, "tunnel");
            // Darker on the side that faces the wall.
            const Vec3 toWall = around(degrees(corner), 1.0f, 0.0f);
            for (MeshVertex& v : pipe.vertices)
                v.uv = surfaceCode(kPipe, 0.55f + 0.45f * (0.5f - 0.5f * dot(v.normal, toWall)));
            const Vec3 at = around(degrees(corner), 16.9f, kFrameAt[f]);
            translate(pipe, at);
            append(piece.mesh, pipe);
            piece.centre = at;
            pieces.push_back(std::move(piece));
        }
    }
    return pieces;
}

Mesh joined(const std::vector<Piece>& pieces) {
    Mesh mesh;
    for (const Piece& p : pieces) append(mesh, p.mesh);
    return mesh;
}

// Deterministic 0..1 from a few integers.
float hash01(uint32_t a, uint32_t b, uint32_t c) {
    uint32_t h =
        a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ (c + 0x165667B1u) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return static_cast<float>(h & 0xFFFFFFu) / 16777215.0f;
}

// The wreckage's damage at y (model units): none on the first whole segment, all at the end.
float damageAt(float y) {
    return std::pow(clamp01((y - 88.0f) / 90.0f), 0.8f);
}

Mesh brokenTunnel() {
    const std::vector<Piece> pieces = segmentPieces();
    Mesh out;
    // The first copy is whole: it starts where the last main segment ends.
    for (int copy = 0; copy < 3; ++copy) {
        const float base = 42.0f + kSegment * copy;
        for (size_t i = 0; i < pieces.size(); ++i) {
            Piece piece = pieces[i];
            translate(piece.mesh, {0.0f, base, 0.0f});
            const Vec3 centre = piece.centre + Vec3{0.0f, base, 0.0f};
            const float d = damageAt(centre.y);
            if (d > 0.0f) {
                const uint32_t id = static_cast<uint32_t>(i);
                if (hash01(id, copy, 1) < 0.72f * d) continue; // gone
                // Bent out of place about its own centre, pushed out and along.
                const Vec3 axis = normalise({hash01(id, copy, 2) - 0.5f, hash01(id, copy, 3) - 0.5f,
                                             hash01(id, copy, 4) - 0.5f});
                translate(piece.mesh, centre * -1.0f);
                rotate(piece.mesh, axis, degrees(55.0f * d * (hash01(id, copy, 5) - 0.3f)));
                const Vec3 outward = normalise({centre.x, 0.0f, centre.z});
                const Vec3 push = outward * (5.0f * d * hash01(id, copy, 6)) +
                                  Vec3{0.0f, 4.0f * d * (hash01(id, copy, 7) - 0.5f), 0.0f};
                translate(piece.mesh, centre + push);
                // Scorched; lights die.
                for (MeshVertex& v : piece.mesh.vertices) {
                    const int m = static_cast<int>(v.uv.x);
                    const bool scorch = m == kHull || m == kMarking ? d > 0.12f
                                        : m == kLightStrip          ? d > 0.2f
                                                                    : d > 0.45f;
                    if (scorch) v.uv = surfaceCode(kWreck, m == kLightStrip ? 0.5f * d : d);
                }
            }
            append(out, piece.mesh);
        }
    }
    // Debris drifting in the broken part.
    for (uint32_t i = 0; i < 48; ++i) {
        const float y = 96.0f + 88.0f * hash01(i, 11, 1);
        const float d = damageAt(y);
        const float angle = 2.0f * kPi * hash01(i, 11, 2);
        const float r = 5.0f + 10.0f * hash01(i, 11, 3);
        const float size = 0.4f + 2.2f * hash01(i, 11, 4);
        Mesh chunk = box({size, size * (0.3f + 0.7f * hash01(i, 11, 5)), size * 0.5f}, "tunnel");
        rotate(chunk, normalise({hash01(i, 11, 6) - 0.5f, hash01(i, 11, 7) - 0.5f, 0.3f}),
               2.0f * kPi * hash01(i, 11, 8));
        translate(chunk, around(angle, r, y));
        for (MeshVertex& v : chunk.vertices) v.uv = surfaceCode(kWreck, d);
        append(out, chunk);
    }
    return out;
}

// The greeting panel: from 1 to 15 units out along +X, 3.5 across (Z), facing the camera
// (-Y). u runs out from the axis, v along +Z.
Mesh greetQuad() {
    Mesh mesh;
    MeshGroup& g = mesh.group("greet");
    addFlatQuad(mesh, g, {1.0f, 0.0f, -1.75f}, {15.0f, 0.0f, -1.75f}, {15.0f, 0.0f, 1.75f},
                {1.0f, 0.0f, 1.75f}, {0.0f, -1.0f, 0.0f});
    return mesh;
}

// ---- greetings ------------------------------------------------------------------------------

// Made-up group names, none of them a real group's.
const char* const kGreetings[13] = {
    "NOCTURNE VALE", "BRASS OTTER",   "GLIMMERWORKS", "KOBALT HAZE",  "ORBITAL FERN",
    "VELVET RASTER", "TIN LANTERN",   "QUIET MAGNET", "ZEPHYR OCTAL", "PAPER COMET",
    "NULL CANTOR",   "AMBER LATTICE", "SALT & SIGNAL"};

Rgb hueColour(float hue) {
    auto channel = [hue](float offset) {
        const float x = std::fabs(std::fmod(hue * 6.0f + offset, 6.0f) - 3.0f) - 1.0f;
        return clamp01(x);
    };
    return {channel(0.0f), channel(4.0f), channel(2.0f)};
}

struct Rgba {
    float r, g, b, a;
};

// `over` (straight colour and alpha) on top of the premultiplied `under`.
Rgba overPremultiplied(Rgba under, Rgb colour, float alpha) {
    return {colour.r * alpha + under.r * (1.0f - alpha),
            colour.g * alpha + under.g * (1.0f - alpha),
            colour.b * alpha + under.b * (1.0f - alpha), alpha + under.a * (1.0f - alpha)};
}

bool saveRgba(const std::vector<Rgba>& pixels, int width, int height, const std::string& path) {
    FIBITMAP* bitmap = FreeImage_Allocate(width, height, 32);
    bool saved = false;
    if (bitmap) {
        auto byte = [](float v) { return static_cast<BYTE>(std::lround(clamp01(v) * 255.0f)); };
        for (int y = 0; y < height; ++y) {
            BYTE* row = FreeImage_GetScanLine(bitmap, height - 1 - y); // top row first here
            for (int x = 0; x < width; ++x) {
                const Rgba& p = pixels[y * width + x];
                // Stored straight: the shader premultiplies.
                const float k = p.a > 1e-5f ? 1.0f / p.a : 0.0f;
                row[x * 4 + FI_RGBA_RED] = byte(p.r * k);
                row[x * 4 + FI_RGBA_GREEN] = byte(p.g * k);
                row[x * 4 + FI_RGBA_BLUE] = byte(p.b * k);
                row[x * 4 + FI_RGBA_ALPHA] = byte(p.a);
            }
        }
        saved = FreeImage_Save(FIF_PNG, bitmap, path.c_str(), PNG_Z_BEST_COMPRESSION);
        FreeImage_Unload(bitmap);
    }
    if (!saved) std::fprintf(stderr, "%s: cannot write %s\n", kTool, path.c_str());
    return saved;
}

// Distance outside a rounded rectangle centred at (cx, cy) (negative inside).
float roundedBox(float x, float y, float cx, float cy, float hw, float hh, float radius) {
    const float qx = std::fabs(x - cx) - hw + radius, qy = std::fabs(y - cy) - hh + radius;
    const float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - radius;
}

bool writeGreeting(int index, const std::string& path) {
    const int w = 512, h = 128;
    const char* name = kGreetings[index];
    // One letter size for every panel: the longest name fits the plate.
    const float cell = 5.7f;
    const BlockTextField text(name, w * 0.5f, h * 0.5f - 4.0f, cell);
    const float textHalfWidth = 0.5f * textBlocks(name) * cell;
    const Rgb hue = hueColour(std::fmod(0.53f + index * 0.382f, 1.0f));
    const Rgb core = {0.82f + 0.18f * hue.r, 0.82f + 0.18f * hue.g, 0.82f + 0.18f * hue.b};
    std::vector<Rgba> pixels(w * h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const float px = x + 0.5f, py = y + 0.5f;
            Rgba p{0.0f, 0.0f, 0.0f, 0.0f};
            // A dark plate with a soft edge and a thin rim in the panel's colour.
            const float plate =
                roundedBox(px, py, w * 0.5f, h * 0.5f, w * 0.5f - 6.0f, h * 0.5f - 10.0f, 14.0f);
            const float inside = clamp01(0.5f - plate);
            p = overPremultiplied(p, {0.015f, 0.02f, 0.035f}, 0.62f * inside);
            const float rim = clamp01(1.2f - std::fabs(plate + 2.5f)) * 0.8f;
            p = overPremultiplied(
                p, hue,
                rim * (0.35f + 0.65f * smoothstep(90.0f, 250.0f, std::fabs(px - w * 0.5f))));
            // An underline under the name, fading out towards its ends.
            const float lineY = h * 0.5f + 4.0f * cell - 1.0f;
            const float line = clamp01(1.5f - std::fabs(py - lineY)) *
                               (1.0f - smoothstep(textHalfWidth * 0.6f, textHalfWidth + 8.0f,
                                                  std::fabs(px - w * 0.5f)));
            p = overPremultiplied(p, hue, 0.85f * line);
            // The name: a glow in the panel's colour, then the letters.
            const float d = text.distance(px, py);
            const float glow = 0.75f * std::exp(-std::max(d, 0.0f) / 5.0f);
            p = overPremultiplied(p, hue, glow * inside);
            // Grown by a pixel, so the rounded blocks join into solid strokes.
            const float letter = clamp01(1.6f - d);
            p = overPremultiplied(p, core, letter);
            pixels[y * w + x] = p;
        }
    }
    return saveRgba(pixels, w, h, path);
}

// ---- the grade ------------------------------------------------------------------------------

Rgb tunnelGrade(Rgb c) {
    auto curve = [](float x) { // a gentle S: deeper darks, brighter lights
        const float s = x * x * (3.0f - 2.0f * x);
        return x + 0.4f * (s - x);
    };
    Rgb g = {curve(c.r), curve(c.g), curve(c.b)};
    const float lum = luma(g);
    const float shadow = (1.0f - lum) * (1.0f - lum) * lum * 4.0f; // none at pure black
    const float light = lum * lum;
    g = {g.r - 0.035f * shadow + 0.06f * light, g.g + 0.01f * shadow + 0.02f * light,
         g.b + 0.045f * shadow - 0.05f * light};
    const float sat = 1.18f;
    return mix(Rgb{lum, lum, lum}, g, sat);
}

} // namespace

int main(int argc, char** argv) {
    const char* const data = dataDirectoryArgument(argc, argv, kTool);
    if (!data) return 2;
    const std::string dir = data;
    FreeImage_Initialise();
    bool ok = writeObj(joined(segmentPieces()), dir + "/models/markings_tunnel.obj", kTool);
    ok = writeObj(brokenTunnel(), dir + "/models/markings_tunnel_broken.obj", kTool) && ok;
    ok = writeObj(greetQuad(), dir + "/models/greetquad.obj", kTool) && ok;
    for (int i = 0; i < 13; ++i) {
        char file[64];
        std::snprintf(file, sizeof file, "/textures/greets/greets%02d.png", i);
        ok = writeGreeting(i, dir + file) && ok;
    }
    ok = writeLut(dir + "/textures/LUT_tunnel01.png", 32, tunnelGrade, kTool) && ok;
    FreeImage_DeInitialise();
    return ok ? 0 : 1;
}
