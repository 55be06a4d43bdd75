// bench_pillars - milliseconds per frame of the title scene at 1280 x 720 in three looks of
// the intro (the sculpture building under the letterbox; the title burned in and graded; the
// finished sculpture under the title), each post pass of its chain alone on a 1280 x 720
// picture, and the spectrogram's upload: the whole 512 x 1024 texture (2 MiB), as the scene
// does every frame, against the one 1 x 1024 column that actually changed.
//   xvfb-run -a -s "-screen 0 1280x720x24" build/bench/pillars/bench_pillars [frames]
#include "bench_common.h"
#include "bench_scene.h"
#include "lut_loader.h"
#include "postfx.h"
#include "scene_codes.h"

#include <cstdio>
#include <vector>

namespace {

struct Look {
    const char* name;
    int64_t ms;
    float numsurfs, scnver, titleits, burn, border;
};

} // namespace

int main(int argc, char** argv) {
    const int frames = benchRuns(argc, argv, 30);
    gfxContext& gfx = *makeBenchContext();
    BenchScene bench(gfx, PLUGIN);
    bench.track("cyl_fade", 255.0f);
    for (const char* name : {"kaos_rot", "kaos_height", "kaos_allscale", "kaos_scr-offset",
                             "kaos_vblur_px", "cyl_whiteout"})
        bench.track(name, 0.0f);

    std::printf("pillars (cylinders_scene), 1280x720, %d runs each\n", frames);
    const Look looks[] = {{"frame: building, bar 4", 6600, 4.4f, 0.0f, 0.0f, 0.0f, 0.42f},
                          {"frame: title, bar 10", 16600, 15.4f, 1.0f, 1.0f, 0.85f, 0.30f},
                          {"frame: whole, bar 14.5", 24000, 24.0f, 1.0f, 1.0f, 0.85f, 0.24f}};
    for (const Look& l : looks) {
        bench.track("kaos_numsurfs", l.numsurfs);
        bench.track("cyl_scnver", l.scnver);
        bench.track("cyl_titleits", l.titleits);
        bench.track("title_burn", l.burn);
        bench.track("cylborder", l.border);
        printStats(l.name, bench.frames(frames, l.ms, 16));
    }

    // Each pass of the chain alone, from a picture into a full-size target.
    TextureHandle* picture = makeBenchPicture(gfx);
    RenderTargetHandle src = gfx.acquireScreenRenderTarget(kScreenFull);
    RenderTargetHandle out = gfx.acquireScreenRenderTarget(kScreenFull);
    {
        src->bind(&gfx, kClearColourDepth);
        postBlit(&gfx, picture);
        src->unbind(&gfx);
    }
    TextureHandle* lut = loadColorLut(&gfx, "data/textures/LUT_purple_darks.png");
    TextureHandle* burn = gfx.loadTexture("data/textures/burn_gradient.png", false, 2, true, 0);
    TextureHandle* mask =
        gfx.loadTexture("data/textures/title_brusqua_mask.png", false, 2, true, 0);
    const float levels[5] = {0.0f, 255.0f, 1.0f, 0.0f, 255.0f};
    const float zero = 0.0f, blur = 24.0f;
    printStats("pass: fxaa", timeIt(frames, [&] { postFxaa(&gfx, picture, &out.target, 1.0f); }));
    printStats("pass: dof",
               timeIt(frames, [&] { postDof(&gfx, src.target, &out.target, 100, 160); }));
    printStats("pass: rgb lut",
               timeIt(frames, [&] { postRgbLut(&gfx, picture, lut, &out.target, 1); }));
    printStats("pass: blit (no grade)", timeIt(frames, [&] {
                   out->bind(&gfx, kClearColour);
                   postBlit(&gfx, picture);
                   out->unbind(&gfx);
               }));
    printStats("pass: unsharp",
               timeIt(frames, [&] { postUnsharp(&gfx, picture, &out.target, 1); }));
    printStats("pass: barrel", timeIt(frames, [&] { postBarrel(&gfx, picture, &out.target); }));
    printStats("pass: vertical offset",
               timeIt(frames, [&] { postVertOffset(&gfx, picture, &out.target, zero, blur); }));
    printStats("pass: vignette",
               timeIt(frames, [&] { postVignette(&gfx, picture, &out.target, 1); }));
    printStats("pass: bloom",
               timeIt(frames, [&] { postBloom(&gfx, picture, &out.target, 190, 255, 1.3f); }));
    printStats("pass: colour offset",
               timeIt(frames, [&] { postColOffset(&gfx, picture, &out.target); }));
    printStats("pass: grain",
               timeIt(frames, [&] { postGrain(&gfx, picture, &out.target, 0.0725f, 1); }));
    printStats("pass: levels",
               timeIt(frames, [&] { postLevels(&gfx, picture, &out.target, levels); }));
    printStats("pass: burn composite", timeIt(frames, [&] {
                   postComposite(&gfx, burn, picture, &out.target, kCompositeBurn, 0.85f);
               }));
    printStats("pass: title overlay", timeIt(frames, [&] {
                   gfx.pushRenderState();
                   rs::setBlend(*gfx.renderState(), kBlendOne, kBlendOneMinusSrcAlpha, kBlendOne,
                                kBlendZero);
                   screenOverlayMasked(&gfx, picture, mask, &out.target, -0.96f, -0.4267f, 0.96f,
                                       0.4267f, 1.0f);
                   gfx.popRenderState();
               }));
    printStats("pass: final blit", timeIt(frames, [&] { postBlit(&gfx, picture); }));

    // The spectrogram's upload: the whole texture every frame, as the scene does, and for
    // comparison the single column that changed.
    std::vector<unsigned char> pixels(size_t(512) * 1024 * 4, 0x40);
    TextureHandle* spectrogram =
        gfx.createTexture2D(512, 1024, kFormatBGRA, kFormatRGBA8, kWrapRepeat, pixels.data());
    int k = 0;
    printStats("upload: whole 2 MiB", timeIt(frames, [&] {
                   pixels[size_t(k++ % 512) * 4] ^= 0xff; // a changed buffer each time
                   gfx.updateTexture(spectrogram, 0, 0, 512, 1024, kFormatBGRA, pixels.data());
               }));
    std::vector<unsigned char> column(size_t(1024) * 4, 0x80);
    printStats("upload: one column (4 KiB)", timeIt(frames, [&] {
                   gfx.updateTexture(spectrogram, k++ % 512, 0, 1, 1024, kFormatBGRA,
                                     column.data());
               }));
    return 0;
}
