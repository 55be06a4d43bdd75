// The compositing passes on llvmpipe: blend modes, masks, rectangles, levels, interlacing.
#include "postfx_fixture.h"
#include "render_state.h"

using Composite = PostFx;

namespace {

// over = (0.8, 0.4, 0.502, alpha 0.502), under = (0.4, 0.302, 0.502, 1). The three channels
// put each mode in a different regime: dodge and burn clip on one channel and divide on another.
const Rgba kOver = {204, 102, 128, 128};
const Rgba kUnder = {102, 77, 128, 255};

struct ModeCase {
    CompositeMode mode;
    Rgba want; // at opacity 0.5
};

// Worked by hand from the definitions of the modes, o = 0.5:
const ModeCase kModes[] = {
    // premultiplied over: under * (1 - 0.502 * o) + over * o; r = 0.4 * 0.749 + 0.4 = 0.700
    {kCompositeOverlay, {178, 109, 160, 255}},
    // under + over * o; r = 0.4 + 0.4 = 0.8, b = 0.502 + 0.251 = 0.753
    {kCompositeAdd, {204, 128, 192, 255}},
    // under + over * 0.502 * o; r = 0.4 + 0.2008
    {kCompositeAddMultAlpha, {153, 103, 160, 255}},
    // 1 - (1 - u)(1 - o'), halfway: r = (0.4 + 0.88) / 2 = 0.64
    {kCompositeScreen, {163, 113, 160, 255}},
    // u / (1 - o') clipped at 1, halfway: r = (0.4 + 1) / 2, g = (0.302 + 0.503) / 2
    {kCompositeDodge, {179, 103, 192, 255}},
    // u * (1 + (o' - 1) * o): r = 0.4 * 0.9 = 0.36
    {kCompositeModulate, {92, 54, 96, 255}},
    // 1 - (1 - u) / o' clipped at 0, halfway: r = (0.4 + 0.25) / 2, g = (0.302 + 0) / 2
    {kCompositeBurn, {83, 39, 65, 255}},
};

} // namespace

// ---- blend modes ----------------------------------------------------------------------------

TEST_F(Composite, EveryModeCombinesKnownColoursAsWorkedOutByHand) {
    TextureHandle* over = texture(4, 4, solid(4, 4, kOver));
    TextureHandle* under = texture(4, 4, solid(4, 4, kUnder));
    iRenderTarget* dst = target(4, 4, solid(4, 4, {1, 2, 3, 4}));
    for (const ModeCase& c : kModes) {
        postComposite(gfx, over, under, &dst, c.mode, 0.5f);
        EXPECT_TRUE(near(at(read(dst), 4, 1, 2), c.want, 2)) << "mode " << c.mode;
        // Opacity 0 leaves the under image, whatever the mode.
        postComposite(gfx, over, under, &dst, c.mode, 0.0f);
        EXPECT_TRUE(near(at(read(dst), 4, 1, 2), kUnder, 1)) << "mode " << c.mode;
    }
    EXPECT_FLOAT_EQ(uniform("burn_comp", "opasity")[3], 0.0f);
}

TEST_F(Composite, ModulateWithTheVignetteKeepsTheCentreAndDarkensTheCorners) {
    TextureHandle* vignette = gfx->loadTexture("data/textures/vignette02.png", false, 2, false, 0);
    ASSERT_NE(vignette, nullptr);
    TextureHandle* white = texture(64, 36, solid(64, 36, {255, 255, 255, 255}));
    iRenderTarget* dst = target(64, 36, solid(64, 36, {0, 0, 0, 0}));
    postComposite(gfx, vignette, white, &dst, kCompositeModulate, 1.0f);
    const Pixels full = read(dst);
    EXPECT_GE(at(full, 64, 32, 18).r, 250);
    EXPECT_LE(at(full, 64, 0, 0).r, 80);
    EXPECT_LE(at(full, 64, 63, 35).g, 80);
    postComposite(gfx, vignette, white, &dst, kCompositeModulate, 0.5f);
    // Halfway: the corner lies between itself and white.
    const int corner = at(read(dst), 64, 0, 0).r;
    EXPECT_NEAR(corner, (at(full, 64, 0, 0).r + 255) / 2, 2);
}

