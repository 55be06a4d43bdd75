// The stylising passes and chains on a real GL context: the grain's random table against the
// C library's drand48, what the passes send, pixels that show each effect does its job, and
// how the chains use the render-target pool.
//
// The grain tests come first: they rely on this binary not having called postGrain before.
#include "gfx_context.h"
#include "gl_test_context.h"
#include "postfx.h"
#include "render_state.h"
#include "window.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using Size = std::pair<int, int>;

// The real context, recording which target sizes are borrowed and how many of each at once.
class RecordingGfx : public gfxContext {
  public:
    RenderTargetHandle acquireRenderTarget(int width, int height) override {
        note(width, height);
        return gfxContext::acquireRenderTarget(width, height);
    }
    RenderTargetHandle acquireScreenRenderTarget(int divisor) override {
        note(screenWidth() / divisor, screenHeight() / divisor);
        return gfxContext::acquireScreenRenderTarget(divisor);
    }
    void releaseRenderTarget(RenderTargetHandle* handle) override {
        if (handle && handle->target) {
            const TextureHandle* t = handle->target->texture();
            --onLoan[{t->width, t->height}];
        }
        gfxContext::releaseRenderTarget(handle);
    }
    void forget() {
        borrowed.clear();
        peak.clear();
    }

    std::vector<Size> borrowed;
    std::map<Size, int> onLoan, peak;

  private:
    void note(int width, int height) {
        borrowed.emplace_back(width, height);
        int& n = onLoan[{width, height}];
        ++n;
        if (n > peak[{width, height}]) peak[{width, height}] = n;
    }
};

struct Rgba {
    uint8_t r, g, b, a;
};

// A texture's pixels, row 0 at the bottom as GL stores them.
struct Pixels {
    int width = 0, height = 0;
    std::vector<uint8_t> data;
    const uint8_t* at(int x, int y) const {
        return &data[(static_cast<size_t>(y) * width + x) * 4];
    }
};

Pixels readBack(const TextureHandle* texture) {
    Pixels p;
    p.width = texture->width;
    p.height = texture->height;
    p.data.resize(static_cast<size_t>(p.width) * p.height * 4);
    glBindTexture(GL_TEXTURE_2D, texture->name);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, p.data.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return p;
}

int countDifferences(const Pixels& a, const Pixels& b) {
    int n = 0;
    for (size_t i = 0; i < a.data.size(); i += 4)
        if (a.data[i] != b.data[i] || a.data[i + 1] != b.data[i + 1] ||
            a.data[i + 2] != b.data[i + 2])
            ++n;
    return n;
}

// Each test has its own context state, but one GL context and pool for the binary.
class Stylise : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        desc = WindowDesc{1280, 720, 1280, 720, false, false, false};
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        gfx = new RecordingGfx();
        gfx->init(&desc);
        testing::internal::GetCapturedStdout();
        testing::internal::GetCapturedStderr();
    }
    void SetUp() override {
        *gfx->renderState() = rs::defaultWord();
        gfx->applyRenderState();
        gfx->setViewport(0, 0, 1280, 720);
        gfx->setClearColor(0, 0, 0, 0);
        gfx->forget();
    }

    static TextureHandle* makeTexture(int width, int height,
                                      const std::function<Rgba(int x, int y)>& pixel) {
        std::vector<uint8_t> data(static_cast<size_t>(width) * height * 4);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const Rgba c = pixel(x, y);
                uint8_t* p = &data[(static_cast<size_t>(y) * width + x) * 4];
                p[0] = c.r, p[1] = c.g, p[2] = c.b, p[3] = c.a;
            }
        return gfx->createTexture2D(width, height, kFormatRGBA8, kFormatRGBA8, 2, data.data());
    }
    // A 16^3 table mapping (r, g, b) to `map(r, g, b)`; 255 / 15 keeps every entry exact.
    static TextureHandle* makeLut(const std::function<Rgba(int r, int g, int b)>& map) {
        const int n = 16;
        std::vector<uint8_t> data(n * n * n * 4);
        for (int z = 0; z < n; ++z)
            for (int y = 0; y < n; ++y)
                for (int x = 0; x < n; ++x) {
                    const Rgba c = map(x * 17, y * 17, z * 17);
                    uint8_t* p = &data[((z * n + y) * n + x) * 4];
                    p[0] = c.r, p[1] = c.g, p[2] = c.b, p[3] = c.a;
                }
        return gfx->createTexture3D(n, n, n, kFormatRGBA8, kFormatRGBA8, data.data());
    }
    static void uniform(const std::string& shader, const char* name, float out[4]) {
        const GLuint program = gfx->useShader(shader);
        glGetUniformfv(program, glGetUniformLocation(program, name), out);
    }
    int outstanding() const { return gfx->renderTargetPool().outstanding(); }

    static WindowDesc desc;
    static RecordingGfx* gfx;
};
WindowDesc Stylise::desc;
RecordingGfx* Stylise::gfx;

