// make_kaboom_assets - the reactor scene's models and background, into <data>/:
//   models/reactor_v05.obj     the reactor around the beam's glass chamber (radius 40, y -17.5
//                              to 52.5, kept clear): a stepped base, clamp rings and struts
//                              hugging the glass, a heavy crown with an emitter, buttress
//                              pipes, and a hall floor ringed by pylons under a gantry ring.
//   models/cylinder_2x5.obj    the beam's volume: radius 1 (2 across), y from 0 to 2, closed.
//   models/cube_2x2.obj        a 2 x 2 x 2 cube centred on the origin.
//   textures/bgstripeycircle.jpg  1024 x 576: a dusk sky, a striped sun circle with rings
//                              around it, fine diagonal stripes over everything.
// Units are the scene's: the reactor is drawn with the identity model matrix. Fixed
// everything: every run writes the same bytes.
//
// Usage: make_kaboom_assets <data directory>
#include "obj_writer.h"
#include "picture.h"
#include "primitives.h"
#include "tool_args.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const char* const kTool = "make_kaboom_assets";

// ---- building blocks ------------------------------------------------------------------------

// A ring of circular cross-section (a torus) about the y axis: centre radius `major`, tube
// radius `minor`, at height y.
Mesh torus(float major, float minor, float y, int segments, const std::string& group) {
    std::vector<Vec2> profile;
    const int steps = 10;
    // Clockwise in the (r, y) plane, so the outside lies on the right.
    for (int i = 0; i <= steps; ++i) {
        const float a = 2.0f * kPi * (1.0f - static_cast<float>(i) / steps);
        profile.push_back({major + minor * std::cos(a), y + minor * std::sin(a)});
    }
    return lathe(profile, segments, 2.0f * kPi, true, group);
}

// A cylinder of radius r from a to b.
Mesh strut(Vec3 a, Vec3 b, float r, int segments, const std::string& group) {
    const Vec3 d = b - a;
    const float len = std::sqrt(dot(d, d));
    Mesh m = cylinder(r, len, segments, group);
    const Vec3 dir = d * (1.0f / len);
    const Vec3 up{0.0f, 1.0f, 0.0f};
    const Vec3 axis = cross(up, dir);
    const float s = std::sqrt(dot(axis, axis));
    if (s > 1e-6f) rotate(m, axis, std::atan2(s, dot(up, dir)));
    translate(m, (a + b) * 0.5f);
    return m;
}

// A box of `size` turned to face the axis at angle `theta`, centred at radius `r`, height y.
Mesh radialBox(Vec3 size, float theta, float r, float y, const std::string& group) {
    Mesh m = box(size, group);
    translate(m, {r, y, 0.0f});
    rotate(m, {0.0f, 1.0f, 0.0f}, theta);
    return m;
}

// ---- the reactor ----------------------------------------------------------------------------

Mesh reactor() {
    Mesh m;
    const int round = 72;

    // Hall floor, one step below the base, far enough out to fill the panorama's lower half.
    // Shallow terraces: each step's edge catches the light as a ring.
    append(m, lathe({{190.0f, -31.5f},
                     {150.0f, -31.5f},
                     {150.0f, -31.0f},
                     {112.0f, -31.0f},
                     {112.0f, -30.5f},
                     {86.0f, -30.5f},
                     {86.0f, -30.0f},
                     {0.0f, -30.0f}},
                    round, 2.0f * kPi, false, "floor"));

    // Stepped base under the chamber: its top is the chamber floor's level at the rim.
    append(m, lathe({{0.0f, -30.0f},
                     {60.0f, -30.0f},
                     {60.0f, -26.0f},
                     {54.0f, -24.0f},
                     {54.0f, -20.0f},
                     {47.0f, -17.5f},
                     {0.0f, -17.5f}},
                    round, 2.0f * kPi, false, "base"));

    // Clamp rings around the glass, heavier at the ends.
    append(m, torus(42.5f, 2.6f, -15.0f, round, "rings"));
    append(m, torus(41.8f, 1.6f, 6.0f, round, "rings"));
    append(m, torus(41.8f, 1.6f, 28.0f, round, "rings"));
    append(m, torus(42.5f, 2.6f, 50.0f, round, "rings"));

    // Eight struts from base to crown, with a knuckle where they cross each ring.
    for (int i = 0; i < 8; ++i) {
        const float theta = 2.0f * kPi * (i + 0.5f) / 8.0f;
        append(m, radialBox({5.0f, 72.0f, 4.0f}, theta, 45.5f, 17.5f, "struts"));
        for (float y : {-15.0f, 6.0f, 28.0f, 50.0f})
            append(m, radialBox({7.0f, 4.0f, 6.0f}, theta, 45.0f, y, "struts"));
    }

    // The crown: a lid over the chamber with a stepped top and the emitter cone.
    append(m, lathe({{47.0f, 52.5f},
                     {52.0f, 54.0f},
                     {52.0f, 58.0f},
                     {44.0f, 61.0f},
                     {30.0f, 63.0f},
                     {22.0f, 68.0f},
                     {10.0f, 70.0f},
                     {6.0f, 78.0f},
                     {2.0f, 90.0f},
                     {0.0f, 90.0f}},
                    round, 2.0f * kPi, false, "crown"));
    append(m, lathe({{0.0f, 52.5f}, {47.0f, 52.5f}}, round, 2.0f * kPi, false, "crown"));
    append(m, torus(26.0f, 1.8f, 64.5f, round, "crown"));

    // Buttress pipes from the base out to the floor, and feed pipes up to the crown.
    for (int i = 0; i < 6; ++i) {
        const float theta = 2.0f * kPi * i / 6.0f;
        const Vec3 dir{std::cos(theta), 0.0f, -std::sin(theta)};
        const Vec3 foot = dir * 96.0f + Vec3{0.0f, -30.0f, 0.0f};
        const Vec3 knee = dir * 64.0f + Vec3{0.0f, -22.0f, 0.0f};
        append(m, strut(knee, foot, 3.2f, 20, "pipes"));
        append(m, strut(knee + Vec3{0.0f, -1.0f, 0.0f}, dir * 55.0f + Vec3{0.0f, 56.0f, 0.0f}, 1.6f,
                        16, "pipes"));
        append(m, radialBox({10.0f, 6.0f, 10.0f}, theta, 64.0f, -23.0f, "pipes"));
    }

    // Pylons around the hall under a gantry ring: the panorama's horizon.
    for (int i = 0; i < 12; ++i) {
        const float theta = 2.0f * kPi * i / 12.0f;
        append(m, radialBox({6.0f, 100.0f, 10.0f}, theta, 130.0f, 20.0f, "pylons"));
        append(m, radialBox({10.0f, 4.0f, 14.0f}, theta, 130.0f, 72.0f, "pylons"));
        append(m, radialBox({4.0f, 2.0f, 12.0f}, theta, 127.0f, -10.0f, "pylons"));
    }
    append(m, torus(130.0f, 2.5f, 66.0f, 128, "pylons"));
    append(m, torus(130.0f, 1.2f, 40.0f, 128, "pylons"));
    return m;
}

