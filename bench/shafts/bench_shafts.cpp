// bench_shafts - milliseconds per frame of the light-shafts scene at 1280 x 720 in each camera
// set-up, then each post-processing pass of its chain alone on a full-size picture (the glow
// steps on the sizes the scene gives them), N runs each (default 20) after one warm-up.
//   xvfb-run -a -s "-screen 0 1280x720x24" build/bench/shafts/bench_shafts [frames]
#include "bench_common.h"
#include "bench_scene.h"
#include "postfx.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    const int n = benchRuns(argc, argv, 20);
    gfxContext& gfx = *makeBenchContext();
    {
        BenchScene bench(gfx, PLUGIN);
        bench.track("vol_circlerot", 20.0f);
        bench.track("vol_camrot", -30.0f);
        bench.track("vol_lightits", 1.0f);
        bench.track("vol_lutits", 0.9f);
        bench.track("vol_vofs", 0.0f);
        bench.track("vol_vblur", 0.0f);
        std::printf("shafts frame times, 1280x720, %d frames each\n", n);
        for (int v = 0; v < 3; ++v) {
            bench.track("vol_var", float(v));
            const std::string what = "frame, set-up " + std::to_string(v);
            printStats(what.c_str(), bench.frames(n, 33103));
        }
    }

    TextureHandle* picture = makeBenchPicture(gfx);
    RenderTargetHandle full = gfx.acquireScreenRenderTarget(1);
    RenderTargetHandle full2 = gfx.acquireScreenRenderTarget(1);
    RenderTargetHandle quarter = gfx.acquireScreenRenderTarget(4);
    RenderTargetHandle half = gfx.acquireScreenRenderTarget(2);
    const float threshold[5] = {254.0f, 255.0f, 1.3f, 0.0f, 255.0f};
    const float streaks[3] = {190.0f, 190.0f, 1.5f};
    const float vofs = 0.1f, vblur = 20.0f;
    TextureHandle* lut = gfx.createTexture3D(32, 32, 32, kFormatRGBA8, kFormatRGBA8, nullptr);
    std::printf("passes alone, %d runs each\n", n);
    printStats("downsample full->half",
               timeIt(n, [&] { postDownsample(&gfx, picture, &half.target); }));
    printStats("levels half",
               timeIt(n, [&] { postLevels(&gfx, half->texture(), &half.target, threshold); }));
    printStats("dir blur half",
               timeIt(n, [&] { postDirBlur(&gfx, half->texture(), &half.target); }));
    printStats("blur target quarter", timeIt(n, [&] { postBlurTarget(&gfx, &quarter.target); }));
    printStats("streaks quarter->full", timeIt(n, [&] {
                   postStreaks(&gfx, quarter->texture(), &full.target, 1.0f, streaks);
               }));
    printStats("blur target full", timeIt(n, [&] { postBlurTarget(&gfx, &full.target); }));
    printStats("composite overlay", timeIt(n, [&] {
                   postComposite(&gfx, picture, full->texture(), &full2.target, kCompositeOverlay,
                                 1.0f);
               }));
    printStats("composite add", timeIt(n, [&] {
                   postComposite(&gfx, picture, full->texture(), &full2.target, kCompositeAdd,
                                 1.0f);
               }));
    printStats("rgb lut", timeIt(n, [&] { postRgbLut(&gfx, picture, lut, &full.target, 0.9f); }));
    printStats("vertical offset",
               timeIt(n, [&] { postVertOffset(&gfx, picture, &full.target, vofs, vblur); }));
    printStats("colour offset", timeIt(n, [&] { postColOffset(&gfx, picture, &full.target); }));
    printStats("blit", timeIt(n, [&] { postBlit(&gfx, picture); }));
    return 0;
}