TEST_F(Composite, AModeOutsideTheTableIsReportedAndDrawsNothing) {
    TextureHandle* over = texture(4, 4, solid(4, 4, kOver));
    iRenderTarget* dst = target(4, 4, solid(4, 4, {1, 2, 3, 4}));
    postComposite(gfx, over, over, &dst, static_cast<CompositeMode>(7), 1.0f);
    EXPECT_NE(takeStderr().find("unknown composite mode"), std::string::npos);
    EXPECT_TRUE(near(at(read(dst), 4, 0, 0), {1, 2, 3, 4}, 0));
}

// ---- masks and rectangles -------------------------------------------------------------------

TEST_F(Composite, MaskedOverlayShowsOverOnlyWhereTheMaskIsWhite) {
    Pixels mask = solid(8, 8, {0, 0, 0, 255});
    for (int y = 0; y < 8; ++y)
        for (int x = 4; x < 8; ++x) put(mask, 8, x, y, {255, 255, 255, 255});
    TextureHandle* over = texture(8, 8, solid(8, 8, {200, 0, 0, 255}));
    TextureHandle* under = texture(8, 8, solid(8, 8, {0, 0, 100, 255}));
    TextureHandle* maskTex = texture(8, 8, mask);
    iRenderTarget* dst = target(8, 8, solid(8, 8, {1, 2, 3, 4}));

    postCompositeMasked(gfx, over, under, maskTex, &dst, kCompositeOverlay, 0.5f);
    const Pixels out = read(dst);
    EXPECT_TRUE(near(at(out, 8, 1, 3), {0, 0, 100, 255}, 1)) << "masked off: under";
    // Covered by half: 200 * 0.5 red, 100 * (1 - 0.5) blue.
    EXPECT_TRUE(near(at(out, 8, 6, 3), {100, 0, 50, 255}, 1));
}

TEST_F(Composite, MaskedCompositeWithAnotherModeIsReportedAndDrawsNothing) {
    TextureHandle* tex = texture(4, 4, solid(4, 4, kOver));
    iRenderTarget* dst = target(4, 4, solid(4, 4, {1, 2, 3, 4}));
    postCompositeMasked(gfx, tex, tex, tex, &dst, kCompositeAdd, 1.0f);
    EXPECT_NE(takeStderr().find("not yet implemented"), std::string::npos);
    EXPECT_TRUE(near(at(read(dst), 4, 2, 2), {1, 2, 3, 4}, 0));
}

TEST_F(Composite, TexturedOverlayOverTheWholeTargetMapsTheTextureCornerToCorner) {
    Pixels quad = solid(2, 2, {0, 0, 0, 255});
    put(quad, 2, 0, 0, {200, 0, 0, 255});   // lower left
    put(quad, 2, 1, 1, {0, 200, 100, 255}); // upper right
    TextureHandle* over = texture(2, 2, quad);
    iRenderTarget* dst = target(8, 8, solid(8, 8, {10, 10, 10, 255}));

    postSetDefault2DState(gfx); // the caller's choice: replace
    screenOverlayTextured(gfx, over, &dst, -1.0f, -1.0f, 1.0f, 1.0f, 0.5f);
    const Pixels out = read(dst);
    EXPECT_TRUE(near(at(out, 8, 0, 0), {100, 0, 0, 128}, 1));
    EXPECT_TRUE(near(at(out, 8, 7, 7), {0, 100, 50, 128}, 1));
    *gfx->renderState() = stateBefore;
}

