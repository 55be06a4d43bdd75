// make_meander_assets - the random-walk scene's models and textures, into <data>/:
//   models/spike_dodeca_chamfer.obj  a dodecahedron with chamfered edges and corners and a
//   models/spike_icosa_chamfer.obj   spike on every face; icosahedron and octahedron the same.
//   models/spike_octa_chamfer.obj    Core corners at radius 1, spike tips at 1.9: the trail's
//                                    shader darkens towards the centre by that radius.
//                                    Flat-shaded, no texture coordinates of use.
//   models/flat_joint.obj            a flat disc (the scene registers it and draws nothing).
//   models/markings.obj              a sphere of radius 10 seen from inside, the background:
//                                    72 x 36 quads so the wave shader has vertices to move;
//                                    the markings tile 8 times around and 4 times up.
//   textures/markings04.jpg          512 x 512, tiling: dark gunmetal panels with seams,
//                                    rivets, a hazard band, chevrons, stencilled numbers.
//   textures/markings04_lines.jpg    512 x 512, tiling: the same layout as thin glowing lines
//                                    on black (seams, outlines, a ring, dashes).
// Fixed seeds: every run writes the same bytes.
//
// Usage: make_meander_assets <data directory>
#include "block_font.h"
#include "mesh.h"
#include "obj_writer.h"
#include "picture.h"
#include "primitives.h"
#include "tool_args.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const char* const kTool = "make_meander_assets";

// ---- spiky polyhedra --------------------------------------------------------------------------

struct Solid {
    std::vector<Vec3> corners;           // on the unit sphere
    std::vector<std::vector<int>> faces; // corner indices, counter-clockwise from outside
};

Vec3 centroid(const std::vector<Vec3>& points) {
    Vec3 sum{0, 0, 0};
    for (const Vec3& p : points) sum = sum + p;
    return sum * (1.0f / static_cast<float>(points.size()));
}

float length(Vec3 v) {
    return std::sqrt(dot(v, v));
}

// Turns a face's corner list counter-clockwise as seen from outside (the solid is centred).
void orientOutward(const std::vector<Vec3>& corners, std::vector<int>& face) {
    std::vector<Vec3> points;
    for (int i : face) points.push_back(corners[i]);
    const Vec3 n = cross(points[1] - points[0], points[2] - points[0]);
    if (dot(n, centroid(points)) < 0.0f) std::reverse(face.begin(), face.end());
}

// Triangles of a solid whose faces are all equilateral triangles of edge `edge`: every triple
// of corners at that distance from each other.
std::vector<std::vector<int>> triangleFaces(const std::vector<Vec3>& corners, float edge) {
    auto near = [&](int a, int b) {
        return std::fabs(length(corners[a] - corners[b]) - edge) < 1e-3f * edge;
    };
    std::vector<std::vector<int>> faces;
    const int n = static_cast<int>(corners.size());
    for (int a = 0; a < n; ++a)
        for (int b = a + 1; b < n; ++b)
            for (int c = b + 1; c < n; ++c)
                if (near(a, b) && near(b, c) && near(a, c)) {
                    std::vector<int> face = {a, b, c};
                    orientOutward(corners, face);
                    faces.push_back(face);
                }
    return faces;
}

Solid octahedron() {
    Solid s;
    s.corners = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    s.faces = triangleFaces(s.corners, std::sqrt(2.0f));
    return s;
}

Solid icosahedron() {
    const float phi = (1.0f + std::sqrt(5.0f)) * 0.5f;
    Solid s;
    for (float a : {-1.0f, 1.0f})
        for (float b : {-phi, phi}) {
            s.corners.push_back({0, a, b});
            s.corners.push_back({a, b, 0});
            s.corners.push_back({b, 0, a});
        }
    const float r = length(s.corners[0]);
    for (Vec3& c : s.corners) c = c * (1.0f / r);
    s.faces = triangleFaces(s.corners, 2.0f / r);
    return s;
}

// The dual of the icosahedron: a corner at each of its face centres, a pentagon around each of
// its corners.
Solid dodecahedron() {
    const Solid ico = icosahedron();
    Solid s;
    for (const auto& face : ico.faces)
        s.corners.push_back(normalise(
            centroid({ico.corners[face[0]], ico.corners[face[1]], ico.corners[face[2]]})));
    for (size_t v = 0; v < ico.corners.size(); ++v) {
        const Vec3 axis = ico.corners[v];
        std::vector<int> ring;
        for (size_t f = 0; f < ico.faces.size(); ++f)
            if (std::find(ico.faces[f].begin(), ico.faces[f].end(), static_cast<int>(v)) !=
                ico.faces[f].end())
                ring.push_back(static_cast<int>(f));
        // Around the axis by angle; the orientation is fixed afterwards.
        const Vec3 u =
            normalise(cross(axis, std::fabs(axis.y) < 0.9f ? Vec3{0, 1, 0} : Vec3{1, 0, 0}));
        const Vec3 w = cross(axis, u);
        std::sort(ring.begin(), ring.end(), [&](int a, int b) {
            return std::atan2(dot(s.corners[a], w), dot(s.corners[a], u)) <
                   std::atan2(dot(s.corners[b], w), dot(s.corners[b], u));
        });
        orientOutward(s.corners, ring);
        s.faces.push_back(ring);
    }
    return s;
}

