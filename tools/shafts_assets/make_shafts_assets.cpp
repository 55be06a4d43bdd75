// make_shafts_assets - writes the light-shafts scene's files into <data>/:
//   models/halftube04.obj        one arch of the ring: a thin flat vane (elliptic section
//                                0.14 x 0.016) bent into a half circle of radius 3.0 in the
//                                x-y plane over +y, closed (it casts a whole shadow). The
//                                scene scales it by 10 to 36; its broad side faces the light
//                                and its edge the wide view's camera.
//   models/tlvlogo.obj           "TOLVANE" in the block font, extruded with a bevel, 190 wide,
//                                centred below the marker sphere and turned to face the wide
//                                view (the scene draws it at 1/4).
//   models/markings_sphere02.obj the sphere at the ring's centre (radius 1.3, drawn at 4),
//                                with raised latitude bands that catch the light.
//   textures/lut_lightvol2.png   32 slices of 32 x 32: crushed blacks, a strong S-curve,
//                                cool shadows, highlights held below white and tinted.
// No randomness: every run writes the same bytes.
//
// Usage: make_shafts_assets <data directory>
#include "block_font.h"
#include "colour_lut.h"
#include "extrude.h"
#include "obj_writer.h"
#include "primitives.h"
#include "tool_args.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const char* const kTool = "make_shafts_assets";

// Adds the triangle a b c, wound so that it faces along `outward`.
void addFacing(Mesh& mesh, MeshGroup& group, uint32_t a, uint32_t b, uint32_t c, Vec3 outward) {
    const Vec3 pa = mesh.vertices[a].position;
    const Vec3 n = cross(mesh.vertices[b].position - pa, mesh.vertices[c].position - pa);
    if (dot(n, outward) >= 0.0f)
        mesh.addTriangle(group, a, b, c);
    else
        mesh.addTriangle(group, a, c, b);
}

Mesh halfTube() {
    // A flat vane bent into a half circle: an elliptic section 2 kHalfWidth across (in the
    // arch's plane) and 2 kHalfThick deep, swept over pi about z. The ring's turns keep every
    // arch's broad side within about 45 degrees of +z, which the light (at +z, up and to the
    // side) sees nearly face on, and a camera near the x axis sees nearly edge on. So the
    // light sees half rings about ten shadow-map texels wide and casts shadows the shafts can
    // show, while the wide view sees lines mostly under four pixels: neon lines after the
    // glow's threshold instead of white bands. Wider vanes blow the glow out; thinner ones cast
    // shadows too thin to read.
    const float kBend = 3.0f, kHalfWidth = 0.07f, kHalfThick = 0.008f;
    const int around = 16, along = 96;
    Mesh m;
    MeshGroup& g = m.group("tube");
    for (int j = 0; j <= along; ++j) {
        const float a = kPi * static_cast<float>(j) / along;
        const Vec3 radial{std::cos(a), std::sin(a), 0.0f};
        for (int i = 0; i < around; ++i) {
            const float th = 2.0f * kPi * static_cast<float>(i) / around;
            const float u = kHalfWidth * std::cos(th), w = kHalfThick * std::sin(th);
            const Vec3 p = radial * (kBend + u) + Vec3{0.0f, 0.0f, w};
            const Vec3 n = normalise(radial * (std::cos(th) / kHalfWidth) +
                                     Vec3{0.0f, 0.0f, std::sin(th) / kHalfThick});
            m.addVertex(p, n, {static_cast<float>(i) / around, static_cast<float>(j) / along});
        }
    }
    for (int j = 0; j < along; ++j)
        for (int i = 0; i < around; ++i) {
            const uint32_t a = j * around + i, b = j * around + (i + 1) % around;
            const uint32_t c = a + around, d = b + around;
            const Vec3 out = m.vertices[a].normal + m.vertices[d].normal;
            addFacing(m, g, a, b, d, out);
            addFacing(m, g, a, d, c, out);
        }
    // Both ends face down (-y): flat caps, so the vane is closed and casts a whole shadow.
    for (int end = 0; end < 2; ++end) {
        const uint32_t first = static_cast<uint32_t>(m.vertices.size());
        const uint32_t ring = end == 0 ? 0u : static_cast<uint32_t>(along * around);
        for (int i = 0; i < around; ++i)
            m.addVertex(m.vertices[ring + i].position, {0.0f, -1.0f, 0.0f}, {0.0f, 0.0f});
        for (int i = 1; i + 1 < around; ++i)
            addFacing(m, g, first, first + i, first + i + 1, {0.0f, -1.0f, 0.0f});
    }
    return m;
}