Rgba grey(int v) {
    return Rgba{uint8_t(v), uint8_t(v), uint8_t(v), 255};
}

// ---- the random table and the grain cursor ---------------------------------------------------

TEST(RandomTable, EntryZeroIsTheFirstStateScaledIntoTheUnitInterval) {
    const double s1 = 33712326537040.0; // 1337 * 25214903917 + 11
    EXPECT_EQ(postRandomEntry(0), static_cast<float>(s1 / 562949953421312.0 + 0.5));
    EXPECT_NEAR(postRandomEntry(0), 0.5599, 1e-4);
}

TEST(RandomTable, EveryEntryFollowsDrand48WithTheSignOfThe64BitState) {
    // The truncated remainder agrees with the 48-bit drand48 state x modulo 2^48, so each entry
    // is x / 2^49 + 0.5 (state positive) or x / 2^49 (negative); both kinds must occur.
    unsigned short state[3] = {1337, 0, 0};
    int negatives = 0, positives = 0;
    for (int k = 0; k < kRandomTableSize; ++k) {
        const double x = erand48(state); // x / 2^48, exactly
        const float entry = postRandomEntry(k);
        if (entry == static_cast<float>(x * 0.5 + 0.5))
            ++positives;
        else if (entry == static_cast<float>(x * 0.5))
            ++negatives;
        else
            FAIL() << "entry " << k << " = " << entry << " is not from state " << x;
        ASSERT_TRUE(entry >= 0.0f && entry <= 1.0f) << k;
    }
    EXPECT_GT(negatives, 1000);
    EXPECT_GT(positives, 1000);
}

TEST_F(Stylise, FirstGrainCallSendsEntriesTwoAndOne) {
    ASSERT_EQ(postGrainCursor(), 0) << "postGrain ran before this test";
    TextureHandle* source = makeTexture(8, 8, [](int, int) { return grey(128); });
    RenderTargetHandle out = gfx->acquireRenderTarget(8, 8);
    postGrain(gfx, source, &out.target, 0.1f, 3.5f);

    float time[4];
    uniform("grain", "time", time);
    EXPECT_EQ(time[0], 3.5f);
    EXPECT_EQ(time[1], postRandomEntry(2) * 67.0f);
    EXPECT_EQ(time[2], postRandomEntry(1) * 23.0f);
    EXPECT_EQ(time[3], 0.0f);
    EXPECT_EQ(postGrainCursor(), 2);
}

TEST_F(Stylise, GrainCursorWrapsWithTheTable) {
    TextureHandle* source = makeTexture(8, 8, [](int, int) { return grey(128); });
    RenderTargetHandle out = gfx->acquireRenderTarget(8, 8);
    const int start = postGrainCursor();
    float time[4];
    // Up to the call that reads the last entry and entry 0.
    int calls = 0;
    while (postGrainCursor() != kRandomTableSize - 2) {
        postGrain(gfx, source, &out.target, 0.1f, 1.0f);
        ++calls;
    }
    postGrain(gfx, source, &out.target, 0.1f, 1.0f);
    ++calls;
    uniform("grain", "time", time);
    EXPECT_EQ(time[1], postRandomEntry(0) * 67.0f);
    EXPECT_EQ(time[2], postRandomEntry(kRandomTableSize - 1) * 23.0f);
    EXPECT_EQ(postGrainCursor(), 0);

    while (postGrainCursor() != start) {
        postGrain(gfx, source, &out.target, 0.1f, 1.0f);
        ++calls;
    }
    EXPECT_EQ(calls, 65536);
    postGrain(gfx, source, &out.target, 0.1f, 1.0f);
    uniform("grain", "time", time);
    EXPECT_EQ(time[1], postRandomEntry(start + 2) * 67.0f);
    EXPECT_EQ(time[2], postRandomEntry(start + 1) * 23.0f);
}

