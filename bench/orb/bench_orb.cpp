// bench_orb - milliseconds per frame of the orb scene at 1280 x 720 in its three looks (the
// break's calm glow, the end card held, the end card torn apart), then each pass of its chain
// alone on a screen-sized picture, over N runs each (default 30) after one warm-up.
//   xvfb-run -a -s "-screen 0 1280x720x24" build/bench/orb/bench_orb [frames]
#include "bench_common.h"
#include "bench_scene.h"

#include "orb_rules.h"
#include "post_radial_blur.h"
#include "postfx.h"
#include "sync_grid.h"

#include <cstdio>

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
    for (const Look& look : {Look{"break (glow 1.0)", -0.3f, 1.0f, 0, 0, 51},
                             Look{"end card (glow 1.3)", 0, 1.3f, 0, 0, 106},
                             Look{"torn (glow 4, glitches)", 1, 4, 1, 1.2f, 111}}) {
        bench.track("brk_camofs", look.camofs);
        bench.track("brk_radits", look.radits);
        bench.track("brk_glitch1", look.glitch1);
        bench.track("brk_glitch2", look.glitch2);
        printStats(look.what, bench.frames(n, int64_t(msAtBar(look.bar))));
    }

    std::printf("passes alone, 1280x720 source and destination\n");
    TextureHandle* picture = makeBenchPicture(gfx);
    RenderTargetHandle out = gfx.acquireScreenRenderTarget(1); // full size
    const float s = 176.0f;
    printStats("vignette", timeIt(n, [&] { postVignette(&gfx, picture, &out.target, 1.0f); }));
    printStats("radial blur (0)", timeIt(n, [&] {
                   postRadialBlur(&gfx, picture, &out.target, s, orb::kRadialDistance, 0.0f);
               }));
    printStats("radial blur (1.3)", timeIt(n, [&] {
                   postRadialBlur(&gfx, picture, &out.target, s, orb::kRadialDistance, 1.3f);
               }));
    printStats("colour offset", timeIt(n, [&] { postColOffset(&gfx, picture, &out.target); }));
    printStats("digital glitch",
               timeIt(n, [&] { postDigitalGlitch(&gfx, picture, &out.target, s, 0.5f); }));
    printStats("digital glitch 2",
               timeIt(n, [&] { postDigitalGlitch2(&gfx, picture, &out.target, s, 0.5f); }));
    printStats("grain", timeIt(n, [&] { postGrain(&gfx, picture, &out.target, 0.1f, s); }));
    printStats("premultiplied over", timeIt(n, [&] {
                   postSetDefault2DState(&gfx);
                   postPassthrough(&gfx, picture);
               }));
    return 0;
}
