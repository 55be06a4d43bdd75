// bench_kaboom - milliseconds of the reactor scene at 1280 x 720 on the bench context:
//   - whole frames with each view ("expl_cylview" 0: six faces and the direct view; 1: six
//     faces and the panorama), N frames each (default 30) after a warm-up frame;
//   - the parts alone: the six cube faces, the direct view and the panorama, drawn by the
//     scene's own drawing steps (kaboom_passes.cpp, compiled in here) into a full-size target;
//   - each post pass of the chain alone on a full-size picture;
//   - the first frame's hitch: the two full-size targets the streaks create at run time.
//   xvfb-run -a -s "-screen 0 1280x720x24" build/bench/kaboom/bench_kaboom [frames]
#include "bench_common.h"
#include "bench_scene.h"

#include "kaboom_passes.h"
#include "kaboom_rules.h"
#include "postfx.h"

#include <cstdio>

int main(int argc, char** argv) {
    const int frames = benchRuns(argc, argv, 30);
    gfxContext& gfx = *makeBenchContext();
    BenchScene bench(gfx, PLUGIN);
    bench.track("rct_camrot", 0.3f);
    bench.track("rct_camdist", 1.0f);
    bench.track("rct_midglow", 1.0f);
    bench.track("rct_beamtime", 5.0f);
    bench.track("rct_ctr_h", 22.0f);
    bench.track("expl_vofs", 0.0f);
    bench.track("expl_vblur_px", 8.0f);
    const int64_t t = 60000; // bar 36

    std::printf("reactor scene, 1280x720, %d runs each\n", frames);
    bench.track("expl_cylview", 0.0f);
    printStats("frame, direct view", bench.frames(frames, t));
    bench.track("expl_cylview", 1.0f);
    printStats("frame, panorama", bench.frames(frames, t));

    // The parts, through the scene's drawing steps on tracks of the same values.
    // The same tracks as the frames above.
    cModuleInput& input = bench.input(t);
    float eye[3], up[3];
    kaboom::eyePosition(eye, 0.3f, 1.0f);
    kaboom::cameraUp(up);
    Camera camera;
    camera.setLookAt(eye, kaboom::kTarget, up);
    camera.setPerspective(kaboom::kFovDeg, 16.0f / 9.0f, kaboom::kNear, kaboom::kFar);
    if (!kaboom::cubeMapMade()) kaboom::makeCubeMap();
    int viewport[4] = {0, 0, 1280, 720};
    RenderTargetHandle target = gfx.acquireScreenRenderTarget(1);
    auto bound = [&](auto body) {
        *gfx.renderState() = rs::defaultWord();
        gfx.setViewport(0, 0, 1280, 720);
        target->bind(&gfx, 3);
        body();
        target->unbind(&gfx);
    };
    printStats("six cube faces", timeIt(frames, [&] {
                   bound([&] {
                       kaboom::renderCubeFaces(&input, eye, kaboom::kNear, kaboom::kFar, viewport);
                   });
               }));
    printStats("direct view alone", timeIt(frames, [&] {
                   bound([&] {
                       kaboom::drawScene(&input, camera.viewProjection(), eye, kaboom::kNear,
                                         kaboom::kFar);
                   });
               }));
    printStats("panorama alone",
               timeIt(frames, [&] { bound([&] { kaboom::drawPanorama(&gfx, viewport); }); }));

    // The post chain's passes alone.
    TextureHandle* picture = makeBenchPicture(gfx);
    RenderTargetHandle out = gfx.acquireScreenRenderTarget(1);
    const float vofs = 0.1f, vblur = 8.0f;
    const float streaks[3] = {200.0f, 170.0f, 1.7f};
    printStats("pass vertical offset",
               timeIt(frames, [&] { postVertOffset(&gfx, picture, &out.target, vofs, vblur); }));
    printStats("pass streaks added", timeIt(frames, [&] {
                   postStreaksAdd(&gfx, picture, &out.target, 60.0f, streaks, 1.0f);
               }));
    printStats("pass colour offset",
               timeIt(frames, [&] { postColOffset(&gfx, picture, &out.target); }));
    printStats("pass blit", timeIt(frames, [&] {
                   BoundTarget b(&gfx, out, kClearNone);
                   postBlit(&gfx, picture);
               }));

    // The first frame's hitch: with A and B and the streaks' own target leased, the two
    // targets postStreaks borrows are made at run time. Here: every full-size target the
    // pool holds leased, then two more created.
    std::vector<RenderTargetHandle> held;
    for (int i = 0; i < 3; ++i) held.push_back(gfx.acquireScreenRenderTarget(1));
    const auto start = std::chrono::steady_clock::now();
    {
        RenderTargetHandle extra1 = gfx.acquireScreenRenderTarget(1);
        RenderTargetHandle extra2 = gfx.acquireScreenRenderTarget(1);
        glFinish();
    }
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("%-28s %8.2f ms\n", "two run-time targets", ms);
    return 0;
}
