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
//
// With a second argument, a trial copy of raymarch.frag, it only compares the march with the
// tree's: for each scene the two drawn alternately (wall and CPU medians), then both pictures
// at four music times read back and compared (mean and largest difference per channel at full
// size, and the mean at the golden frames' 4 x 4 box filter). With BENCH_PNG_DIR set both
// pictures are written there as march<n>_<ms>_{tree,trial}.png to be looked at. A trial's
// vertex shader is the one beside it with the same name (trial.vert), else the tree's.
//   bench_distfield 10 /tmp/raymarch_trial.frag
#include "bench_common.h"
#include "bench_scene.h"
#include "fetch_floor.h"
#include "image.h"

#include "postfx.h"
#include "scene_base.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const char* const kShaders[4] = {"raymarch00", "raymarch01", "raymarch02", "raymarch03"};
const char* const kLogos[3] = {"data/textures/tolvane_logo.jpg", "data/textures/logo_kelpmoor.png",
                               "data/textures/pruxa_logo.jpg"};
const float kLogoScales[3] = {2.5f, 1.5f, 1.15f};
constexpr int64_t kTime = 150000; // bar 90.6
constexpr float kTrack = 0.5f;    // every shape and logo track

// The march pass's draw as the scene makes it: variant `scene` with the uniforms of the tracks
// above at `ms`, into `c` cleared, over its whole size; `shader` names another program of the
// same inputs (a trial copy).
void drawMarch(gfxContext& gfx, int scene, TextureHandle* wobble, iRenderTarget* c,
               const char* shader = nullptr, int64_t ms = kTime) {
    if (!shader) shader = kShaders[scene];
    gfx.useShader(shader);
    const float s = float(ms) / 1000.0f;
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

// The colour target's pixels, RGBA rows bottom first.
std::vector<uint8_t> readBack(gfxContext& gfx, iRenderTarget* c) {
    const int w = c->texture()->width, h = c->texture()->height;
    std::vector<uint8_t> px(size_t(w) * h * 4);
    BoundTarget bound(&gfx, c, kClearNone);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    return px;
}

// The render state every step starts from: the default word with premultiplied blending.
void resetState(gfxContext& gfx) {
    *gfx.renderState() = rs::defaultWord();
    setBlend(&gfx, kBlendOver);
    gfx.setViewport(0, 0, 1280, 720);
}

// Each scene's march into `c` against `other(n)` (a draw into the same target), alternately.
template <class Other>
void compareMarches(gfxContext& gfx, int frames, TextureHandle* wobble, iRenderTarget* c,
                    Other other) {
    printFloorHeader();
    for (int n = 0; n < 4; ++n) {
        const std::string what = "march scene " + std::to_string(n);
        printFloorRow(compareWithFloor(
            what.c_str(), frames,
            [&] {
                resetState(gfx);
                drawMarch(gfx, n, wobble, c);
            },
            [&] {
                resetState(gfx);
                other(n);
            }));
    }
}

// The tree's march against a trial copy of its fragment shader: time, then pictures.
int compareTrial(gfxContext& gfx, int frames, const char* trialFile) {
    const char* const defines[4] = {"#define SCENE00\n", "#define SCENE01\n", "#define SCENE02\n",
                                    "#define SCENE03\n"};
    const char* const trials[4] = {"trial00", "trial01", "trial02", "trial03"};
    // A trial's own vertex shader sits beside it (name.vert for name.frag), else the tree's.
    std::string trialVertex = trialFile;
    trialVertex = trialVertex.substr(0, trialVertex.rfind('.')) + ".vert";
    if (!std::filesystem::exists(trialVertex)) trialVertex = "data/shaders/raymarch.vert";
    for (int n = 0; n < 4; ++n) {
        gfx.loadShaderDefines(kShaders[n], "data/shaders/raymarch.vert",
                              "data/shaders/raymarch.frag", defines[n]);
        gfx.loadShaderDefines(trials[n], trialVertex, trialFile, defines[n]);
        if (!gfx.hasShader(trials[n], defines[n])) {
            std::fprintf(stderr, "bench: %s does not build as scene %d\n", trialFile, n);
            return 1;
        }
    }
    TextureHandle* wobble = loadTexture(&gfx, "data/textures/tlv_wobble.png", kLoadClamped);
    RenderTargetHandle c = gfx.acquireScreenRenderTarget(kScreenFull);
    std::printf("march, the tree's (ms) against the trial's (floor ms), %d runs each\n", frames);
    compareMarches(gfx, frames, wobble, c.target,
                   [&](int n) { drawMarch(gfx, n, wobble, c.target, trials[n]); });

    const char* pngDir = std::getenv("BENCH_PNG_DIR");
    const int w = c->texture()->width, h = c->texture()->height;
    constexpr int kBox = 4;
    std::printf("\n%-24s %10s %10s %10s %12s\n", "picture", "mean", "largest", "over 48",
                "mean 4x4 box");
    for (int n = 0; n < 4; ++n)
        for (int64_t ms : {int64_t(149000), int64_t(153600), int64_t(162300), int64_t(168900)}) {
            resetState(gfx);
            drawMarch(gfx, n, wobble, c.target, nullptr, ms);
            const std::vector<uint8_t> tree = readBack(gfx, c.target);
            resetState(gfx);
            drawMarch(gfx, n, wobble, c.target, trials[n], ms);
            const std::vector<uint8_t> trial = readBack(gfx, c.target);
            double sum = 0.0, boxSum = 0.0;
            int largest = 0;
            long far = 0;
            for (size_t i = 0; i < tree.size(); ++i) {
                const int d = std::abs(int(tree[i]) - int(trial[i]));
                sum += d;
                largest = std::max(largest, d);
                far += d > 48;
            }
            for (int y = 0; y + kBox <= h; y += kBox)
                for (int x = 0; x + kBox <= w; x += kBox)
                    for (int ch = 0; ch < 4; ++ch) {
                        int a = 0, b = 0;
                        for (int dy = 0; dy < kBox; ++dy)
                            for (int dx = 0; dx < kBox; ++dx) {
                                const size_t i = (size_t(y + dy) * w + x + dx) * 4 + ch;
                                a += tree[i];
                                b += trial[i];
                            }
                        boxSum += std::abs(a - b) / double(kBox * kBox);
                    }
            const std::string what =
                "scene " + std::to_string(n) + " at " + std::to_string(ms) + " ms";
            std::printf("%-24s %10.3f %10d %10ld %12.3f\n", what.c_str(), sum / double(tree.size()),
                        largest, far, boxSum / (double(w / kBox) * double(h / kBox) * 4.0));
            if (pngDir) {
                const std::string base =
                    std::string(pngDir) + "/march" + std::to_string(n) + "_" + std::to_string(ms);
                saveImagePng(base + "_tree.png", w, h, tree.data());
                saveImagePng(base + "_trial.png", w, h, trial.data());
            }
        }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const int frames = benchRuns(argc, argv, 30);
    gfxContext& gfx = *makeBenchContext();
    if (argc > 2) return compareTrial(gfx, frames, argv[2]);
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
    for (int n = 0; n < 4; ++n) {
        std::printf("\nscene %d at full size, each step alone\n", n);
        double sum = 0.0;
        auto step = [&](const char* what, auto body) {
            const FrameStats s = timeIt(frames, [&] {
                resetState(gfx);
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
    const FetchFloor floor =
        makeFetchFloor(&gfx, "floor_march", {{"sampler2D", wobble}}, floorLine(0, 1, 0.0f, 0.0f));
    compareMarches(gfx, frames, wobble, c.target,
                   [&](int) { drawFetchFloor(&gfx, floor, c.target); });
    return 0;
}