// ---- every pass builds and feeds its shader --------------------------------------------------

TEST_F(Stylise, EveryPassFindsItsShaderAndAllItsUniforms) {
    // A uniform the compiler dropped, or a misspelt one, is reported as missing; a shader that
    // failed is reported by its file.
    TextureHandle* source = makeTexture(64, 32, [](int x, int y) {
        return Rgba{uint8_t(x * 4), uint8_t(y * 8), uint8_t(x ^ y), 255};
    });
    TextureHandle* lut = makeLut([](int r, int g, int b) {
        return Rgba{uint8_t(r), uint8_t(g), uint8_t(b), 255};
    });
    RenderTargetHandle depthSource = gfx->acquireRenderTarget(64, 32);
    RenderTargetHandle out = gfx->acquireRenderTarget(64, 32);
    const float streak[3] = {100, 100, 1.3f};
    const float amount = 0.1f, scale = 1.0f;

    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    postVignette(gfx, source, &out.target, 1.0f);
    postGrain(gfx, source, &out.target, 0.1f, 2.0f);
    postColOffset(gfx, source, &out.target);
    postUnsharp(gfx, source, &out.target, 1.0f);
    postBloom(gfx, source, &out.target, 190, 255, 1.3f);
    postDof(gfx, depthSource.target, &out.target, 1.0f, 10.0f);
    postVertOffset(gfx, source, &out.target, amount, scale);
    postDistNoise(gfx, source, &out.target, 1.0f, 4.0f);
    postBarrel(gfx, source, &out.target);
    postDigitalGlitch(gfx, source, &out.target, 1.0f, 0.5f);
    postDigitalGlitch2(gfx, source, &out.target, 1.0f, 0.5f);
    postStreaks(gfx, source, &out.target, 1.0f, streak);
    postStreaksAdd(gfx, source, &out.target, 1.0f, streak, 1.0f);
    postRgbLut(gfx, source, lut, &out.target, 1.0f);
    postDirBlurRnd(gfx, source, &out.target, 4.0f, 0.0f, 1.0f);
    const std::string log =
        testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr();
    for (const char* bad : {"missing", "ERROR", "not found", "failed", "mismatch"})
        EXPECT_EQ(log.find(bad), std::string::npos) << log;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// ---- pixels: each effect does what it says ---------------------------------------------------

TEST_F(Stylise, VignetteDarkensTheCornersMoreThanTheCentre) {
    TextureHandle* white = makeTexture(1280, 720, [](int, int) { return grey(255); });
    RenderTargetHandle out = gfx->acquireScreenRenderTarget(1);
    postVignette(gfx, white, &out.target, 1.0f);
    Pixels p = readBack(out->texture());
    const int centre = p.at(640, 360)[0];
    for (auto corner : {Size{1, 1}, Size{1278, 1}, Size{1, 718}, Size{1278, 718}})
        EXPECT_LT(p.at(corner.first, corner.second)[0] + 20, centre) << corner.first;

    postVignette(gfx, white, &out.target, 0.0f);
    p = readBack(out->texture());
    EXPECT_EQ(p.at(1, 1)[0], 255) << "amount 0 leaves the picture alone";
}

TEST_F(Stylise, UnsharpRaisesContrastAcrossAnEdge) {
    TextureHandle* edge =
        makeTexture(1280, 720, [](int x, int) { return grey(x < 640 ? 64 : 192); });
    RenderTargetHandle out = gfx->acquireScreenRenderTarget(1);
    postUnsharp(gfx, edge, &out.target, 1.0f);
    Pixels p = readBack(out->texture());
    EXPECT_LT(p.at(632, 360)[0], 64 - 10) << "the dark side gets darker near the edge";
    EXPECT_GT(p.at(647, 360)[0], 192 + 10) << "the bright side brighter";
    EXPECT_NEAR(p.at(100, 360)[0], 64, 2) << "flat areas keep their value";
    EXPECT_NEAR(p.at(1180, 360)[0], 192, 2);
}

TEST_F(Stylise, IdentityLutKeepsColoursAndASwapLutSwapsThem) {
    TextureHandle* source = makeTexture(16, 16, [](int x, int y) {
        return Rgba{uint8_t(x * 16 + 3), uint8_t(y * 15 + 7), uint8_t((x * 7 + y * 11) % 256), 255};
    });
    TextureHandle* identity = makeLut([](int r, int g, int b) {
        return Rgba{uint8_t(r), uint8_t(g), uint8_t(b), 255};
    });
    TextureHandle* swap = makeLut([](int r, int g, int b) {
        return Rgba{uint8_t(g), uint8_t(r), uint8_t(b), 255};
    });
    RenderTargetHandle out = gfx->acquireRenderTarget(16, 16);
    const Pixels in = readBack(source);

    postRgbLut(gfx, source, identity, &out.target, 1.0f);
    Pixels p = readBack(out->texture());
    for (int i = 0; i < 16 * 16 * 4; ++i) ASSERT_NEAR(p.data[i], in.data[i], 2) << i;

    postRgbLut(gfx, source, swap, &out.target, 1.0f);
    p = readBack(out->texture());
    for (int i = 0; i < 16 * 16 * 4; i += 4) {
        ASSERT_NEAR(p.data[i], in.data[i + 1], 2) << i;
        ASSERT_NEAR(p.data[i + 1], in.data[i], 2) << i;
        ASSERT_NEAR(p.data[i + 2], in.data[i + 2], 2) << i;
    }

    postRgbLut(gfx, source, swap, &out.target, 0.5f);
    p = readBack(out->texture());
    for (int i = 0; i < 16 * 16 * 4; i += 4)
        ASSERT_NEAR(p.data[i], (in.data[i] + in.data[i + 1]) / 2.0, 2) << "halfway at opacity 0.5";
}

TEST_F(Stylise, VertOffsetScalesItsBlurToTheDestinationWidth) {
    // Rows of distinct green: the offset shows as which source row lands where. Half as wide
    // as the destination, whose width is the one that counts.
    TextureHandle* rows = makeTexture(320, 360, [](int, int y) {
        return Rgba{0, uint8_t(y * 255 / 359), 0, 255};
    });
    RenderTargetHandle out = gfx->acquireRenderTarget(640, 360);
    const float amount = 0.25f, scale = 1.0f, noBlur = 0.0f;
    postVertOffset(gfx, rows, &out.target, amount, scale);
    float parms[4];
    uniform("vertoffset", "parms", parms);
    EXPECT_EQ(parms[0], 0.25f);
    EXPECT_EQ(parms[1], 0.5f) << "640 * 1 / 1280";

    postVertOffset(gfx, rows, &out.target, amount, noBlur);
    const Pixels p = readBack(out->texture());
    EXPECT_EQ(p.at(320, 270)[1], 180 * 255 / 359) << "row 270 shows source row 180";
    EXPECT_EQ(p.at(320, 10)[3], 0) << "uncovered rows keep the cleared colour";

    // Without a destination it draws into the bound framebuffer, and takes that one's width.
    RenderTargetHandle bound = gfx->acquireRenderTarget(320, 180);
    bound->bind(gfx, 0);
    postVertOffset(gfx, rows, nullptr, amount, scale);
    bound->unbind(gfx);
    uniform("vertoffset", "parms", parms);
    EXPECT_EQ(parms[1], 0.25f);
}

TEST_F(Stylise, BloomLightsTheSurroundingsOfABrightSpot) {
    TextureHandle* spot = makeTexture(1280, 720, [](int x, int y) {
        const bool inside = x >= 620 && x < 660 && y >= 340 && y < 380;
        return grey(inside ? 255 : 0);
    });
    RenderTargetHandle out = gfx->acquireScreenRenderTarget(1);
    postBloom(gfx, spot, &out.target, 190, 255, 1.3f);
    const Pixels p = readBack(out->texture());
    EXPECT_EQ(p.at(640, 360)[0], 255);
    EXPECT_GT(p.at(680, 360)[0], 20) << "glow 20 pixels beside the spot";
    EXPECT_GT(p.at(640, 400)[0], 20) << "and above it";
    EXPECT_GT(p.at(680, 360)[0], p.at(700, 360)[0]) << "fading with distance";
    EXPECT_LT(p.at(10, 10)[0], 3) << "but not in the far corner";
}

TEST_F(Stylise, BarrelKeepsTheCentreAndPullsTheSidesIn) {
    TextureHandle* ramp = makeTexture(1280, 720, [](int x, int y) {
        return Rgba{uint8_t(x * 255 / 1279), uint8_t(y * 255 / 719), 128, 255};
    });
    RenderTargetHandle out = gfx->acquireScreenRenderTarget(1);
    postBarrel(gfx, ramp, &out.target);
    const Pixels in = readBack(ramp), p = readBack(out->texture());
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(p.at(640, 360)[c], in.at(640, 360)[c], 1) << c;
    EXPECT_GT(p.at(320, 360)[0], in.at(320, 360)[0] + 3) << "magnified around the centre";
    EXPECT_NEAR(p.at(0, 0)[0], in.at(0, 0)[0], 2) << "corners stay corners";
    EXPECT_NEAR(p.at(1279, 719)[1], in.at(1279, 719)[1], 2);
}

TEST_F(Stylise, DofBlursByDistanceFromTheFocus) {
    TextureHandle* checker =
        makeTexture(1280, 720, [](int x, int y) { return grey(((x / 2 + y / 2) & 1) ? 255 : 0); });
    RenderTargetHandle scene = gfx->acquireScreenRenderTarget(1);
    RenderTargetHandle out = gfx->acquireScreenRenderTarget(1);
    auto render = [&](float depth) {
        gfx->setClearDepth(depth);
        scene->bind(gfx, 2);
        postBlit(gfx, checker);
        scene->unbind(gfx);
        gfx->setClearDepth(1.0f);
        postDof(gfx, scene.target, &out.target, 1.0f, 10.0f);
        return readBack(out->texture());
    };
    const Pixels in = readBack(checker);
    Pixels p = render(0.0f); // at the near plane, which is in focus
    EXPECT_EQ(countDifferences(p, in), 0);
    p = render(1.0f); // at the far plane, far out of focus
    for (int x = 600; x < 610; ++x) EXPECT_NEAR(p.at(x, 360)[0], 128, 40) << x;
}

TEST_F(Stylise, ColOffsetSplitsRedAndBlueAtEdges) {
    TextureHandle* bar =
        makeTexture(1280, 720, [](int x, int) { return grey(x >= 1000 && x < 1100 ? 255 : 0); });
    RenderTargetHandle out = gfx->acquireScreenRenderTarget(1);
    postColOffset(gfx, bar, &out.target);
    const Pixels p = readBack(out->texture());
    // Right of the centre red is taken from further in, blue from further out.
    const uint8_t* outside = p.at(1101, 360);
    EXPECT_GT(outside[0], 128);
    EXPECT_LT(outside[2], 64);
    EXPECT_EQ(outside[1], 0);
    const uint8_t* inside = p.at(999, 360);
    EXPECT_LT(inside[0], 64);
    EXPECT_GT(inside[2], 128);
}

TEST_F(Stylise, StreaksRunSidewaysOnly) {
    TextureHandle* spot = makeTexture(1280, 720, [](int x, int y) {
        return grey(x >= 624 && x < 656 && y >= 356 && y < 364 ? 255 : 0);
    });
    RenderTargetHandle out = gfx->acquireScreenRenderTarget(1);
    const float streak[3] = {100, 100, 1.3f};
    postStreaks(gfx, spot, &out.target, 1.0f, streak);
    const Pixels p = readBack(out->texture());
    EXPECT_GT(p.at(720, 360)[0], 5) << "80 pixels to the side";
    EXPECT_GT(p.at(560, 360)[0], 5);
    EXPECT_LT(p.at(640, 400)[0], 2) << "nothing 40 pixels above";
}

TEST_F(Stylise, GlitchesGrainAndNoiseLeaveThePictureAloneAtZero) {
    TextureHandle* source = makeTexture(256, 144, [](int x, int y) {
        return Rgba{uint8_t(x), uint8_t(y * 7), uint8_t((x * 13) ^ y), 255};
    });
    RenderTargetHandle out = gfx->acquireRenderTarget(256, 144);
    const Pixels in = readBack(source);
    const std::vector<std::pair<const char*, std::function<void(float)>>> passes = {
        {"digital glitch", [&](float a) { postDigitalGlitch(gfx, source, &out.target, 2.5f, a); }},
        {"digital glitch 2",
         [&](float a) { postDigitalGlitch2(gfx, source, &out.target, 2.5f, a); }},
        {"grain", [&](float a) { postGrain(gfx, source, &out.target, 0.5f * a, 2.5f); }},
        {"noise distortion",
         [&](float a) { postDistNoise(gfx, source, &out.target, 2.5f, 8.0f * a); }},
    };
    for (const auto& pass : passes) {
        pass.second(0.0f);
        EXPECT_EQ(countDifferences(readBack(out->texture()), in), 0) << pass.first;
        pass.second(1.0f);
        EXPECT_GT(countDifferences(readBack(out->texture()), in), 256 * 144 / 20) << pass.first;
    }
}

TEST_F(Stylise, BlockGlitchShowsEachPixelFromItsOwnPlaceOrItsBlocksShiftedRow) {
    // Green names the row, red the column: a pixel that is not hit keeps both; a hit one shows
    // its own row moved sideways, its channels rotated (green then in red) or not. Half the
    // blocks are hit at amount 1.
    TextureHandle* source = makeTexture(256, 144, [](int x, int y) {
        return Rgba{uint8_t(x), uint8_t(y), uint8_t(255 - x), 255};
    });
    RenderTargetHandle out = gfx->acquireRenderTarget(256, 144);
    for (float seedTime : {0.25f, 2.5f, 7.0f}) {
        postDigitalGlitch(gfx, source, &out.target, seedTime, 1.0f);
        const Pixels p = readBack(out->texture());
        int kept = 0, moved = 0, rotated = 0, neither = 0;
        for (int y = 0; y < 144; ++y)
            for (int x = 0; x < 256; ++x) {
                const uint8_t* c = p.at(x, y);
                if (c[1] == y && c[0] == x)
                    ++kept;
                else if (c[1] == y)
                    ++moved;
                else if (c[0] == y)
                    ++rotated;
                else
                    ++neither;
            }
        EXPECT_EQ(neither, 0) << seedTime;
        EXPECT_GT(kept, 256 * 144 / 5) << seedTime;
        EXPECT_GT(moved, 256 * 144 / 10) << seedTime;
        EXPECT_GT(rotated, 0) << seedTime;
    }
}

// ---- the pool ---------------------------------------------------------------------------------

// Where a pass picks a cheaper program for a special case (a one-texel reach, a blur along x,
// no smear), the picture must be the one the general program draws a hair away from that case.
TEST_F(Stylise, ShortcutProgramsDrawWhatTheGeneralProgramDraws) {
    TextureHandle* noise = makeTexture(320, 180, [](int x, int y) {
        const unsigned h = (unsigned(x) * 73856093u) ^ (unsigned(y) * 19349663u);
        return Rgba{uint8_t(h), uint8_t(h >> 8), uint8_t(h >> 16), 255};
    });
    RenderTargetHandle shortcut = gfx->acquireRenderTarget(320, 180);
    RenderTargetHandle general = gfx->acquireRenderTarget(320, 180);
    // Pixels whose channels differ by more than a level of rounding; a tap of the general
    // program right on a texel edge may still fall on the other side now and then.
    auto farApart = [](const Pixels& a, const Pixels& b) {
        int n = 0;
        for (size_t i = 0; i < a.data.size(); ++i)
            if (std::abs(int(a.data[i]) - int(b.data[i])) > 1) ++n;
        return n;
    };
    const int pixels = 320 * 180;

    for (const float t : {0.0f, 1.7f}) {
        postDirBlurRnd(gfx, noise, &shortcut.target, 1.0f, 0.0f, t);
        postDirBlurRnd(gfx, noise, &general.target, 1.0001f, 0.0f, t);
        EXPECT_LT(farApart(readBack(shortcut->texture()), readBack(general->texture())),
                  pixels / 200)
            << "across, at " << t;
        postDirBlurRnd(gfx, noise, &shortcut.target, 20.0f, 0.0f, t);
        postDirBlurRnd(gfx, noise, &general.target, 20.0f, 1e-6f, t);
        EXPECT_LT(farApart(readBack(shortcut->texture()), readBack(general->texture())),
                  pixels / 200)
            << "along x, at " << t;
        postDirBlurRnd(gfx, noise, &shortcut.target, 0.0f, 1.0f, t);
        postDirBlurRnd(gfx, noise, &general.target, 0.0f, 1.0001f, t);
        EXPECT_LT(farApart(readBack(shortcut->texture()), readBack(general->texture())),
                  pixels / 200)
            << "down, at " << t;
    }

    postVertOffset(gfx, noise, &shortcut.target, 0.1f, 0.0f);
    postVertOffset(gfx, noise, &general.target, 0.1f, 1e-6f);
    EXPECT_LT(farApart(readBack(shortcut->texture()), readBack(general->texture())), pixels / 200)
        << "vertical offset without a smear";
}

TEST_F(Stylise, EveryChainGivesBackWhatItBorrows) {
    TextureHandle* source =
        makeTexture(1280, 720, [](int x, int y) { return grey((x ^ y) & 255); });
    RenderTargetHandle scene = gfx->acquireScreenRenderTarget(1);
    RenderTargetHandle out = gfx->acquireScreenRenderTarget(1);
    const float streak[3] = {100, 100, 1.3f};
    const std::vector<std::pair<const char*, std::function<void()>>> chains = {
        {"vignette", [&] { postVignette(gfx, source, &out.target, 1.0f); }},
        {"unsharp", [&] { postUnsharp(gfx, source, &out.target, 1.0f); }},
        {"bloom", [&] { postBloom(gfx, source, &out.target, 190, 255, 1.3f); }},
        {"dof", [&] { postDof(gfx, scene.target, &out.target, 1.0f, 10.0f); }},
        {"streaks", [&] { postStreaks(gfx, source, &out.target, 1.0f, streak); }},
        {"streaks add", [&] { postStreaksAdd(gfx, source, &out.target, 1.0f, streak, 1.0f); }},
    };
    testing::internal::CaptureStdout();
    for (const auto& chain : chains) {
        const int before = outstanding();
        chain.second();
        EXPECT_EQ(outstanding(), before) << chain.first;
    }
    testing::internal::GetCapturedStdout();
}

TEST_F(Stylise, BloomAndUnsharpOfAScreenSizedSourceStayWithinThePrefill) {
    RenderTargetHandle source = gfx->acquireScreenRenderTarget(1);
    RenderTargetHandle out = gfx->acquireScreenRenderTarget(1);
    gfx->forget();
    testing::internal::CaptureStdout();
    postBloom(gfx, source->texture(), &out.target, 190, 255, 1.3f);
    const std::set<Size> bloomSizes(gfx->borrowed.begin(), gfx->borrowed.end());
    postUnsharp(gfx, source->texture(), &out.target, 1.0f);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(log.find("allocated rendertarget runtime"), std::string::npos) << log;
    EXPECT_EQ(bloomSizes, (std::set<Size>{{640, 360}, {320, 180}, {160, 90}}));
    // The pool starts with three half, two quarter and two eighth-size targets.
    EXPECT_LE((gfx->peak[{640, 360}]), 3);
    EXPECT_LE((gfx->peak[{320, 180}]), 2);
    EXPECT_LE((gfx->peak[{160, 90}]), 2);
}

} // namespace