TEST_F(Composite, ScreenOverlaysKeepTheCallersBlendingAndOnlyTouchTheirRectangle) {
    TextureHandle* over = texture(4, 4, solid(4, 4, {100, 100, 100, 255}));
    Pixels mask = solid(4, 4, {255, 255, 255, 255});
    TextureHandle* maskTex = texture(4, 4, mask);
    iRenderTarget* dst = target(8, 8, solid(8, 8, {50, 0, 0, 255}));

    gfx->pushRenderState();
    uint64_t& word = *gfx->renderState();
    rs::setDepthFunc(word, kDepthLess);
    rs::setDepthWrite(word, true);
    rs::setBlend(word, kBlendOne, kBlendOne, kBlendOne, kBlendZero); // additive, as for logos
    const uint64_t callers = word;
    // The lower-left quarter only.
    screenOverlayTextured(gfx, over, &dst, -1.0f, -1.0f, 0.0f, 0.0f, 1.0f);
    EXPECT_EQ(*gfx->renderState(), callers);
    Pixels out = read(dst);
    EXPECT_TRUE(near(at(out, 8, 1, 1), {150, 100, 100, 255}, 1));
    EXPECT_TRUE(near(at(out, 8, 6, 6), {50, 0, 0, 255}, 0));

    // Upper-right quarter through a full mask at opacity 0.5: adds 50.
    screenOverlayMasked(gfx, over, maskTex, &dst, 0.0f, 0.0f, 1.0f, 1.0f, 0.5f);
    out = read(dst);
    EXPECT_TRUE(near(at(out, 8, 6, 6), {100, 50, 50, 128}, 1));
    EXPECT_TRUE(near(at(out, 8, 1, 6), {50, 0, 0, 255}, 0));
    gfx->popRenderState();
}

// ---- levels ---------------------------------------------------------------------------------

TEST_F(Composite, LevelsIdentityAndItsUniforms) {
    Pixels ramp = solid(16, 16, {0, 0, 0, 255});
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) put(ramp, 16, x, y, {x * 17, y * 17, 255 - x * 17, 77});
    TextureHandle* src = texture(16, 16, ramp);
    iRenderTarget* dst = target(16, 16, solid(16, 16, {0, 0, 0, 0}));
    const float identity[5] = {0, 255, 1, 0, 255};
    postLevels(gfx, src, &dst, identity);
    const Pixels out = read(dst);
    for (int y = 0; y < 16; y += 3)
        for (int x = 0; x < 16; x += 3)
            EXPECT_TRUE(near(at(out, 16, x, y), at(ramp, 16, x, y), 1)) << x << "," << y;
    const std::vector<float> io = uniform("levels", "levels_inout");
    EXPECT_EQ(io, (std::vector<float>{0, 255, 0, 255}));
    EXPECT_EQ(uniform("levels", "gamma"), (std::vector<float>{1, 1, 1, 1}));
}

TEST_F(Composite, LevelsStretchClipBendAndRemap) {
    Pixels src = solid(4, 1, {0, 0, 0, 255});
    put(src, 4, 0, 0, {32, 64, 128, 255});
    put(src, 4, 1, 0, {224, 160, 255, 255});
    put(src, 4, 2, 0, {0, 255, 64, 200});
    TextureHandle* tex = texture(4, 1, src);
    iRenderTarget* dst = target(4, 1, solid(4, 1, {0, 0, 0, 0}));

    // Input 64..192: 32 clips to 0, 128 is the middle, 224 clips to 255.
    const float stretch[5] = {64, 192, 1, 0, 255};
    postLevels(gfx, tex, &dst, stretch);
    Pixels out = read(dst);
    EXPECT_TRUE(near(at(out, 4, 0, 0), {0, 0, 128, 255}, 1));
    EXPECT_TRUE(near(at(out, 4, 1, 0), {255, 191, 255, 255}, 1));

    // Gamma 2 brightens mid-tones: 64 is 0.251, its square root 0.501; alpha passes.
    const float bend[5] = {0, 255, 2, 0, 255};
    postLevels(gfx, tex, &dst, bend);
    out = read(dst);
    EXPECT_NEAR(at(out, 4, 2, 0).b, 128, 1);
    EXPECT_NEAR(at(out, 4, 0, 0).r, 90, 1); // sqrt(32/255) = 0.354
    EXPECT_EQ(at(out, 4, 2, 0).a, 200);

    // Output 100..200: black lands on 100, white on 200, 64 on 100 + 0.251 * 100.
    const float remap[5] = {0, 255, 1, 100, 200};
    postLevels(gfx, tex, &dst, remap);
    out = read(dst);
    EXPECT_TRUE(near(at(out, 4, 2, 0), {100, 200, 125, 200}, 1));
}

