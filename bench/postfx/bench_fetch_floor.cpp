// bench_fetch_floor - every post pass at the sizes the scenes run it, next to its fetch floor
// (fetch_floor.h): the same textures read at the same offsets, summed, nothing else.
//
// One row per pass: median ms of the pass, of its floor, and their ratio. Multi-draw passes
// (blur, anti-aliasing, the chains) are compared with the sum of their draws' floors, drawn
// into targets of the sizes the pass uses inside. Where a pass's offsets depend on the picture
// or on chance, the floor reads the offsets it typically reads (noted per row).
//   xvfb-run -a -s "-screen 0 1280x720x24" build/bench/postfx/bench_fetch_floor [runs] [filter]
//   [root]
// With a filter ("" for all) only the rows whose name contains it run. With a root the passes
// read their GLSL from root/data/shaders (an old runtime, a trial copy), so two versions of
// the shaders can be timed on one machine, one right after the other.
#include "bench_common.h"
#include "fetch_floor.h"
#include "gl_loader.h"
#include "postfx.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace {

const int kW = 1280, kH = 720;

// A 32-cube grading table (a mild tint), as the scenes' tables are.
TextureHandle* makeLut(igfxContext* gfx) {
    const int n = 32;
    std::vector<unsigned char> texels(size_t(n) * n * n * 4);
    for (int b = 0; b < n; ++b)
        for (int g = 0; g < n; ++g)
            for (int r = 0; r < n; ++r) {
                unsigned char* p = &texels[((size_t(b) * n + g) * n + r) * 4];
                p[0] = static_cast<unsigned char>(b * 255 / (n - 1)); // BGRA
                p[1] = static_cast<unsigned char>(g * 240 / (n - 1));
                p[2] = static_cast<unsigned char>(r * 255 / (n - 1));
                p[3] = 255;
            }
    return gfx->createTexture3D(n, n, n, kFormatBGRA, kFormatRGBA8, texels.data());
}

// A small texture standing in for the scenes' vignette, masks and gradients.
TextureHandle* makeSmall(igfxContext* gfx, int w, int h) {
    std::vector<unsigned char> pixels(size_t(w) * h * 4, 200);
    return gfx->createTexture2D(w, h, kFormatRGBA8, kFormatRGBA8, 2, pixels.data());
}

const char* g_filter = nullptr;
int g_runs = 15;

template <class Pass, class Floor> void row(const char* name, Pass pass, Floor floor) {
    if (g_filter && *g_filter && !std::strstr(name, g_filter)) return;
    printFloorRow(compareWithFloor(name, g_runs, pass, floor));
}

// The floors of the shared building blocks, made once per source size.
struct Blocks {
    FetchFloor one, two, downsample, blurX, blurY, rnd;
};

// One fetch; a composite's two; a downsample's four a quarter of a destination pixel from
// its centre (half a source texel for 2x); the blur's five linear fetches per axis, the second
// axis reading what the first wrote (`across`, which blurX draws into); the jittered blur's
// eight taps spread over its reach (the longest pass of the streaks, 80 px).
Blocks makeBlocks(igfxContext* gfx, const char* tag, TextureHandle* source, TextureHandle* other,
                  TextureHandle* across) {
    const std::string t = tag;
    const std::vector<FloorTap> blur = {
        {0, 0, 0}, {0, 4.0f / 3, 0}, {0, -4.0f / 3, 0}, {0, 28.0f / 9, 0}, {0, -28.0f / 9, 0}};
    std::vector<FloorTap> blurY;
    for (const FloorTap& tap : blur) blurY.push_back({0, tap.dy, tap.dx});
    return {
        makeFetchFloor(gfx, "floor_one_" + t, {{"sampler2D", source}}, {{0, 0, 0}}),
        makeFetchFloor(gfx, "floor_two_" + t, {{"sampler2D", source}, {"sampler2D", other}},
                       {{0, 0, 0}, {1, 0, 0}}),
        makeFetchFloor(gfx, "floor_down_" + t, {{"sampler2D", source}},
                       {{0, -0.5f, -0.5f}, {0, 0.5f, -0.5f}, {0, -0.5f, 0.5f}, {0, 0.5f, 0.5f}}),
        makeFetchFloor(gfx, "floor_blurx_" + t, {{"sampler2D", source}}, blur),
        makeFetchFloor(gfx, "floor_blury_" + t, {{"sampler2D", across}}, blurY),
        makeFetchFloor(gfx, "floor_rnd_" + t, {{"sampler2D", source}}, floorLine(0, 8, 70.0f, 0)),
    };
}

} // namespace