// A flat polygon with its own vertices and one normal, wound to face away from the centre.
void addOutwardPolygon(Mesh& mesh, MeshGroup& g, std::vector<Vec3> points) {
    Vec3 n{0, 0, 0};
    for (size_t i = 0; i < points.size(); ++i) {
        const Vec3 a = points[i], b = points[(i + 1) % points.size()];
        n = n +
            Vec3{(a.y - b.y) * (a.z + b.z), (a.z - b.z) * (a.x + b.x), (a.x - b.x) * (a.y + b.y)};
    }
    if (dot(n, centroid(points)) < 0.0f) {
        std::reverse(points.begin(), points.end());
        n = n * -1.0f;
    }
    n = normalise(n);
    std::vector<uint32_t> ids;
    for (const Vec3& p : points) ids.push_back(mesh.addVertex(p, n, Vec2{0.5f, 0.5f}));
    for (size_t i = 1; i + 1 < ids.size(); ++i) mesh.addTriangle(g, ids[0], ids[i], ids[i + 1]);
}

// Each face shrinks towards its centre, leaving a bevelled strip along every edge and a small
// polygon at every corner (the chamfer); from the middle of each face rises a spike.
Mesh spikyChamfered(const Solid& solid, const std::string& name) {
    const float kInset = 0.8f, kSpikeBase = 0.55f, kTip = 1.9f;
    Mesh mesh;
    MeshGroup& g = mesh.group(name);
    const size_t faceCount = solid.faces.size();
    std::vector<std::vector<Vec3>> inset(faceCount);
    for (size_t f = 0; f < faceCount; ++f) {
        std::vector<Vec3> points;
        for (int i : solid.faces[f]) points.push_back(solid.corners[i]);
        const Vec3 c = centroid(points);
        for (const Vec3& p : points) inset[f].push_back(c + (p - c) * kInset);

        // Ring from the inset face to the spike's foot, then the spike.
        const size_t n = points.size();
        std::vector<Vec3> foot;
        for (const Vec3& p : inset[f]) foot.push_back(c + (p - c) * kSpikeBase);
        const Vec3 tip = normalise(c) * kTip;
        for (size_t j = 0; j < n; ++j) {
            const size_t k = (j + 1) % n;
            addOutwardPolygon(mesh, g, {inset[f][j], inset[f][k], foot[k], foot[j]});
            addOutwardPolygon(mesh, g, {foot[j], foot[k], tip});
        }
    }
    // Edge strips: each edge a -> b of face f meets b -> a of its neighbour.
    for (size_t f = 0; f < faceCount; ++f) {
        const auto& face = solid.faces[f];
        for (size_t j = 0; j < face.size(); ++j) {
            const int a = face[j], b = face[(j + 1) % face.size()];
            if (a > b) continue; // each edge once
            for (size_t h = 0; h < faceCount; ++h) {
                const auto& other = solid.faces[h];
                for (size_t m = 0; m < other.size(); ++m)
                    if (other[m] == b && other[(m + 1) % other.size()] == a)
                        addOutwardPolygon(mesh, g,
                                          {inset[f][j], inset[f][(j + 1) % face.size()],
                                           inset[h][m], inset[h][(m + 1) % other.size()]});
            }
        }
    }
    // Corner polygons: the inset copies of one corner, in order around it.
    for (size_t v = 0; v < solid.corners.size(); ++v) {
        const Vec3 axis = solid.corners[v];
        std::vector<Vec3> ring;
        for (size_t f = 0; f < faceCount; ++f)
            for (size_t j = 0; j < solid.faces[f].size(); ++j)
                if (solid.faces[f][j] == static_cast<int>(v)) ring.push_back(inset[f][j]);
        const Vec3 u =
            normalise(cross(axis, std::fabs(axis.y) < 0.9f ? Vec3{0, 1, 0} : Vec3{1, 0, 0}));
        const Vec3 w = cross(axis, u);
        std::sort(ring.begin(), ring.end(), [&](Vec3 a, Vec3 b) {
            return std::atan2(dot(a, w), dot(a, u)) < std::atan2(dot(b, w), dot(b, u));
        });
        addOutwardPolygon(mesh, g, ring);
    }
    return mesh;
}

// ---- tiling textures --------------------------------------------------------------------------

constexpr int kSize = 512;

