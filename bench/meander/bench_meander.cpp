// bench_meander - milliseconds of the random-walk scene at 1280 x 720:
//   - whole frames in each version (0: trail and background, 1: the trail four times, 2: the
//     post chain alone) with the full 256-instance trail, N runs each (default 30) after one
//     warm-up;
//   - every step of a frame alone at the frame's sizes: the trail into T (once, and four times
//     rolled), the glitch T -> A, the background over A, and each post pass of the chain on
//     the pictures of a frame of each version; for versions 0 and 1 the sum of their steps'
//     medians next to the frame's median and the ratio, with the frames timed again at the
//     end of the run (the load of a shared machine moves in between);
//   - the background next to its fetch floor (fetch_floor.h): its two texture fetches per pixel
//     ("tex" and "tex_lines") over the screen, written and nothing else.
// The trail and the background are drawn with the scene's own draws (meander_draw.h) and the
// models and textures the plug-in registered on this context.
//   xvfb-run -a -s "-screen 0 1280x720x24" build/bench/meander/bench_meander [frames]
#include "bench_common.h"
#include "bench_scene.h"
#include "fetch_floor.h"

#include "imodel.h"
#include "meander_draw.h"
#include "meander_rules.h"
#include "postfx.h"
#include "scene_base.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace {

constexpr int64_t kTime = 130000; // bar 78.5
constexpr float kInstances = 500.0f;
const char* const kSpikes[3] = {"spike0", "spike1", "spike2"};
// The glow of each version.
const float kGlow0[3] = {128.0f, 128.0f, 1.25f};
const float kGlow1[3] = {128.0f, 64.0f, 1.25f};

float g_path[meander::kPathPoints][3];
float g_rotations[meander::kRotations][16];

// The camera of version `version` at the head of a trail of `n` points.
Camera trailCamera(int version, int n) {
    const meander::Vec3f c = meander::windowCentre(g_path, meander::cameraWindow(n));
    const float side = version == meander::kVersionBackground ? 1.85f : 2.85f;
    const float eye[3] = {c.x + side, c.y - 0.5f, c.z + side};
    const float target[3] = {c.x, c.y - 0.35f, c.z};
    const float up[3] = {0.0f, 1.0f, 0.0f};
    Camera camera;
    camera.setLookAt(eye, target, up);
    camera.setPerspective(75.0f, 16.0f / 9.0f, 0.25f, 50.0f);
    return camera;
}

// The scene's two draws with the models the plug-in registered on this context.
void drawTrail(gfxContext& gfx, Camera& camera, int n) {
    iModel* const spikes[3] = {gfx.model(kSpikes[0]), gfx.model(kSpikes[1]), gfx.model(kSpikes[2])};
    meander::drawSpikes(&gfx, camera, n, g_path, g_rotations, spikes);
}

void drawBackground(gfxContext& gfx, const Camera& camera, float seconds) {
    meander::drawMarkings(&gfx, camera, seconds, 0.0f, 0.6f, gfx.model("markings"));
}

} // namespace

