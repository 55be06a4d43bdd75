// bench_vortex - milliseconds per frame of the tunnel scene at 1280 x 720 on three stretches
// of its flight (whole tunnel with greetings, the broken end ahead, inside the wreckage with
// every glitch on), then each of its post passes alone on a 1280 x 720 picture, over N runs
// each (default 30) after one warm-up.
//   xvfb-run -a -s "-screen 0 1280x720x24" build/bench/vortex/bench_vortex [frames]
#include "bench_common.h"
#include "bench_scene.h"

#include "irender_target.h"
#include "lut_loader.h"
#include "postfx.h"

#include <cstdio>

int main(int argc, char** argv) {
    const int n = benchRuns(argc, argv, 30);
    gfxContext& gfx = *makeBenchContext();
    BenchScene bench(gfx, PLUGIN);
    bench.track("tnl_camrot", 0.3f);
    bench.track("tnl_lightits", 1.0f);
    bench.track("tnl_lightdist", 30.0f);

    std::printf("tunnel scene, 1280x720, %d runs each\n", n);
    struct Stretch {
        const char* what;
        float ofs, glitch;
    };
    for (const Stretch& s : {Stretch{"frame: tunnel, greetings", 125.0f, 0.0f},
                             Stretch{"frame: broken end ahead", 5.0f, 0.0f},
                             Stretch{"frame: wreckage, glitched", -70.0f, 1.0f}}) {
        bench.track("tnl_ofs", s.ofs);
        bench.track("tnl_glitch", s.glitch);
        bench.track("tnl_postglitch1", s.glitch);
        bench.track("tnl_postglitch2", s.glitch);
        printStats(s.what, bench.frames(n, 100000));
    }

    // The passes alone, on the context's own pool targets as the scene leases them.
    TextureHandle* picture = makeBenchPicture(gfx);
    TextureHandle* lut = loadColorLut(&gfx, "data/textures/LUT_tunnel01.png");
    RenderTargetHandle a = gfx.acquireScreenRenderTarget(1);
    RenderTargetHandle b = gfx.acquireScreenRenderTarget(1);
    {
        // Give A a depth buffer's worth of content for the depth of field.
        a->bind(&gfx, 3);
        postBlit(&gfx, picture);
        a->unbind(&gfx);
    }
    printStats("pass: colour look-up",
               timeIt(n, [&] { postRgbLut(&gfx, picture, lut, &b.target, 1.0f); }));
    printStats("pass: depth of field",
               timeIt(n, [&] { postDof(&gfx, a.target, &b.target, 0.1f, 40.0f); }));
    printStats("pass: colour offset", timeIt(n, [&] { postColOffset(&gfx, picture, &b.target); }));
    printStats("pass: digital glitch",
               timeIt(n, [&] { postDigitalGlitch(&gfx, picture, &b.target, 1234.0f, 1.0f); }));
    printStats("pass: digital glitch 2",
               timeIt(n, [&] { postDigitalGlitch2(&gfx, picture, &b.target, 1.234f, 1.0f); }));
    printStats("pass: premultiplied over", timeIt(n, [&] {
                   postSetDefault2DState(&gfx);
                   postPassthrough(&gfx, picture);
               }));
    return 0;
}