int main(int argc, char** argv) {
    g_runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    g_filter = argc > 2 ? argv[2] : nullptr;
    gfxContext* gfx = makeBenchContext();
    if (argc > 3 && chdir(argv[3]) != 0) {
        std::fprintf(stderr, "bench: no root %s\n", argv[3]);
        return 1;
    }
    TextureHandle* picture = makeStripedPicture(gfx, /*spots*/ true);
    TextureHandle* lut = makeLut(gfx);
    TextureHandle* small = makeSmall(gfx, 256, 256);

    // Targets held for the whole run, so the passes borrow the pool's and the floors draw into
    // these of the same sizes.
    RenderTargetHandle full1 = gfx->acquireRenderTarget(kW, kH);
    RenderTargetHandle full2 = gfx->acquireRenderTarget(kW, kH);
    RenderTargetHandle half1 = gfx->acquireRenderTarget(kW / 2, kH / 2);
    RenderTargetHandle half2 = gfx->acquireRenderTarget(kW / 2, kH / 2);
    RenderTargetHandle quarter1 = gfx->acquireRenderTarget(kW / 4, kH / 4);
    RenderTargetHandle quarter2 = gfx->acquireRenderTarget(kW / 4, kH / 4);
    RenderTargetHandle eighth1 = gfx->acquireRenderTarget(kW / 8, kH / 8);
    RenderTargetHandle eighth2 = gfx->acquireRenderTarget(kW / 8, kH / 8);
    iRenderTarget* F1 = full1.target;
    iRenderTarget* F2 = full2.target;
    iRenderTarget* H1 = half1.target;
    iRenderTarget* H2 = half2.target;
    iRenderTarget* Q1 = quarter1.target;
    iRenderTarget* Q2 = quarter2.target;
    iRenderTarget* E1 = eighth1.target;
    iRenderTarget* E2 = eighth2.target;

    // The picture in a half- and quarter-size target too, for the passes the chains run there.
    postDownsample(gfx, picture, &half1.target);
    postDownsample(gfx, half1->texture(), &quarter1.target);
    postDownsample(gfx, quarter1->texture(), &eighth1.target);
    TextureHandle* halfPic = half1->texture();
    TextureHandle* quarterPic = quarter1->texture();
    TextureHandle* eighthPic = eighth1->texture();
    RenderTargetHandle halfSrc = gfx->acquireRenderTarget(kW / 2, kH / 2);
    RenderTargetHandle quarterSrc = gfx->acquireRenderTarget(kW / 4, kH / 4);
    RenderTargetHandle eighthSrc = gfx->acquireRenderTarget(kW / 8, kH / 8);
    halfSrc->bind(gfx, 0);
    postBlit(gfx, halfPic);
    halfSrc->unbind(gfx);
    quarterSrc->bind(gfx, 0);
    postBlit(gfx, quarterPic);
    quarterSrc->unbind(gfx);
    eighthSrc->bind(gfx, 0);
    postBlit(gfx, eighthPic);
    eighthSrc->unbind(gfx);
    halfPic = halfSrc->texture();
    quarterPic = quarterSrc->texture();
    eighthPic = eighthSrc->texture();

    const Blocks full = makeBlocks(gfx, "full", picture, F2->texture(), F1->texture());
    const Blocks half = makeBlocks(gfx, "half", halfPic, H2->texture(), H1->texture());
    const Blocks quarter = makeBlocks(gfx, "quarter", quarterPic, Q2->texture(), Q1->texture());
    const Blocks eighth = makeBlocks(gfx, "eighth", eighthPic, E2->texture(), E1->texture());
    // Both axes of a blur: the first into the *1 target, the second from it into *2.
    auto blurFloor = [&](const Blocks& b, iRenderTarget* first, iRenderTarget* second) {
        drawFetchFloor(gfx, b.blurX, first);
        drawFetchFloor(gfx, b.blurY, second);
    };
    // The library's own textures, as its passes load them (the manager hands out the same).
    TextureHandle* vignetteTex =
        gfx->loadTexture("data/textures/vignette02.png", false, 2, false, 0);
    TextureHandle* noiseTex = gfx->loadTexture("data/textures/noise.png", false, 1, true, 0);
    TextureHandle* burnTex =
        gfx->loadTexture("data/textures/burn_gradient.png", false, 2, false, 0);
    // A floor over a target's own texture reads what the pass reads there: same size, same
    // format; the pixels do not change what a fetch costs.

    // A depth-buffered full-size source for the depth of field, its depth far enough from the
    // focus for the full blur radius.
    RenderTargetHandle dofSource = gfx->acquireScreenRenderTarget(1);
    gfx->setClearDepth(0.99f);
    dofSource->bind(gfx, 2);
    postBlit(gfx, picture);
    dofSource->unbind(gfx);
    gfx->setClearDepth(1.0f);
    TextureHandle* dofDepth = gfx->depthTexture(dofSource.target);

    std::printf("# fetch floor, 1280 x 720 frame, median of %d runs\n", g_runs);
    printFloorHeader();

    // ---- basic ----------------------------------------------------------------------------
    row(
        "blit 1280x720",
        [&] {
            F1->bind(gfx, 0);
            postBlit(gfx, picture);
            F1->unbind(gfx);
        },
        [&] { drawFetchFloor(gfx, full.one, F1); });
    row(
        "downsample 1280->640", [&] { postDownsample(gfx, picture, &H1); },
        [&] { drawFetchFloor(gfx, full.downsample, H1); });
    row(
        "dir blur 1280x720", [&] { postDirBlur(gfx, picture, &F1); },
        [&] { blurFloor(full, F1, F2); });
    row(
        "blur target 1280x720", [&] { postBlurTarget(gfx, &F2); },
        [&] { blurFloor(full, F1, F2); });
    row(
        "blur target 320x180", [&] { postBlurTarget(gfx, &Q2); },
        [&] { blurFloor(quarter, Q1, Q2); });
    {
        // The prepass reads one texel; the filter a pixel's 3x3 neighbourhood and the one
        // blended read (flat pixels stop after five, edge pixels walk further).
        const FetchFloor filter =
            makeFetchFloor(gfx, "floor_fxaa", {{"sampler2D", picture}},
                           floorBlock(0, 3, 3) + std::vector<FloorTap>{{0, 0, 0.5f}});
        row(
            "fxaa 1280x720 (prepass+filter)", [&] { postFxaa(gfx, picture, &F1, 1.0f); },
            [&] {
                drawFetchFloor(gfx, full.one, F2);
                drawFetchFloor(gfx, filter, F1);
            });
    }

    // ---- compositing ----------------------------------------------------------------------
    row(
        "levels 1280x720",
        [&] {
            const float cut[5] = {190.0f, 255.0f, 1.3f, 0.0f, 255.0f};
            postLevels(gfx, picture, &F1, cut);
        },
        [&] { drawFetchFloor(gfx, full.one, F1); });
    row(
        "levels 640x360",
        [&] {
            const float cut[5] = {190.0f, 255.0f, 1.3f, 0.0f, 255.0f};
            postLevels(gfx, halfPic, &H1, cut);
        },
        [&] { drawFetchFloor(gfx, half.one, H1); });
    const FetchFloor burn =
        makeFetchFloor(gfx, "floor_burn", {{"sampler2D", burnTex}, {"sampler2D", picture}},
                       {{0, 0, 0}, {1, 0, 0}});
    row(
        "composite add 1280x720",
        [&] { postComposite(gfx, F2->texture(), picture, &F1, kCompositeAdd, 1.0f); },
        [&] { drawFetchFloor(gfx, full.two, F1); });
    row(
        "composite burn 1280x720",
        [&] { postComposite(gfx, burnTex, picture, &F1, kCompositeBurn, 0.5f); },
        [&] { drawFetchFloor(gfx, burn, F1); });
    {
        const FetchFloor vignette = makeFetchFloor(
            gfx, "floor_vignette", {{"sampler2D", vignetteTex}, {"sampler2D", picture}},
            {{0, 0, 0}, {1, 0, 0}});
        row(
            "vignette 1280x720", [&] { postVignette(gfx, picture, &F1, 1.75f); },
            [&] { drawFetchFloor(gfx, vignette, F1); });
        const FetchFloor masked = makeFetchFloor(
            gfx, "floor_masked",
            {{"sampler2D", F2->texture()}, {"sampler2D", picture}, {"sampler2D", small}},
            {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}});
        row(
            "composite masked 1280x720",
            [&] {
                postCompositeMasked(gfx, F2->texture(), picture, small, &F1, kCompositeOverlay,
                                    0.8f);
            },
            [&] { drawFetchFloor(gfx, masked, F1); });
        const FetchFloor overlay =
            makeFetchFloor(gfx, "floor_overlay", {{"sampler2D", picture}, {"sampler2D", small}},
                           {{0, 0, 0}, {1, 0, 0}});
        row(
            "screen overlay masked (full)",
            [&] { screenOverlayMasked(gfx, picture, small, &F1, -1, -1, 1, 1, 0.8f); },
            [&] { drawFetchFloor(gfx, overlay, F1); });
        row(
            "screen overlay textured (full)",
            [&] { screenOverlayTextured(gfx, picture, &F1, -1, -1, 1, 1, 0.8f); },
            [&] { drawFetchFloor(gfx, full.one, F1); });
    }
    row(
        "interlace 1280x720 (fill)", [&] { postInterlace(gfx, picture, &F1, true); },
        [&] {
            F1->bind(gfx, 3); // the pass's clear
            F1->unbind(gfx);
            drawFetchFloor(gfx, full.one, F1);
        });

    // ---- stylising ------------------------------------------------------------------------
    {
        const FetchFloor grade = makeFetchFloor(
            gfx, "floor_lut", {{"sampler2D", picture}, {"sampler3D", lut}}, {{0, 0, 0}, {1, 0, 0}});
        row(
            "rgb lut 1280x720", [&] { postRgbLut(gfx, picture, lut, &F1, 1.0f); },
            [&] { drawFetchFloor(gfx, grade, F1); });

        // The disc at its full radius (6 px): the centre and 16 taps, plus the depth read;
        // the pass's depth copy is in both figures, as the floor cannot do without it.
        std::vector<FloorTap> disc = {{0, 0, 0}, {1, 0, 0}};
        for (int i = 0; i < 16; ++i) {
            const float r = 6.0f * std::sqrt((float(i) + 0.5f) / 16.0f), a = float(i) * 2.39996323f;
            disc.push_back({0, r * std::cos(a), r * std::sin(a)});
        }
        const FetchFloor dof = makeFetchFloor(
            gfx, "floor_dof", {{"sampler2D", dofSource->texture()}, {"sampler2D", dofDepth}}, disc);
        row(
            "dof 1280x720 (full radius)", [&] { postDof(gfx, dofSource.target, &F1, 0.1f, 40.0f); },
            [&] {
                gfx->depthTexture(dofSource.target);
                drawFetchFloor(gfx, dof, F1);
            });

        // Nine taps over the smear, vertically: 8 px, and a pulse dying down at 1.5 px; without
        // a smear the pass reads its row once.
        for (const float scale : {8.0f, 1.5f, 0.0f}) {
            const std::string name = scale > 2.0f ? "8 px" : scale > 0.0f ? "1.5 px" : "no smear";
            const FetchFloor smear = makeFetchFloor(
                gfx, "floor_vertoffset_" + std::to_string(int(scale * 10.0f)),
                {{"sampler2D", picture}}, floorLine(0, scale > 0.0f ? 9 : 1, 0, 0.5f * scale));
            const std::string label = "vertical offset 1280x720 (" + name + ")";
            row(
                label.c_str(), [&] { postVertOffset(gfx, picture, &F1, 0.05f, scale); },
                [&] {
                    F1->bind(gfx, 3);
                    F1->unbind(gfx);
                    drawFetchFloor(gfx, smear, F1);
                });
        }

        // Red, green and blue each from its own point (a few pixels apart).
        const FetchFloor three = makeFetchFloor(gfx, "floor_three", {{"sampler2D", picture}},
                                                {{0, -3, -2}, {0, 0, 0}, {0, 3, 2}});
        row(
            "colour offset 1280x720", [&] { postColOffset(gfx, picture, &F1); },
            [&] { drawFetchFloor(gfx, three, F1); });
        row(
            "noise distortion 1280x720", [&] { postDistNoise(gfx, picture, &F1, 1.5f, 4.0f); },
            [&] { drawFetchFloor(gfx, three, F1); });
        row(
            "barrel 1280x720", [&] { postBarrel(gfx, picture, &F1); },
            [&] { drawFetchFloor(gfx, full.one, F1); });
        // Half the blocks hit at amount 1: the picture and the moved patch.
        const FetchFloor glitch =
            makeFetchFloor(gfx, "floor_glitch", {{"sampler2D", picture}}, {{0, 0, 0}, {0, 80, 0}});
        row(
            "digital glitch 1280x720 (b=1)",
            [&] { postDigitalGlitch(gfx, picture, &F1, 0.25f, 1.0f); },
            [&] { drawFetchFloor(gfx, glitch, F1); });
        row(
            "digital glitch 2 1280x720 (0.5)",
            [&] { postDigitalGlitch2(gfx, picture, &F1, 1.25f, 0.5f); },
            [&] { drawFetchFloor(gfx, three, F1); });
        const FetchFloor grain =
            makeFetchFloor(gfx, "floor_grain", {{"sampler2D", picture}, {"sampler2D", noiseTex}},
                           {{0, 0, 0}, {1, 0, 0}});
        row(
            "grain 1280x720", [&] { postGrain(gfx, picture, &F1, 0.1f, 1.0f); },
            [&] { drawFetchFloor(gfx, grain, F1); });
        row(
            "dir blur rnd 1280x720 (80 px)",
            [&] { postDirBlurRnd(gfx, picture, &F1, 80.0f, 0.0f, 1.0f); },
            [&] { drawFetchFloor(gfx, full.rnd, F1); });

        const FetchFloor unsharpTop =
            makeFetchFloor(gfx, "floor_unsharp", {{"sampler2D", picture}, {"sampler2D", eighthPic}},
                           {{0, 0, 0}, {1, 0, 0}});
        row(
            "unsharp 1280x720 (chain)", [&] { postUnsharp(gfx, picture, &F1, 1.0f); },
            [&] {
                drawFetchFloor(gfx, full.downsample, H1);
                drawFetchFloor(gfx, half.downsample, Q1);
                drawFetchFloor(gfx, quarter.downsample, E1);
                blurFloor(eighth, E1, E2);
                drawFetchFloor(gfx, unsharpTop, F1);
            });
    }

    // ---- chains ---------------------------------------------------------------------------
    {
        const FetchFloor addGlow = makeFetchFloor(
            gfx, "floor_bloom_add", {{"sampler2D", eighthPic}, {"sampler2D", picture}},
            {{0, 0, 0}, {1, 0, 0}});
        row(
            "bloom 1280x720 (chain)", [&] { postBloom(gfx, picture, &F1, 190.0f, 255.0f, 1.3f); },
            [&] {
                drawFetchFloor(gfx, full.downsample, H1);
                drawFetchFloor(gfx, half.one, H2);
                blurFloor(half, H1, H2); // the blur borrows a third half target
                drawFetchFloor(gfx, half.downsample, Q1);
                blurFloor(quarter, Q1, Q2);
                drawFetchFloor(gfx, quarter.downsample, E1);
                for (int i = 0; i < 2; ++i) blurFloor(eighth, E1, E2);
                drawFetchFloor(gfx, eighth.one, E2);
                drawFetchFloor(gfx, addGlow, F1);
            });

        const float kaboom[3] = {200.0f, 170.0f, 1.7f};
        row(
            "streaks add 1280x720 (chain)",
            [&] { postStreaksAdd(gfx, picture, &F1, 1.0f, kaboom, 1.0f); },
            [&] {
                drawFetchFloor(gfx, full.one, F2);
                for (int i = 0; i < 5; ++i) drawFetchFloor(gfx, full.rnd, i % 2 ? F2 : F1);
                drawFetchFloor(gfx, full.one, F2);
                drawFetchFloor(gfx, full.two, F1);
            });
        const float shafts[3] = {190.0f, 190.0f, 1.5f};
        row(
            "streaks 320x180 (chain)", [&] { postStreaks(gfx, quarterPic, &Q1, 1.0f, shafts); },
            [&] {
                drawFetchFloor(gfx, quarter.one, Q2);
                for (int i = 0; i < 5; ++i) drawFetchFloor(gfx, quarter.rnd, i % 2 ? Q2 : Q1);
                drawFetchFloor(gfx, quarter.one, Q1);
            });
    }
    return 0;
}
