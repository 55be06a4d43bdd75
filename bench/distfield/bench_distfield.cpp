// bench_distfield - milliseconds of the distance-field scene at 1280 x 720:
//   - whole frames of each of the four ray-marched scenes at full size (with glow, colour
//     offset and all three logos) and at a quarter size, N frames each (default 30) after one
//     warm-up frame;
//   - for each scene at full size, every step of its frame alone at the frame's sizes (the
//     empty or striped B, the vignette, the march into C, its copy into A, glow, colour
//     offset, the three logos, the vertical offset, the blit out), the sum of the steps'
//     medians next to the frame's median and their ratio;
//   - the march pass next to its fetch floor (fetch_floor.h): the one wobble fetch every pixel
//     makes for its dither, so the ratio is what the marching itself costs.
//   xvfb-run -a -s "-screen 0 1280x720x24" build/bench/distfield/bench_distfield [frames]
#include "bench_common.h"
#include "bench_scene.h"
#include "fetch_floor.h"

#include "postfx.h"
#include "scene_base.h"

#include <cstdio>
#include <string>

namespace {

const char* const kShaders[4] = {"raymarch00", "raymarch01", "raymarch02", "raymarch03"};
const char* const kLogos[3] = {"data/textures/tolvane_logo.jpg", "data/textures/logo_kelpmoor.png",
                               "data/textures/pruxa_logo.jpg"};
const float kLogoScales[3] = {2.5f, 1.5f, 1.15f};
constexpr int64_t kTime = 150000; // bar 90.6
constexpr float kTrack = 0.5f;    // every shape and logo track

// The march pass's draw as the scene makes it: variant `scene` with the uniforms of the tracks
// above, into `c` cleared, over its whole size.
void drawMarch(gfxContext& gfx, int scene, TextureHandle* wobble, iRenderTarget* c) {
    const char* shader = kShaders[scene];
    gfx.useShader(shader);
    const float s = float(kTime) / 1000.0f;
    const float time[4] = {s, s, s, s};
    gfx.setVector(shader, "time", time);
    gfx.setTexture(shader, "tex0", wobble);
    const float parms[4] = {kTrack, kTrack, kTrack, kTrack};
    gfx.setVector(shader, "parms", parms);
    const float parms2[4] = {kTrack, kTrack, 0.0f, 0.0f};
    gfx.setVector(shader, "parms2", parms2);
    gfx.setClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    BoundTarget bound(&gfx, c, kClearColourDepth);
    gfx.setViewport(0, 0, c->texture()->width, c->texture()->height);
    gfx.drawFullscreenQuad();
}

void overlayLogo(gfxContext& gfx, int i, RenderTargetHandle& a) {
    TextureHandle* logo = loadTexture(&gfx, kLogos[i], kLoadClampedMipmapped);
    setBlend(&gfx, kBlendAdd);
    const float w = float(logo->width) * kLogoScales[i] / 1280.0f;
    const float h = float(logo->height) * kLogoScales[i] / 720.0f;
    screenOverlayTextured(&gfx, logo, &a.target, -w, -h, w, h, kTrack);
}

} // namespace

int main(int argc, char** argv) {
    const int frames = benchRuns(argc, argv, 30);
    gfxContext& gfx = *makeBenchContext();
    BenchScene bench(gfx, PLUGIN);
    for (const char* name : {"blob_morph", "blob_distort", "blob_matmorph", "blob_logodistort",
                             "slice_offset", "glowintensity", "tlvits", "kelp_its", "pruxa_its"})
        bench.track(name, kTrack);
    bench.track("mch_vofs", 0.0f);
    bench.track("mch_vblur", 8.0f);

    std::printf("distfield frame times, 1280x720, %d frames each\n", frames);
    FrameStats full[4];
    for (float version : {0.0f, 1.0f})
        for (int n = 0; n < 4; ++n) {
            bench.track("mch_scenever", version);
            bench.track("march_scenenum", float(n));
            const std::string what =
                std::string(version == 0.0f ? "full" : "quarter") + " scene " + std::to_string(n);
            const FrameStats s = bench.frames(frames, kTime);
            if (version == 0.0f) full[n] = s;
            printStats(what.c_str(), s);
        }

    // The steps of a full-size frame alone, on the pool's targets as render leases them.
    TextureHandle* wobble = loadTexture(&gfx, "data/textures/tlv_wobble.png", kLoadClamped);
    TextureHandle* stripes = loadTexture(&gfx, "data/textures/stripeback02.png", kLoadClamped);
    RenderTargetHandle a = gfx.acquireScreenRenderTarget(kScreenFull);
    RenderTargetHandle b = gfx.acquireScreenRenderTarget(kScreenFull);
    RenderTargetHandle c = gfx.acquireScreenRenderTarget(kScreenFull);
    auto reset = [&] {
        *gfx.renderState() = rs::defaultWord();
        setBlend(&gfx, kBlendOver);
        gfx.setViewport(0, 0, 1280, 720);
    };
    for (int n = 0; n < 4; ++n) {
        std::printf("\nscene %d at full size, each step alone\n", n);
        double sum = 0.0;
        auto step = [&](const char* what, auto body) {
            const FrameStats s = timeIt(frames, [&] {
                reset();
                body();
            });
            printStats(what, s);
            sum += s.median;
        };
        step(n == 3 ? "B cleared, stripes" : "B cleared", [&] {
            gfx.setClearColor(0.0f, 0.0f, 0.0f, 0.0f);
            BoundTarget bound(&gfx, b, kClearColourDepth);
            if (n == 3) postBlit(&gfx, stripes);
        });
        step("vignette B -> A", [&] { postVignette(&gfx, b->texture(), &a.target, 1.75f); });
        step("march into C", [&] { drawMarch(gfx, n, wobble, c.target); });
        step("copy C -> A", [&] {
            BoundTarget bound(&gfx, a, kClearNone);
            postCopyClamp(&gfx, c->texture(), 1.0f, 1.0f);
        });
        step("glow A -> B",
             [&] { postBloom(&gfx, a->texture(), &b.target, 190.0f, 200.0f, 1.3f); });
        step("colour offset B -> A", [&] { postColOffset(&gfx, b->texture(), &a.target); });
        for (int i = 0; i < 3; ++i)
            step(i == 0 ? "logo 1" : i == 1 ? "logo 2" : "logo 3", [&] { overlayLogo(gfx, i, a); });
        step("vertical offset A -> B",
             [&] { postVertOffset(&gfx, a->texture(), &b.target, 0.0f, 8.0f); });
        step("blit B out", [&] { postBlit(&gfx, b->texture()); });
        std::printf("%-28s median %8.2f  frame %8.2f  frame / steps %5.2f\n", "sum of steps", sum,
                    full[n].median, sum > 0.0 ? full[n].median / sum : 0.0);
    }

    // The march next to its floor: one fetch of the wobble texture per pixel (the dither).
    std::printf("\n");
    printFloorHeader();
    const FetchFloor floor =
        makeFetchFloor(&gfx, "floor_march", {{"sampler2D", wobble}}, floorLine(0, 1, 0.0f, 0.0f));
    for (int n = 0; n < 4; ++n) {
        const std::string what = "march scene " + std::to_string(n);
        printFloorRow(compareWithFloor(
            what.c_str(), frames,
            [&] {
                reset();
                drawMarch(gfx, n, wobble, c.target);
            },
            [&] {
                reset();
                drawFetchFloor(&gfx, floor, c.target);
            }));
    }
    return 0;
}
