// The basic passes on llvmpipe: known pictures in, hand-computed pixels out.
#include "postfx_fixture.h"
#include "render_state.h"
#include "shader_library.h"
#include "temp_dir.h"

#include <cmath>
#include <fstream>
#include <iterator>

namespace {

const Rgba kBlack = {0, 0, 0, 255};
const Rgba kWhite = {255, 255, 255, 255};

} // namespace

using Basic = PostFx;

// ---- drawing and copying --------------------------------------------------------------------

TEST_F(Basic, PassthroughKeepsTheCallersAdditiveBlendingWhileBlitReplaces) {
    iRenderTarget* dst = target(4, 4, solid(4, 4, {100, 50, 20, 255}));
    TextureHandle* src = texture(4, 4, solid(4, 4, {60, 60, 60, 255}));
    gfx->pushRenderState();
    uint64_t& word = *gfx->renderState();
    rs::setDepthFunc(word, kDepthAlways);
    rs::setCulling(word, false);
    rs::setBlend(word, kBlendOne, kBlendOne, kBlendOne, kBlendOne);

    dst->bind(gfx, 0);
    postPassthrough(gfx, src);
    dst->unbind(gfx);
    EXPECT_TRUE(near(at(read(dst), 4, 2, 2), {160, 110, 80, 255}, 1));

    load(dst, solid(4, 4, {100, 50, 20, 255}));
    dst->bind(gfx, 0);
    postBlit(gfx, src);
    dst->unbind(gfx);
    EXPECT_TRUE(near(at(read(dst), 4, 2, 2), {60, 60, 60, 255}, 1));
    gfx->popRenderState();
}

TEST_F(Basic, CopyWithHalfExtentsMagnifiesTheLowerLeftQuarter) {
    // Red grows by 30 per column, green by 30 per row: a sample's position can be read back.
    Pixels ramp = solid(8, 8, kBlack);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) put(ramp, 8, x, y, {30 * x, 30 * y, 0, 255});
    TextureHandle* src = texture(8, 8, ramp);
    iRenderTarget* dst = target(8, 8, solid(8, 8, kBlack));

    dst->bind(gfx, 0);
    postCopy(gfx, src, 0.5f, 0.5f);
    dst->unbind(gfx);
    const Pixels out = read(dst);
    // Destination pixel x samples u = (x + 0.5) / 16, texel coordinate x / 2 - 0.25, so the
    // ramp reads 15x - 7.5 (clamped at 0): pixel 4 gives 52.5, pixel 7 gives 97.5.
    EXPECT_TRUE(near(at(out, 8, 4, 4), {53, 53, 0, 255}, 2));
    EXPECT_TRUE(near(at(out, 8, 7, 7), {98, 98, 0, 255}, 2));
    EXPECT_TRUE(near(at(out, 8, 0, 0), {0, 0, 0, 255}, 1));
}

TEST_F(Basic, CopyClampSendsTheClampLimitAndBlendsPremultipliedOver) {
    TextureHandle* screen = texture(1280, 720, solid(1280, 720, {100, 0, 0, 128}));
    iRenderTarget* dst = target(4, 4, solid(4, 4, {0, 0, 200, 255}));
    dst->bind(gfx, 0);
    postCopyClamp(gfx, screen, 1.0f, 1.0f);
    dst->unbind(gfx);

    const std::vector<float> limit = uniform("passthrough_clamp", "texelsiz");
    EXPECT_FLOAT_EQ(limit[0], 1.0f - 0.06125f / 1280.0f);
    EXPECT_FLOAT_EQ(limit[1], 1.0f - 0.06125f / 720.0f);
    EXPECT_FLOAT_EQ(limit[2], 0.0f);
    EXPECT_FLOAT_EQ(limit[3], 0.0f);
    // Colour: src + dst * (1 - 128/255): blue 200 * 0.498 = 99.6. Alpha adds up (ONE, ONE).
    EXPECT_TRUE(near(at(read(dst), 4, 1, 1), {100, 0, 100, 255}, 1));
}

