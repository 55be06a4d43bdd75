// bench_orb - milliseconds per frame of the orb scene at 1280 x 720 in its three looks (the
// break's calm glow, the end card held, the end card torn apart), then the frame's steps
// each alone at the frame's sizes (the logo drawn into a full-size target, each pass of the
// chain on a screen-sized picture), over N runs each (default 30) after one warm-up, and each
// frame against the sum of its steps: a frame well above its steps (ratio over 1.2) does work
// twice or waits between them.
//   xvfb-run -a -s "-screen 0 1280x720x24" build/bench/orb/bench_orb [frames]
#include "bench_common.h"
#include "bench_scene.h"
#include "fetch_floor.h"

#include "camera.h"
#include "imodel.h"
#include "kit_helpers.h"
#include "matrix.h"
#include "orb_rules.h"
#include "post_radial_blur.h"
#include "postfx.h"
#include "scene_codes.h"
#include "sync_grid.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// The logo as the scene draws it at camera offset `c`, with the program and model the
// plug-in registered on this context.
void drawLogo(gfxContext& gfx, float c) {
    const orb::Vec3f eye = orb::cameraEye(c), target = orb::cameraTarget(c);
    const float eye3[3] = {eye.x, eye.y, eye.z}, target3[3] = {target.x, target.y, target.z};
    const float up3[3] = {orb::kCameraUp.x, orb::kCameraUp.y, orb::kCameraUp.z};
    Camera camera;
    camera.setLookAt(eye3, target3, up3);
    camera.setPerspective(orb::kFovDegrees, 1280.0f / 720.0f, orb::kNear, orb::kFar);
    float identity[16];
    mat_identity(identity);
    const float colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const float light[4] = {-10.0f, 0.0f, 20.0f, 0.0f};
    gfx.useShader("brusqua_logo");
    gfx.setVector("brusqua_logo", "color", colour);
    gfx.setMatrix("brusqua_logo", "mvp", camera.viewProjection());
    gfx.setMatrix("brusqua_logo", "modelmat", identity);
    gfx.setMatrix("brusqua_logo", "modelmatIT", identity);
    gfx.setVector("brusqua_logo", "ws_lightpos", light);
    if (iModel* logo = gfx.model("logo_brusqua2")) logo->draw(&gfx);
}

// The floor of a pass whose reads are all single texels (texelFetch), as the radial blur's:
// the pixel's own texel and the taps at their offsets in texels (held inside the picture, as
// the pass's taps always are), all summed. makeFetchFloor builds filtered reads only.
FetchFloor makeTexelFetchFloor(igfxContext* gfx, const std::string& name, TextureHandle* texture,
                               const std::vector<FloorTap>& taps) {
    std::string glsl = "#version 330 compatibility\nuniform sampler2D s0;\nin vec2 uv;\n"
                       "layout(location = 0) out vec4 fragColor;\nvoid main() {\n"
                       "    vec4 sum = texelFetch(s0, ivec2(gl_FragCoord.xy), 0);\n";
    char line[160];
    for (size_t k = 1; k < taps.size(); ++k) {
        std::snprintf(line, sizeof line,
                      "    sum += texelFetch(s0, ivec2(clamp(gl_FragCoord.xy + vec2(%.9g, %.9g), "
                      "vec2(0.5), vec2(%d.5, %d.5))), 0);\n",
                      taps[k].dx, taps[k].dy, texture->width - 1, texture->height - 1);
        glsl += line;
    }
    glsl += "    fragColor = sum;\n}\n";
    loadFloorShader(gfx, name, glsl);
    return FetchFloor{name, {{"sampler2D", texture}}, {"s0"}};
}

} // namespace