uint32_t hash(uint32_t x, uint32_t y, uint32_t seed) {
    uint32_t h = seed ^ (x * 73856093u) ^ (y * 19349663u);
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return h;
}

// Value noise with `cells` lattice cells per tile, wrapping.
float noise(float x, float y, int cells, uint32_t seed) {
    const float fx = x * cells, fy = y * cells;
    const int ix = static_cast<int>(std::floor(fx)), iy = static_cast<int>(std::floor(fy));
    auto fade = [](float t) { return t * t * (3.0f - 2.0f * t); };
    const float tx = fade(fx - ix), ty = fade(fy - iy);
    auto v = [&](int cx, int cy) {
        return static_cast<float>(
                   hash(((cx % cells) + cells) % cells, ((cy % cells) + cells) % cells, seed) &
                   0xffffu) /
               65535.0f;
    };
    const float a = v(ix, iy) + (v(ix + 1, iy) - v(ix, iy)) * tx;
    const float b = v(ix, iy + 1) + (v(ix + 1, iy + 1) - v(ix, iy + 1)) * tx;
    return a + (b - a) * ty;
}

float fbm(float x, float y, uint32_t seed) {
    float sum = 0.0f, w = 0.5f, total = 0.0f;
    for (int o = 0; o < 5; ++o) {
        sum += noise(x, y, 4 << o, seed + o) * w;
        total += w;
        w *= 0.5f;
    }
    return sum / total;
}

// Distance from the pixel to the nearest seam of the 128-pixel panel grid, on the torus.
float seamDistance(int x, int y) {
    const int px = x % 128, py = y % 128;
    return static_cast<float>(std::min(std::min(px, 128 - px), std::min(py, 128 - py)));
}

// The layout both images share, as signed distances and masks in pixels (y down).
struct Layout {
    BlockTextField number{"04", 192.0f, 320.0f, 14.0f};
    BlockTextField label{"RW-72", 384.0f, 96.0f, 6.0f};
    BlockTextField code{"M4", 448.0f, 448.0f, 5.0f};

    // A ring (target marker) around (96, 96).
    static float ringDistance(float x, float y) {
        const float d = std::sqrt((x - 96.0f) * (x - 96.0f) + (y - 96.0f) * (y - 96.0f));
        return std::fabs(d - 40.0f) - 6.0f;
    }
    // The hazard band: rows 200..232 over columns 256..512.
    static bool inHazardBand(float x, float y) { return y >= 200.0f && y < 232.0f && x >= 256.0f; }
    static bool hazardStripe(float x, float y) {
        return static_cast<int>(std::floor((x + y) / 16.0f)) % 2 == 0;
    }
    // Chevrons along row 448 from column 40 to 330, pointing right.
    static float chevronDistance(float x, float y) {
        if (x < 24.0f || x > 344.0f || y < 420.0f || y > 476.0f) return 1e9f;
        const float local = std::fmod(x - 24.0f, 64.0f);
        const float dy = std::fabs(y - 448.0f);
        return std::fabs(local - 24.0f - (20.0f - dy) * 0.9f) - 6.0f;
    }
};

bool writeMarkings(const std::string& path) {
    Picture pic(kSize, kSize, Picture::kTopFirst);
    const Layout layout;
    const Rgb metal{0.20f, 0.215f, 0.235f}, dark{0.07f, 0.075f, 0.085f};
    const Rgb paint{0.78f, 0.74f, 0.66f}, hazardYellow{0.85f, 0.62f, 0.12f};
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const float fx = x + 0.5f, fy = y + 0.5f;
            const float u = fx / kSize, v = fy / kSize;
            // Gunmetal with grime and a brushed streak, each panel a slightly different shade.
            const float grime = fbm(u, v, 11u);
            const float brushed = noise(u * 0.25f, v, 64, 23u);
            const float panelShade =
                static_cast<float>(hash(x / 128, y / 128, 5u) & 0xffu) / 255.0f * 0.25f;
            Rgb c = metal * (0.65f + 0.55f * grime + 0.12f * brushed + panelShade);
            // Seams: a dark groove with a lit lip.
            const float seam = seamDistance(x, y);
            c = mix(c, dark, 1.0f - smoothstep(1.0f, 2.5f, seam));
            c = c + Rgb{0.08f, 0.08f, 0.09f} *
                        (smoothstep(2.5f, 3.0f, seam) * (1.0f - smoothstep(3.0f, 4.5f, seam)));
            // Rivets near each panel's corners.
            for (int cy : {10, 118})
                for (int cx : {10, 118}) {
                    const float dx = (x % 128) + 0.5f - cx, dy = (y % 128) + 0.5f - cy;
                    const float r = std::sqrt(dx * dx + dy * dy);
                    if (r < 3.5f)
                        c = mix(c, Rgb{0.42f, 0.43f, 0.45f}, 1.0f - smoothstep(2.0f, 3.5f, r));
                }
            // Painted markings, worn where the grime is heavy.
            const float wear = smoothstep(0.35f, 0.7f, fbm(u * 2.0f, v * 2.0f, 31u));
            auto paintWith = [&](Rgb colour, float coverage) {
                c = mix(c, colour, coverage * (0.35f + 0.65f * wear));
            };
            if (Layout::inHazardBand(fx, fy))
                paintWith(Layout::hazardStripe(fx, fy) ? hazardYellow : dark, 1.0f);
            paintWith(paint, 1.0f - smoothstep(-0.5f, 0.5f, layout.number.distance(fx, fy)));
            paintWith(paint, 1.0f - smoothstep(-0.5f, 0.5f, layout.label.distance(fx, fy)));
            paintWith(hazardYellow, 1.0f - smoothstep(-0.5f, 0.5f, layout.code.distance(fx, fy)));
            paintWith(paint, 1.0f - smoothstep(-0.5f, 0.5f, Layout::ringDistance(fx, fy)));
            paintWith(hazardYellow,
                      1.0f - smoothstep(-0.5f, 0.5f, Layout::chevronDistance(fx, fy)));
            pic.at(x, y) = c;
        }
    return pic.save(path, FIF_JPEG, JPEG_QUALITYGOOD, kTool);
}