// ---- blurring and downsampling --------------------------------------------------------------

TEST_F(Basic, DirBlurSpreadsOneBrightPixelSymmetricallyWithBinomialWeights) {
    Pixels dot = solid(16, 16, kBlack);
    put(dot, 16, 8, 8, kWhite);
    TextureHandle* src = texture(16, 16, dot);
    iRenderTarget* dst = target(16, 16, solid(16, 16, {9, 9, 9, 9}));
    postDirBlur(gfx, src, &dst);
    const Pixels out = read(dst);

    // Weights (1 8 28 56 70 56 28 8 1) / 256 on each axis: 255 * 70 * 70 / 65536 = 19.1 in
    // the middle, 15.3 one step along an axis, 12.2 one step diagonally, 7.6 two steps.
    auto red = [&](int x, int y) { return at(out, 16, x, y).r; };
    EXPECT_NEAR(red(8, 8), 19, 2);
    EXPECT_NEAR(red(9, 8), 15, 2);
    EXPECT_NEAR(red(8, 10), 8, 2);
    EXPECT_NEAR(red(9, 9), 12, 2);
    EXPECT_NEAR(red(8, 12), 0, 1);
    for (int d = 1; d <= 4; ++d) {
        EXPECT_NEAR(red(8 - d, 8), red(8 + d, 8), 1) << d;
        EXPECT_NEAR(red(8, 8 - d), red(8, 8 + d), 1) << d;
        EXPECT_NEAR(red(8 + d, 8), red(8, 8 + d), 1) << d;
    }
    int total = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) total += red(x, y);
    EXPECT_NEAR(total, 255, 20) << "the kernel must keep the brightness";
    EXPECT_EQ(at(out, 16, 0, 0).a, 255) << "the destination is overwritten, alpha included";
}

TEST_F(Basic, BlurTargetBlursAPooledTargetInPlace) {
    RenderTargetHandle screen = gfx->acquireRenderTarget(1280, 720);
    Pixels dot = solid(1280, 720, kBlack);
    put(dot, 1280, 640, 360, kWhite);
    load(screen.target, dot);
    const int lent = gfx->renderTargetPool().outstanding();

    postBlurTarget(gfx, &screen.target);
    EXPECT_EQ(gfx->renderTargetPool().outstanding(), lent);
    const Pixels out = read(screen.target);
    EXPECT_NEAR(at(out, 1280, 640, 360).g, 19, 2);
    EXPECT_NEAR(at(out, 1280, 641, 360).g, 15, 2);
    EXPECT_NEAR(at(out, 1280, 640, 359).g, 15, 2);
}

TEST_F(Basic, DownsampleAveragesTwoByTwoAndFourByFourBlocks) {
    // A pattern with no two equal neighbours, so a wrong footprint changes the sums.
    Pixels src = solid(8, 8, kBlack);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            put(src, 8, x, y, {(x * 37 + y * 11) % 256, (x * y * 9) % 256, 255 - x * 20, 255});
    TextureHandle* tex = texture(8, 8, src);

    iRenderTarget* half = target(4, 4, solid(4, 4, kBlack));
    iRenderTarget* quarter = target(2, 2, solid(2, 2, kBlack));
    postDownsample(gfx, tex, &half);
    postDownsample(gfx, tex, &quarter);

    auto average = [&](int x0, int y0, int n) {
        int r = 0, g = 0, b = 0;
        for (int y = y0; y < y0 + n; ++y)
            for (int x = x0; x < x0 + n; ++x) {
                const Rgba c = at(src, 8, x, y);
                r += c.r;
                g += c.g;
                b += c.b;
            }
        const int k = n * n;
        return Rgba{(r + k / 2) / k, (g + k / 2) / k, (b + k / 2) / k, 255};
    };
    const Pixels h = read(half), q = read(quarter);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_TRUE(near(at(h, 4, x, y), average(2 * x, 2 * y, 2), 1)) << x << "," << y;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_TRUE(near(at(q, 2, x, y), average(4 * x, 4 * y, 4), 1)) << x << "," << y;
}