Mesh logo() {
    const std::string text = "TOLVANE";
    Mesh m = extrude(textOutline(text), 2.0f, 0.18f, "logo");
    // Centred on the origin in block units, then 120 units wide.
    translate(m, {-0.5f * static_cast<float>(textBlocks(text)), -3.5f, 0.0f});
    scale(m, 190.0f / static_cast<float>(textBlocks(text)));
    // Below the marker sphere and a little towards the camera (model units: the scene
    // draws the logo at a quarter of its size), turned to face +x, where the wide view looks
    // from.
    translate(m, {0.0f, -44.0f, 12.0f});
    rotate(m, Vec3{0.0f, 1.0f, 0.0f}, 90.0f * kPi / 180.0f);
    return m;
}

// Radius of the marked sphere at polar angle phi (0 at the bottom pole): bands rise by 4 %
// with steep shoulders, so their rims catch the light as thin highlights.
float markedRadius(float phi) {
    static const float kBands[] = {0.9f, 1.3f, 1.5708f, 1.84f, 2.24f};
    float r = 1.3f;
    for (float band : kBands) {
        const float d = std::fabs(phi - band) / 0.05f;
        r += 0.05f * std::max(0.0f, std::min(1.0f, 1.6f - d));
    }
    return r;
}

Mesh markedSphere() {
    std::vector<Vec2> profile;
    const int steps = 80;
    for (int i = 0; i <= steps; ++i) {
        const float phi = kPi * static_cast<float>(i) / static_cast<float>(steps);
        const float r = markedRadius(phi);
        float x = r * std::sin(phi);
        if (i == 0 || i == steps) x = 0.0f; // exactly on the axis: the poles close
        profile.push_back({x, -r * std::cos(phi)});
    }
    return lathe(profile, 40, 2.0f * kPi, true, "sphere");
}

float smooth(float x) {
    x = std::min(1.0f, std::max(0.0f, x));
    return x * x * (3.0f - 2.0f * x);
}

// The scene's grade: deep blacks (the darkest few percent go to black, so the air outside
// the beam and the tubes' shadows are really dark), a strong S-curve for the difference
// between lit and shadowed light, a little more saturation, shadows leaning to blue and
// highlights held below white and tinted lavender, so the brightest shafts and the glow
// keep their colour instead of burning out.
Rgb lightGrade(Rgb c) {
    const float lum0 = luma(c);
    Rgb s = mix(Rgb{lum0, lum0, lum0}, c, 1.2f);
    auto curve = [](float x) {
        x = std::min(1.0f, std::max(0.0f, (x - 0.035f) / 0.965f));
        return x + (smooth(x) - x) * 0.8f;
    };
    s = {curve(s.r), curve(s.g), curve(s.b)};
    const float lum = luma(s);
    const float shadow = (1.0f - lum) * (1.0f - lum) * lum * 4.0f;
    const float high = lum * lum * lum;
    s.r = s.r * (1.0f - 0.14f * high) - 0.02f * shadow;
    s.g = s.g * (1.0f - 0.2f * high) - 0.01f * shadow;
    s.b = s.b * (1.0f - 0.03f * high) + 0.03f * shadow;
    return {std::max(0.0f, s.r), std::max(0.0f, s.g), std::max(0.0f, s.b)};
}

} // namespace

int main(int argc, char** argv) {
    const char* const data = dataDirectoryArgument(argc, argv, kTool);
    if (!data) return 2;
    const std::string dir = data;
    bool ok = writeObj(halfTube(), dir + "/models/halftube04.obj", kTool);
    ok = writeObj(logo(), dir + "/models/tlvlogo.obj", kTool) && ok;
    ok = writeObj(markedSphere(), dir + "/models/markings_sphere02.obj", kTool) && ok;
    ok = writeLut(dir + "/textures/lut_lightvol2.png", 32, lightGrade, kTool) && ok;
    return ok ? 0 : 1;
}