TEST_F(Composite, LevelsWithEqualInputEndsThresholdInsteadOfDividingByZero) {
    Pixels src = solid(2, 1, {100, 100, 100, 255});
    put(src, 2, 1, 0, {250, 250, 250, 255});
    TextureHandle* tex = texture(2, 1, src);
    iRenderTarget* dst = target(2, 1, solid(2, 1, {7, 7, 7, 7}));
    const float threshold[5] = {200, 200, 1, 0, 255};
    postLevels(gfx, tex, &dst, threshold);
    const Pixels out = read(dst);
    EXPECT_TRUE(near(at(out, 2, 0, 0), {0, 0, 0, 255}, 0));
    EXPECT_TRUE(near(at(out, 2, 1, 0), {255, 255, 255, 255}, 0));
}

// ---- interlacing ----------------------------------------------------------------------------

// The two passes that clear their destination clear its depth too, although the 2-D state they
// draw with has depth writes off: a pooled target must not keep its last user's depth.
TEST_F(Composite, ClearingPassesClearDepthToo) {
    TextureHandle* src = texture(4, 4, solid(4, 4, {10, 20, 30, 255}));
    cRenderTarget_fbo dst;
    dst.initWithSize(gfx, 4, 4, true);
    iRenderTarget* dstp = &dst;
    auto depthAfter = [&](auto pass) {
        dst.bind(gfx, 0); // stale depth of 0.25, as a scene might leave it
        glClearDepth(0.25);
        glClear(GL_DEPTH_BUFFER_BIT);
        glClearDepth(1.0);
        dst.unbind(gfx);
        pass();
        float depth = -1.0f;
        dst.bind(gfx, 0);
        glReadPixels(1, 1, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
        dst.unbind(gfx);
        return depth;
    };
    EXPECT_EQ(depthAfter([&] { postInterlace(gfx, src, &dstp, false); }), 1.0f);
    const float amount = 0.1f, scale = 1.0f;
    EXPECT_EQ(depthAfter([&] { postVertOffset(gfx, src, &dstp, amount, scale); }), 1.0f);
}

TEST_F(Composite, InterlaceClearsFirstAndKeepsEveryOtherRow) {
    Pixels rows = solid(8, 8, {0, 0, 0, 255});
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) put(rows, 8, x, y, {0, 20 + 25 * y, 0, 255});
    TextureHandle* src = texture(8, 8, rows);
    iRenderTarget* dst = target(8, 8, solid(8, 8, {255, 0, 0, 255}));

    postInterlace(gfx, src, &dst, false);
    Pixels out = read(dst);
    for (int y = 0; y < 8; ++y) {
        const Rgba want = y % 2 == 0 ? Rgba{0, 20 + 25 * y, 0, 255} : Rgba{0, 0, 0, 0};
        EXPECT_TRUE(near(at(out, 8, 3, y), want, 1)) << "row " << y;
    }

    // With fill, a dropped row repeats the kept row below it.
    load(dst, solid(8, 8, {255, 0, 0, 255}));
    postInterlace(gfx, src, &dst, true);
    out = read(dst);
    for (int y = 0; y < 8; ++y)
        EXPECT_TRUE(near(at(out, 8, 5, y), {0, 20 + 25 * (y - y % 2), 0, 255}, 1)) << "row " << y;
    EXPECT_EQ(uniform("interlace", "fill"), (std::vector<float>{1, 1, 1, 1}));
}