// ---- anti-aliasing --------------------------------------------------------------------------

TEST_F(Basic, FxaaSoftensHardEdgesAndLeavesFlatAreasAlone) {
    const int n = 64;
    // White above a shallow line (one step up every four columns) and above a 45-degree one.
    for (int run : {4, 1}) {
        Pixels src = solid(n, n, kBlack);
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x)
                if (run * y > 16 * run + x) put(src, n, x, y, kWhite);
        auto edgeDistance = [&](int x, int y) {
            int best = 99;
            for (int dy = -3; dy <= 3; ++dy)
                for (int dx = -3; dx <= 3; ++dx) {
                    const int xx = x + dx, yy = y + dy;
                    if (xx < 0 || yy < 0 || xx >= n || yy >= n) continue;
                    if (at(src, n, xx, yy).r != at(src, n, x, y).r)
                        best = std::min(best, std::max(std::abs(dx), std::abs(dy)));
                }
            return best;
        };
        TextureHandle* tex = texture(n, n, src);
        iRenderTarget* dst = target(n, n, solid(n, n, {1, 2, 3, 4}));
        postFxaa(gfx, tex, &dst, 0.75f);
        const Pixels out = read(dst);

        int softened = 0, flatChanged = 0;
        for (int y = 1; y < n - 1; ++y)
            for (int x = 1; x < n - 1; ++x) {
                const Rgba c = at(out, n, x, y);
                if (edgeDistance(x, y) > 2 && c.r != at(src, n, x, y).r) ++flatChanged;
                if (c.r > 20 && c.r < 235) ++softened;
                EXPECT_EQ(c.r, c.g);
                EXPECT_EQ(c.a, 255);
            }
        EXPECT_EQ(flatChanged, 0) << "one step per " << run << " columns";
        // Every column crosses the edge once; most crossings must have become a gradient.
        EXPECT_GT(softened, n / 2) << "one step per " << run << " columns";
    }
    const std::vector<float> frame = uniform("fxaa", "fxaaQualityRcpFrame");
    EXPECT_FLOAT_EQ(frame[0], 1.0f / 64.0f);
    EXPECT_FLOAT_EQ(frame[1], 1.0f / 64.0f);
    EXPECT_FLOAT_EQ(uniform("fxaa", "fxaaQualityEdgeThreshold")[3], 0.166f);
    EXPECT_FLOAT_EQ(uniform("fxaa", "fxaaQualityEdgeThresholdMin")[0], 0.0833f);
    EXPECT_FLOAT_EQ(uniform("fxaa", "fxaaQualitySubpix")[2], 0.75f);
}

TEST_F(Basic, FxaaOnALongStaircaseBlendsMoreNearTheStep) {
    // One step up every eight columns: along a stair the blend must grow towards the step
    // where the edge rises past the pixel, which is what rebuilds the slope.
    const int n = 64;
    Pixels src = solid(n, n, kBlack);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            if (y >= 20 + x / 8) put(src, n, x, y, kWhite);
    TextureHandle* tex = texture(n, n, src);
    iRenderTarget* dst = target(n, n, solid(n, n, kBlack));
    postFxaa(gfx, tex, &dst, 0.0f);
    const Pixels out = read(dst);
    // Stair 3 covers columns 24..31; its bright row is y = 23 (white from there up), and from
    // column 32 on that row is dark. The bright pixels darken towards column 31.
    // Blend = 0.5 - distance to that step / stair length: 0.39 at column 31, 0.06 at 28, none
    // in the left half, which lies nearer the step down.
    const int row = 23;
    auto red = [&](int x, int y) { return at(out, n, x, y).r; };
    EXPECT_NEAR(red(31, row), 255 * (1.0 - (0.5 - 1.0 / 9.0)), 6);
    EXPECT_NEAR(red(28, row), 255 * (1.0 - (0.5 - 4.0 / 9.0)), 6);
    EXPECT_GT(red(28, row), red(29, row));
    EXPECT_GT(red(29, row), red(30, row));
    EXPECT_GT(red(30, row), red(31, row));
    EXPECT_GE(red(25, row), 250);
    // The dark pixels under the stair brighten towards its start, where the edge came down.
    EXPECT_NEAR(red(24, row - 1), 255 * (0.5 - 1.0 / 9.0), 6);
    EXPECT_LE(red(29, row - 1), 5);
}

