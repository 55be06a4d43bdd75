// make_orb_assets - builds the orb scene's models into <data>/models/:
//   logo_brusqua2.obj     "BRUSQUA" in the block font over a bar, extruded with a 45 degree
//                         bevel, standing where the scene's camera looks (the scene draws it
//                         with an identity model matrix), its front facing the lens. Groups
//                         "letters" and "bar".
//   sphere_icosa_r10.obj  a faceted icosphere of radius 10, every triangle with its own
//                         vertices, so a geometry stage can push the facets apart. Group
//                         "shell".
//   brk_cross.obj         a bevelled plus sign, arms reaching 10 from the centre, 3 thick.
//                         Group "cross".
// No randomness: every run writes the same bytes.
//
// Usage: make_orb_assets <data directory>
#include "block_font.h"
#include "extrude.h"
#include "obj_writer.h"
#include "orb_rules.h"
#include "primitives.h"
#include "tool_args.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const char* const kTool = "make_orb_assets";
const char* const kLogoText = "BRUSQUA";

// ---- placing the logo -----------------------------------------------------------------------

// How far along the view direction the logo stands, and its width there. With the camera's
// 90 degree lens this fills about two thirds of the screen's width at offset 0, leaving room
// for the glow around it.
constexpr float kLogoDistance = 1.6f;
constexpr float kLogoWidth = 4.2f;

Vec3 toVec3(orb::Vec3f v) {
    return {v.x, v.y, v.z};
}

// The mesh's x, y and z axes become `right`, `up` and `back` (orthonormal, right-handed), and
// its origin `origin`. A rotation keeps the winding, so no flip is needed.
void placeInFrame(Mesh& mesh, Vec3 origin, Vec3 right, Vec3 up, Vec3 back) {
    auto turn = [&](Vec3 v) { return right * v.x + up * v.y + back * v.z; };
    for (MeshVertex& v : mesh.vertices) {
        v.position = origin + turn(v.position);
        v.normal = normalise(turn(v.normal));
    }
}

// A rectangle as a counter-clockwise loop.
Loop rectangle(float x0, float y0, float x1, float y1) {
    return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
}

Mesh logo() {
    // In glyph units (block 1 x 1, baseline at 0): the letters, and a bar under them with a
    // notch in its middle, so it reads as part of the logotype rather than an underline.
    const float blocks = static_cast<float>(textBlocks(kLogoText));
    const float depth = 1.8f, bevel = 0.2f;
    Mesh mesh = extrude(textOutline(kLogoText), depth, bevel, "letters");
    const float half = 0.5f * blocks;
    const std::vector<Loop> bar = {rectangle(-1.0f, -2.4f, half - 1.5f, -1.4f),
                                   rectangle(half + 1.5f, -2.4f, blocks + 1.0f, -1.4f)};
    append(mesh, extrude(bar, depth * 0.75f, bevel, "bar"));
    // Centred on the letters' middle, then to scene units.
    translate(mesh, {-half, -3.5f, 0.0f});
    scale(mesh, kLogoWidth / blocks);

    // The camera at offset 0: the logo faces it square on, on its line of sight.
    const Vec3 eye = toVec3(orb::cameraEye(0.0f));
    const Vec3 forward = normalise(toVec3(orb::cameraTarget(0.0f)) - eye);
    const Vec3 right = normalise(cross(forward, toVec3(orb::kCameraUp)));
    const Vec3 up = cross(right, forward);
    placeInFrame(mesh, eye + forward * kLogoDistance, right, up, forward * -1.0f);
    return mesh;
}

// ---- the other two models -------------------------------------------------------------------

Mesh cross() {
    const float arm = 10.0f, half = 1.5f;
    const Loop plus = {{half, -arm}, {half, -half}, {arm, -half},   {arm, half},
                       {half, half}, {half, arm},   {-half, arm},   {-half, half},
                       {-arm, half}, {-arm, -half}, {-half, -half}, {-half, -arm}};
    return extrude({plus}, 2.0f * half, 0.4f, "cross");
}

} // namespace

int main(int argc, char** argv) {
    const char* const data = dataDirectoryArgument(argc, argv, kTool);
    if (!data) return 2;
    const std::string models = std::string(data) + "/models/";
    bool ok = writeObj(logo(), models + "logo_brusqua2.obj", kTool);
    ok = writeObj(icosphere(10.0f, 2, true, "shell"), models + "sphere_icosa_r10.obj", kTool) && ok;
    ok = writeObj(cross(), models + "brk_cross.obj", kTool) && ok;
    return ok ? 0 : 1;
}