bool writeLines(const std::string& path) {
    Picture pic(kSize, kSize, Picture::kTopFirst);
    const Layout layout;
    const Rgb teal{0.15f, 0.85f, 1.0f}, amber{1.0f, 0.55f, 0.12f};
    // A thin bright line where |distance| is small, with a soft halo.
    auto line = [](float d, float width) {
        const float a = std::fabs(d);
        return (1.0f - smoothstep(width * 0.5f, width * 0.5f + 1.0f, a)) +
               0.25f * std::exp(-a / 3.0f);
    };
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const float fx = x + 0.5f, fy = y + 0.5f;
            Rgb c{0, 0, 0};
            // Panel seams, dashed: lit for 48 of every 64 pixels along them.
            const bool dashOn = ((x + y / 128 * 32) % 64) < 48 || ((y + x / 128 * 32) % 64) < 48;
            if (dashOn) c = c + teal * (0.55f * line(seamDistance(x, y), 1.2f));
            c = c + teal * line(layout.number.distance(fx, fy), 1.6f);
            c = c + teal * (0.8f * line(layout.label.distance(fx, fy), 1.2f));
            c = c + amber * line(layout.code.distance(fx, fy), 1.2f);
            c = c + amber * line(Layout::ringDistance(fx, fy), 1.6f);
            c = c + amber * (0.9f * line(Layout::chevronDistance(fx, fy), 1.4f));
            // The hazard band's edges.
            if (fx >= 256.0f) {
                c = c + amber * (0.7f * line(fy - 200.0f, 1.2f));
                c = c + amber * (0.7f * line(fy - 232.0f, 1.2f));
            }
            // Tick marks along the top of each panel, a ruler.
            const int px = x % 128, py = y % 128;
            if (py >= 4 && py < (px % 32 == 16 ? 14 : 9) && px % 8 == 4) c = c + teal * 0.6f;
            pic.at(x, y) = c;
        }
    return pic.save(path, FIF_JPEG, JPEG_QUALITYGOOD, kTool);
}

// ---- the other models -------------------------------------------------------------------------

Mesh background() {
    Mesh mesh = inwardSphere(10.0f, 72, 36, "markings");
    for (MeshVertex& v : mesh.vertices) {
        v.uv.x *= 8.0f;
        v.uv.y *= 4.0f;
    }
    return mesh;
}

} // namespace

int main(int argc, char** argv) {
    const char* const data = dataDirectoryArgument(argc, argv, kTool);
    if (!data) return 2;
    const std::string dir = data;
    bool ok = writeObj(spikyChamfered(dodecahedron(), "spike"),
                       dir + "/models/spike_dodeca_chamfer.obj", kTool);
    ok = writeObj(spikyChamfered(icosahedron(), "spike"), dir + "/models/spike_icosa_chamfer.obj",
                  kTool) &&
         ok;
    ok = writeObj(spikyChamfered(octahedron(), "spike"), dir + "/models/spike_octa_chamfer.obj",
                  kTool) &&
         ok;
    ok = writeObj(cylinder(1.0f, 0.2f, 16, "joint"), dir + "/models/flat_joint.obj", kTool) && ok;
    ok = writeObj(background(), dir + "/models/markings.obj", kTool) && ok;
    ok = writeMarkings(dir + "/textures/markings04.jpg") && ok;
    ok = writeLines(dir + "/textures/markings04_lines.jpg") && ok;
    return ok ? 0 : 1;
}