TEST_F(Basic, FxaaWithoutGathersGivesTheSamePicture) {
    // A driver without gathers (OpenGL 3.3) takes the filter's other branch: built here by
    // hiding the extension from the shader, it must draw what the gathered filter draws.
    const int n = 48;
    Pixels src = solid(n, n, kBlack);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            if (y >= 10 + x / 3 || (x > 30 && y < 6)) put(src, n, x, y, kWhite);
    auto filtered = [&] {
        iRenderTarget* dst = target(n, n, solid(n, n, kBlack));
        postFxaa(gfx, texture(n, n, src), &dst, 0.75f);
        return read(dst);
    };
    const Pixels gathered = filtered();

    std::ifstream in("data/shaders/Fxaa3_11.frag", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t at = text.find("#ifdef GL_ARB_gpu_shader5");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, 25, "#if 0");
    TempDir dir;
    const std::string frag = dir.path() + "/fxaa_no_gather.frag";
    std::ofstream(frag, std::ios::binary) << text;
    std::vector<ShaderLibrary::BuildFailure> failures;
    ASSERT_TRUE(gfx->shaderLibrary().rebuild("fxaa", "data/shaders/Fxaa3_11.vert", "", frag,
                                             failures))
        << (failures.empty() ? "" : failures[0].log);
    const Pixels single = filtered();
    int off = 0, softened = 0;
    for (size_t i = 0; i < gathered.size(); i += 4) {
        if (std::abs(int(gathered[i]) - int(single[i])) > 1) ++off;
        if (gathered[i] > 20 && gathered[i] < 235) ++softened;
    }
    EXPECT_EQ(off, 0);
    EXPECT_GT(softened, n / 2); // the staircase was filtered at all
}

TEST_F(Basic, FxaaTreatsAStaircaseAlikeInEveryOrientation) {
    // The filter reads its neighbourhood and walks the edge through gathered 2 x 2 blocks whose
    // components mean different neighbours for edges along x and along y, walking back or
    // ahead, towards either side: turned or mirrored, a staircase must come out turned or
    // mirrored the same way. Steps of unequal length (3 and 8 columns) make every direction
    // find its end at another distance.
    const int n = 48;
    Pixels src = solid(n, n, kBlack);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            if (y >= 12 + (x < 24 ? x / 3 : 8 + (x - 24) / 8)) put(src, n, x, y, kWhite);
    // The eight turns and mirrors of the square, as where pixel (x, y) goes.
    auto move = [&](int k, int x, int y) {
        const int a = k & 1 ? n - 1 - x : x, b = k & 2 ? n - 1 - y : y;
        return k & 4 ? std::make_pair(b, a) : std::make_pair(a, b);
    };
    Pixels reference;
    for (int k = 0; k < 8; ++k) {
        Pixels turned(src.size());
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                const auto [tx, ty] = move(k, x, y);
                put(turned, n, tx, ty, at(src, n, x, y));
            }
        iRenderTarget* dst = target(n, n, solid(n, n, kBlack));
        postFxaa(gfx, texture(n, n, turned), &dst, 0.75f);
        const Pixels out = read(dst);
        if (k == 0) reference = out;
        int off = 0, softened = 0;
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                const auto [tx, ty] = move(k, x, y);
                const int got = at(out, n, tx, ty).r, want = at(reference, n, x, y).r;
                if (std::abs(got - want) > 2) ++off;
                if (got > 20 && got < 235) ++softened;
            }
        EXPECT_EQ(off, 0) << "turn " << k;
        EXPECT_GT(softened, n / 2) << "turn " << k;
    }
}