int main(int argc, char** argv) {
    const int n = benchRuns(argc, argv, 30);
    gfxContext& gfx = *makeBenchContext();
    BenchScene bench(gfx, PLUGIN);
    bench.track("rndwalk_num_inst", kInstances);
    bench.track("rnd_glitch", 0.2f);
    bench.track("rnd_markheight", 0.0f);
    bench.track("rnd_bg_h", 0.6f);
    bench.track("rnd_streaks_its", 0.5f);

    std::printf("random-walk frame times, 1280x720, %d runs each\n", n);
    FrameStats frame[3];
    for (int version = 0; version < 3; ++version) {
        bench.track("rnd_scenever", float(version));
        const std::string what = "frame, version " + std::to_string(version);
        // A few frames first: llvmpipe builds shader variants over a version's first frames
        // (the rolled trail's took several), which one warm-up frame leaves in the median.
        bench.frames(3, kTime);
        frame[version] = bench.frames(n, kTime);
        printStats(what.c_str(), frame[version]);
    }

    // The steps alone, on the pool's targets as render leases them.
    meander::buildPath(postRandomEntry, g_path);
    meander::buildRotations(postRandomEntry, g_rotations);
    const int count = meander::instanceCount(kInstances);
    const float seconds = float(kTime) / 1000.0f;
    RenderTargetHandle a = gfx.acquireScreenRenderTarget(kScreenFull);
    RenderTargetHandle t = gfx.acquireScreenRenderTarget(kScreenFull);
    auto reset = [&] {
        *gfx.renderState() = rs::defaultWord();
        gfx.setViewport(0, 0, 1280, 720);
    };
    auto step = [&](const char* what, auto body) {
        const FrameStats s = timeIt(n, [&] {
            reset();
            body();
        });
        printStats(what, s);
        return s.median;
    };
    Camera camera0 = trailCamera(meander::kVersionBackground, count);
    Camera camera1 = trailCamera(meander::kVersionRolled, count);
    const double trail = step("trail into T", [&] {
        gfx.setClearColor(0.06125f, 0.06125f, 0.06125f, 1.0f);
        BoundTarget bound(&gfx, t, kClearColourDepth);
        drawTrail(gfx, camera0, count);
    });
    const double rolled = step("trail x4 into T", [&] {
        gfx.setClearColor(0.1f, 0.1f, 0.1f, 1.0f);
        BoundTarget bound(&gfx, t, kClearColourDepth);
        static const float ups[4][3] = {{0, 1, 0}, {0, -1, 0}, {1, 0, 0}, {-1, 0, 0}};
        for (const float* up : ups) {
            camera1.setUp(up);
            drawTrail(gfx, camera1, count);
        }
    });
    const double glitch = step(
        "glitch T -> A", [&] { postDigitalGlitch(&gfx, t->texture(), &a.target, seconds, 0.2f); });
    // Over A with its depth cleared: the whole screen, where the frame's background fills
    // what the trail left empty (most of it).
    const double background = step("background over A", [&] {
        BoundTarget bound(&gfx, a, kClearDepth);
        drawBackground(gfx, camera0, seconds);
    });

    // The chain's passes alone on each version's own picture (what a pass costs can depend on
    // what it reads): A as the version leaves it, and each pass's output kept for the next.
    RenderTargetHandle pictures[5];
    for (RenderTargetHandle& p : pictures) p = gfx.acquireScreenRenderTarget(kScreenFull);
    igfxContext* g = &gfx;
    const float streak[3] = {100.0f, 100.0f, 1.3f};
    TextureHandle* in[5];
    for (int k = 0; k < 5; ++k) in[k] = pictures[k]->texture();
    auto chain = [&](int version) {
        reset();
        if (version == meander::kVersionBackground)
            gfx.setClearColor(0.06125f, 0.06125f, 0.06125f, 1.0f);
        else
            gfx.setClearColor(0.1f, 0.1f, 0.1f, 1.0f);
        {
            BoundTarget bound(&gfx, t, kClearColourDepth);
            if (version == meander::kVersionBackground) {
                drawTrail(gfx, camera0, count);
            } else {
                static const float ups[4][3] = {{0, 1, 0}, {0, -1, 0}, {1, 0, 0}, {-1, 0, 0}};
                for (const float* up : ups) {
                    camera1.setUp(up);
                    drawTrail(gfx, camera1, count);
                }
            }
        }
        postDigitalGlitch(&gfx, t->texture(), &a.target, seconds, 0.2f);
        if (version == meander::kVersionBackground) {
            BoundTarget bound(&gfx, a, kClearNone);
            drawBackground(gfx, camera0, seconds);
        }
        {
            reset();
            BoundTarget bound(&gfx, pictures[0], kClearColourDepth);
            postBlit(&gfx, a->texture());
        }
        std::printf("the chain on a version-%d picture\n", version);
        const float(&glow)[3] = version == meander::kVersionBackground ? kGlow0 : kGlow1;
        double sum = 0.0;
        sum += step("pass vignette", [&] { postVignette(g, in[0], &pictures[1].target, 1.0f); });
        sum += step("pass bloom",
                    [&] { postBloom(g, in[1], &pictures[2].target, glow[0], glow[1], glow[2]); });
        sum += step("pass streaks add",
                    [&] { postStreaksAdd(g, in[2], &pictures[3].target, seconds, streak, 0.5f); });
        sum += step("pass colour offset", [&] { postColOffset(g, in[3], &pictures[4].target); });
        sum += step("pass blit", [&] { postBlit(g, in[4]); });
        return sum;
    };
    const double chain0 = chain(meander::kVersionBackground);
    const double chain1 = chain(meander::kVersionRolled);

    auto sumLine = [](const char* what, double sum, const FrameStats& f) {
        std::printf("%-28s median %8.2f  frame %8.2f  frame / steps %5.2f\n", what, sum, f.median,
                    sum > 0.0 ? f.median / sum : 0.0);
    };
    sumLine("sum of steps, version 0", trail + glitch + background + chain0, frame[0]);
    sumLine("sum of steps, version 1", rolled + glitch + chain1, frame[1]);
    sumLine("sum of steps, version 2", chain0, frame[2]);
    // The frames once more, after the steps: on a machine shared with other work the load can
    // move between the start and the end of a run; the two ratios show by how much.
    for (int version = 0; version < 3; ++version) {
        bench.track("rnd_scenever", float(version));
        frame[version] = bench.frames(n, kTime);
    }
    sumLine("again, version 0", trail + glitch + background + chain0, frame[0]);
    sumLine("again, version 1", rolled + glitch + chain1, frame[1]);
    sumLine("again, version 2", chain0, frame[2]);

    // The background next to its floor: both of its textures fetched once per pixel.
    printFloorHeader();
    const FetchFloor floor = makeFetchFloor(
        &gfx, "floor_background",
        {{"sampler2D", loadTexture(&gfx, "data/textures/markings04.jpg", kLoadRepeatedMipmapped)},
         {"sampler2D",
          loadTexture(&gfx, "data/textures/markings04_lines.jpg", kLoadRepeatedMipmapped)}},
        floorLine(0, 1, 0.0f, 0.0f) + floorLine(1, 1, 0.0f, 0.0f));
    printFloorRow(compareWithFloor(
        "background", n,
        [&] {
            reset();
            BoundTarget bound(&gfx, a, kClearDepth);
            drawBackground(gfx, camera0, seconds);
        },
        [&] {
            reset();
            drawFetchFloor(&gfx, floor, a.target);
        }));
    return 0;
}