int main(int argc, char** argv) {
    const int n = benchRuns(argc, argv, 30);
    gfxContext& gfx = *makeBenchContext();
    BenchScene bench(gfx, PLUGIN);

    std::printf("orb frame times, 1280x720, %d frames each\n", n);
    struct Look {
        const char* what;
        float camofs, radits, glitch1, glitch2;
        double bar;
    };
    const Look looks[3] = {{"break (glow 1.0)", -0.3f, 1.0f, 0, 0, 51},
                           {"end card (glow 1.3)", 0, 1.3f, 0, 0, 106},
                           {"torn (glow 4, glitches)", 1, 4, 1, 1.2f, 111}};
    FrameStats frame[3];
    for (int i = 0; i < 3; ++i) {
        const Look& look = looks[i];
        bench.track("brk_camofs", look.camofs);
        bench.track("brk_radits", look.radits);
        bench.track("brk_glitch1", look.glitch1);
        bench.track("brk_glitch2", look.glitch2);
        frame[i] = bench.frames(n, int64_t(msAtBar(look.bar)));
        printStats(look.what, frame[i]);
    }

    std::printf("steps alone: the logo into a full-size target, the passes 1280x720 to 1280x720\n");
    TextureHandle* picture = makeBenchPicture(gfx);
    RenderTargetHandle out = gfx.acquireScreenRenderTarget(kScreenFull);
    const float s = 176.0f;
    double perLook[3] = {};
    gfx.setClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    for (int i = 0; i < 3; ++i) {
        char what[64];
        std::snprintf(what, sizeof what, "logo, %s", looks[i].what);
        const FrameStats logo = timeIt(n, [&] {
            out->bind(&gfx, kClearColourDepth);
            drawLogo(gfx, looks[i].camofs);
            out->unbind(&gfx);
        });
        printStats(what, logo);
        std::snprintf(what, sizeof what, "radial blur (%.1f)", double(looks[i].radits));
        const FrameStats blur = timeIt(n, [&] {
            postRadialBlur(&gfx, picture, &out.target, s, orb::kRadialDistance, looks[i].radits);
        });
        printStats(what, blur);
        perLook[i] = logo.median + blur.median;
    }
    printStats("radial blur (0)", timeIt(n, [&] {
                   postRadialBlur(&gfx, picture, &out.target, s, orb::kRadialDistance, 0.0f);
               }));
    double passes = 0.0;
    auto pass = [&](const char* what, const FrameStats& st) {
        printStats(what, st);
        passes += st.median;
    };
    pass("vignette", timeIt(n, [&] { postVignette(&gfx, picture, &out.target, 1.0f); }));
    pass("colour offset", timeIt(n, [&] { postColOffset(&gfx, picture, &out.target); }));
    pass("digital glitch",
         timeIt(n, [&] { postDigitalGlitch(&gfx, picture, &out.target, s, 0.5f); }));
    pass("digital glitch 2",
         timeIt(n, [&] { postDigitalGlitch2(&gfx, picture, &out.target, s, 0.5f); }));
    pass("grain", timeIt(n, [&] { postGrain(&gfx, picture, &out.target, 0.1f, s); }));
    pass("premultiplied over", timeIt(n, [&] {
             gfx.pushRenderState();
             postSetDefault2DState(&gfx);
             setBlend(&gfx, kBlendOver);
             postPassthrough(&gfx, picture);
             gfx.popRenderState();
         }));

    // The radial blur next to its fetch floor: the picture's own texel and 24 taps along the
    // line towards the centre, laid out as they fall for a pixel at the frame's mean distance
    // from the centre (about 390 pixels), the streak's share of it growing with the glow. The
    // pass reads single texels; the floor of filtered reads is printed beside it, as that is
    // what they were.
    std::printf("the scene's own pass against its fetch floor\n");
    printFloorHeader();
    for (const Look& look : looks) {
        const float reach = std::min(0.9f, 0.45f * look.radits) * 390.0f; // pixels
        std::vector<FloorTap> taps{{0, 0.0f, 0.0f}};
        for (int k = 0; k < 24; ++k) {
            const float at = reach * (float(k) + 0.5f) / 24.0f;
            taps.push_back({0, -at * 0.8f, -at * 0.6f});
        }
        const int tenths = int(look.radits * 10.0f);
        const std::string unfiltered = "floor_radial_texel_" + std::to_string(tenths);
        const std::string filtered = "floor_radial_filtered_" + std::to_string(tenths);
        const FetchFloor texelFloor = makeTexelFetchFloor(&gfx, unfiltered, picture, taps);
        const FetchFloor filteredFloor =
            makeFetchFloor(&gfx, filtered, {{"sampler2D", picture}}, taps);
        auto pass = [&] {
            postRadialBlur(&gfx, picture, &out.target, s, orb::kRadialDistance, look.radits);
        };
        char what[48];
        std::snprintf(what, sizeof what, "radial blur (%.1f)", double(look.radits));
        printFloorRow(
            compareWithFloor(what, n, pass, [&] { drawFetchFloor(&gfx, texelFloor, out.target); }));
        std::snprintf(what, sizeof what, "  floor of filtered reads");
        printFloorRow(compareWithFloor(what, n, pass,
                                       [&] { drawFetchFloor(&gfx, filteredFloor, out.target); }));
    }

    std::printf("frame against the sum of its steps (goal: frame <= 1.2 x sum)\n");
    for (int i = 0; i < 3; ++i) {
        const double sum = perLook[i] + passes;
        std::printf("%-28s frame %8.2f  steps %8.2f ms  ratio %5.2f\n", looks[i].what,
                    frame[i].median, sum, frame[i].median / sum);
    }
    return 0;
}