// ---- the background -------------------------------------------------------------------------

bool background(const std::string& path) {
    const int w = 1024, h = 576;
    Picture pic(w, h, Picture::kTopFirst);
    const float cx = 0.5f * w, cy = 0.42f * h, radius = 0.26f * h;
    for (int y = 0; y < h; ++y) {
        const float fy = static_cast<float>(y) / (h - 1); // 0 top, 1 bottom
        // Dusk: deep indigo overhead to a hot magenta band low down, dark below it.
        Rgb sky =
            mix(Rgb{0.03f, 0.02f, 0.09f}, Rgb{0.30f, 0.06f, 0.24f}, smoothstep(0.0f, 0.62f, fy));
        sky = mix(sky, Rgb{0.62f, 0.20f, 0.16f}, smoothstep(0.45f, 0.66f, fy) * 0.7f);
        sky = mix(sky, Rgb{0.04f, 0.02f, 0.05f}, smoothstep(0.66f, 0.9f, fy));
        for (int x = 0; x < w; ++x) {
            const float dx = x - cx, dy = y - cy;
            const float r = std::sqrt(dx * dx + dy * dy);
            Rgb c = sky;
            // Rings around the sun, fading outwards.
            const float ringPhase = std::fabs(std::fmod(r / 26.0f, 1.0f) - 0.5f);
            c = c + Rgb{0.20f, 0.07f, 0.16f} *
                        (smoothstep(0.5f, 0.44f, ringPhase) * 0.0f +
                         smoothstep(0.08f, 0.0f, std::fabs(ringPhase - 0.45f)) * 0.35f *
                             std::exp(-(r - radius) / (0.5f * h)) * (r > radius ? 1.0f : 0.0f));
            // The sun: yellow to rose top to bottom, cut by bars that thicken downwards.
            const float v = (dy + radius) / (2.0f * radius); // 0 top of disc, 1 bottom
            const float bar = std::fmod(v * 11.0f, 1.0f);
            const float cut = v > 0.45f ? smoothstep(0.0f, 0.04f, bar - (v - 0.45f) * 0.9f) : 1.0f;
            const float disc = smoothstep(radius + 1.0f, radius - 1.0f, r) * cut;
            const Rgb sun = mix(Rgb{1.0f, 0.86f, 0.36f}, Rgb{0.98f, 0.25f, 0.45f}, clamp01(v));
            c = mix(c, sun, disc);
            // Glow around the disc.
            c = c +
                Rgb{0.55f, 0.18f, 0.22f} * (0.35f * std::exp(-std::fmax(r - radius, 0.0f) / 60.0f) *
                                            (r > radius ? 1.0f : 0.0f));
            // Fine diagonal stripes over everything.
            const float stripe = std::fmod((x + y) / 9.0f, 1.0f);
            c = c * (0.88f + 0.12f * smoothstep(0.35f, 0.5f, std::fabs(stripe - 0.5f) * 2.0f));
            pic.at(x, y) = c;
        }
    }
    return pic.save(path, FIF_JPEG, JPEG_QUALITYSUPERB, kTool);
}

} // namespace

int main(int argc, char** argv) {
    const char* const data = dataDirectoryArgument(argc, argv, kTool);
    if (!data) return 2;
    const std::string dir = data;
    bool ok = writeObj(reactor(), dir + "/models/reactor_v05.obj", kTool);

    Mesh volume = cylinder(1.0f, 2.0f, 48, "volume");
    translate(volume, {0.0f, 1.0f, 0.0f});
    ok = writeObj(volume, dir + "/models/cylinder_2x5.obj", kTool) && ok;
    ok = writeObj(box({2.0f, 2.0f, 2.0f}, "cube"), dir + "/models/cube_2x2.obj", kTool) && ok;
    ok = background(dir + "/textures/bgstripeycircle.jpg") && ok;
    return ok ? 0 : 1;
}
