// bench_kaboom - milliseconds of the reactor scene at 1280 x 720 on the bench context:
//   - whole frames with each view ("expl_cylview" 0: six faces and the direct view; 1: six
//     faces and the panorama), N frames each (default 30) after a warm-up frame;
//   - the parts alone: the six cube faces, the direct view and the panorama, drawn by the
//     scene's own drawing steps (kaboom_passes.cpp, compiled in here) into a full-size target;
//   - the background picture into A, and each post pass of the chain alone on a full-size
//     picture; for each view the sum of its steps' medians next to the frame's median and
//     their ratio;
//   - the panorama next to its fetch floor (fetch_floor.h): one bilinear fetch of the cube map
//     per pixel, written and nothing else;
//   - the first frame's hitch: the two full-size targets the streaks create at run time;
//   - the scene's two draws alone: the reactor, and the beam's march with no reactor in front
//     of it, each in six 512 x 512 faces and in the direct view, wall and CPU medians
//     (llvmpipe's two threads in the CPU figure, which a busy machine moves less). With "beam"
//     after the run count only these are timed, for comparing versions of the GLSL.
//   xvfb-run -a -s "-screen 0 1280x720x24" build/bench/kaboom/bench_kaboom [frames] [beam]
#include "bench_common.h"
#include "bench_scene.h"
#include "fetch_floor.h"

#include "kaboom_passes.h"
#include "kaboom_rules.h"
#include "postfx.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// fetch_floor.h knows 2D and 3D samplers; the panorama reads a cube map. Its floor: one
// bilinear fetch per pixel, in a direction that turns once around y across the screen and
// climbs with it, so every face is read as the panorama reads them.
FetchFloor makeCubeFloor(gfxContext& gfx, TextureHandle* cube) {
    const char* glsl = "#version 330 compatibility\n"
                       "uniform samplerCube s0;\n"
                       "in vec2 uv;\n"
                       "layout(location = 0) out vec4 fragColor;\n"
                       "void main() {\n"
                       "    float a = uv.x * 6.2831853;\n"
                       "    fragColor = texture(s0, vec3(cos(a), uv.y * 2.0 - 1.2, sin(a)));\n"
                       "}\n";
    loadFloorShader(&gfx, "floor_cube", glsl);
    return FetchFloor{"floor_cube", {{"samplerCube", cube}}, {"s0"}};
}

// The reactor alone, then the beam alone, on a cleared full-size target: in six 512 x 512
// viewports through the faces' view-projections, then at 1280 x 720 through the direct view's.
// Wall and CPU medians.
void timeDrawsAlone(gfxContext& gfx, iModuleInput* input, RenderTargetHandle& target,
                    const float eye[3], const float directVp[16], int runs) {
    float toEye[16], projection[16], faceVp[6][16];
    mat_translation(toEye, -eye[0], -eye[1], -eye[2]);
    mat_perspective(projection, 90.0f, 1.0f, kaboom::kNear, kaboom::kFar);
    for (int i = 0; i < kaboom::kCubeFaces; ++i) {
        float face[16], view[16];
        cubeFaceView(face, i);
        mat_product(view, toEye, face);
        mat_product(faceVp[i], view, projection);
    }
    auto reactor = [&](const float vp[16]) { kaboom::drawReactor(&gfx, vp, 1.0f); };
    auto beam = [&](const float vp[16]) {
        kaboom::drawBeam(input, vp, eye, kaboom::kNear, kaboom::kFar, 1.0f);
    };
    auto timeBoth = [&](const char* what, auto body) {
        std::vector<double> wall, cpu;
        for (int k = 0; k <= runs; ++k) {
            *gfx.renderState() = rs::defaultWord();
            BoundTarget bound(&gfx, target, kClearColourDepth);
            glFinish();
            const double cpuStart = processCpuMs();
            const auto start = std::chrono::steady_clock::now();
            body();
            glFinish();
            if (k == 0) continue; // warm-up
            wall.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count());
            cpu.push_back(processCpuMs() - cpuStart);
        }
        const FrameStats w = statsOf(wall, 0.0), c = statsOf(cpu, 0.0);
        std::printf("%-28s median %8.2f  cpu %8.2f ms  (%d runs)\n", what, w.median, c.median,
                    runs);
    };
    timeBoth("reactor alone, six faces", [&] {
        gfx.setViewport(0, 0, kaboom::kCubeSize, kaboom::kCubeSize);
        for (int i = 0; i < kaboom::kCubeFaces; ++i) reactor(faceVp[i]);
        gfx.setViewport(0, 0, 1280, 720);
    });
    timeBoth("reactor alone, direct view", [&] { reactor(directVp); });
    timeBoth("beam alone, six faces", [&] {
        gfx.setViewport(0, 0, kaboom::kCubeSize, kaboom::kCubeSize);
        for (int i = 0; i < kaboom::kCubeFaces; ++i) beam(faceVp[i]);
        gfx.setViewport(0, 0, 1280, 720);
    });
    timeBoth("beam alone, direct view", [&] { beam(directVp); });
}

} // namespace

int main(int argc, char** argv) {
    const int frames = benchRuns(argc, argv, 30);
    const bool beamOnly = argc > 2 && std::strcmp(argv[2], "beam") == 0;
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
    FrameStats direct, panorama;
    if (!beamOnly) {
        bench.track("expl_cylview", 0.0f);
        direct = bench.frames(frames, t);
        printStats("frame, direct view", direct);
        bench.track("expl_cylview", 1.0f);
        panorama = bench.frames(frames, t);
        printStats("frame, panorama", panorama);
    }

    // The parts, through the scene's drawing steps on tracks of the same values.
    // The same tracks as the frames above.
    cModuleInput& input = bench.input(t);
    float eye[3], up[3];
    kaboom::eyePosition(eye, 0.3f, 1.0f);
    kaboom::cameraUp(up);
    Camera camera;
    camera.setLookAt(eye, kaboom::kTarget, up);
    camera.setPerspective(kaboom::kFovDeg, 16.0f / 9.0f, kaboom::kNear, kaboom::kFar);
    RenderTargetHandle target = gfx.acquireScreenRenderTarget(1);
    if (beamOnly) {
        timeDrawsAlone(gfx, &input, target, eye, camera.viewProjection(), frames);
        return 0;
    }
    if (!kaboom::cubeMapMade()) kaboom::makeCubeMap();
    int viewport[4] = {0, 0, 1280, 720};
    auto bound = [&](auto body) {
        *gfx.renderState() = rs::defaultWord();
        gfx.setViewport(0, 0, 1280, 720);
        target->bind(&gfx, 3);
        body();
        target->unbind(&gfx);
    };
    auto shown = [](const char* what, const FrameStats& s) {
        printStats(what, s);
        return s.median;
    };
    const double faces =
        shown("six cube faces", timeIt(frames, [&] {
                  bound([&] {
                      kaboom::renderCubeFaces(&input, eye, kaboom::kNear, kaboom::kFar, viewport);
                  });
              }));
    const double directAlone = shown("direct view alone", timeIt(frames, [&] {
                                         bound([&] {
                                             kaboom::drawScene(&input, camera.viewProjection(), eye,
                                                               kaboom::kNear, kaboom::kFar);
                                         });
                                     }));
    const double panoramaAlone =
        shown("panorama alone",
              timeIt(frames, [&] { bound([&] { kaboom::drawPanorama(&gfx, viewport); }); }));
    // A cleared and the picture blitted into it, as the frame starts it.
    TextureHandle* background =
        loadTexture(&gfx, "data/textures/bgstripeycircle.jpg", kLoadClamped);
    const double backgroundAlone = shown("background into A", timeIt(frames, [&] {
                                             *gfx.renderState() = rs::defaultWord();
                                             BoundTarget b(&gfx, target, kClearColourDepth);
                                             postBlit(&gfx, background);
                                         }));

    // The post chain's passes alone.
    TextureHandle* picture = makeBenchPicture(gfx);
    RenderTargetHandle out = gfx.acquireScreenRenderTarget(1);
    const float vofs = 0.1f, vblur = 8.0f;
    const float streaks[3] = {200.0f, 170.0f, 1.7f};
    double passes = 0.0;
    passes +=
        shown("pass vertical offset",
              timeIt(frames, [&] { postVertOffset(&gfx, picture, &out.target, vofs, vblur); }));
    passes += shown("pass streaks added", timeIt(frames, [&] {
                        postStreaksAdd(&gfx, picture, &out.target, 60.0f, streaks, 1.0f);
                    }));
    passes += shown("pass colour offset",
                    timeIt(frames, [&] { postColOffset(&gfx, picture, &out.target); }));
    passes += shown("pass blit", timeIt(frames, [&] {
                        BoundTarget b(&gfx, out, kClearNone);
                        postBlit(&gfx, picture);
                    }));
    auto sumLine = [](const char* what, double sum, const FrameStats& frame) {
        std::printf("%-28s median %8.2f  frame %8.2f  frame / steps %5.2f\n", what, sum,
                    frame.median, sum > 0.0 ? frame.median / sum : 0.0);
    };
    const double common = faces + backgroundAlone + passes;
    sumLine("sum of steps, direct view", common + directAlone, direct);
    sumLine("sum of steps, panorama", common + panoramaAlone, panorama);

    // The panorama next to its floor: a cube-map fetch per pixel over the whole sphere.
    FetchFloor floor = makeCubeFloor(gfx, kaboom::cubeMap());
    printFloorHeader();
    printFloorRow(compareWithFloor(
        "panorama", frames, [&] { bound([&] { kaboom::drawPanorama(&gfx, viewport); }); },
        [&] {
            *gfx.renderState() = rs::defaultWord();
            drawFetchFloor(&gfx, floor, target.target);
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
    held.clear();

    timeDrawsAlone(gfx, &input, target, eye, camera.viewProjection(), frames);
    return 0;
}
