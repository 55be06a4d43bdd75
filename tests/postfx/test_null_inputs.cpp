// Null inputs, one rule for every public pass (postfx.h): a null texture argument, a null
// source target or a source target without a texture makes the pass draw nothing, except a
// null look-up table, which grades as the identity; a null destination means the framebuffer
// that is bound.
//
// Every pass is one row of the table below. Each of its inputs is made null in turn, with the
// destination given, left out and given as a null target pointer; neither the destination nor
// a target the caller has bound may change, GL reports no error, and the fixture checks the
// render state, the pool and the bound framebuffer on the way out. A table input the pass can
// do without must instead leave the source, exactly, wherever the pass draws. Then, with every
// input present, a left-out destination must draw into the bound target and leave it bound.
#include "postfx_fixture.h"

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace {

constexpr int kSize = 16;
const Rgba kDestinationColour = {10, 200, 30, 255};
const Rgba kBoundColour = {30, 10, 200, 255};

// What a pass is called with: up to three textures (source first), a source target for the
// passes that take one, and the destination.
struct Inputs {
    TextureHandle* texture[3];
    iRenderTarget* target;
    iRenderTarget** destination;
};

struct PassRow {
    const char* name;
    int textures;      // texture arguments, each made null in turn
    bool sourceTarget; // takes a source target: made null, then one without a texture
    std::function<void(igfxContext*, Inputs&)> call;
    int copiesWithout = -1; // the texture whose absence makes the pass copy its source instead
};

const float kLevels[5] = {0.0f, 255.0f, 1.0f, 0.0f, 255.0f};
const float kStreak[3] = {0.0f, 255.0f, 1.0f};
const float kAmount = 0.0f, kScale = 1.0f;

const std::vector<PassRow>& passTable() {
    static const std::vector<PassRow> rows = {
        {"Passthrough", 1, false,
         [](igfxContext* g, Inputs& in) { postPassthrough(g, in.texture[0]); }},
        {"Blit", 1, false, [](igfxContext* g, Inputs& in) { postBlit(g, in.texture[0]); }},
        {"Copy", 1, false,
         [](igfxContext* g, Inputs& in) { postCopy(g, in.texture[0], 1.0f, 1.0f); }},
        {"CopyClamp", 1, false,
         [](igfxContext* g, Inputs& in) { postCopyClamp(g, in.texture[0], 1.0f, 1.0f); }},
        {"DirBlur", 1, false,
         [](igfxContext* g, Inputs& in) { postDirBlur(g, in.texture[0], in.destination); }},
        {"BlurTarget", 0, true, [](igfxContext* g, Inputs& in) { postBlurTarget(g, &in.target); }},
        {"BlurTargetNullAddress", 0, false,
         [](igfxContext* g, Inputs&) { postBlurTarget(g, nullptr); }},
        {"Downsample", 1, false,
         [](igfxContext* g, Inputs& in) { postDownsample(g, in.texture[0], in.destination); }},
        {"Fxaa", 1, false,
         [](igfxContext* g, Inputs& in) { postFxaa(g, in.texture[0], in.destination, 0.75f); }},
        {"Interlace", 1, false,
         [](igfxContext* g, Inputs& in) { postInterlace(g, in.texture[0], in.destination, true); }},
        {"Levels", 1, false,
         [](igfxContext* g, Inputs& in) { postLevels(g, in.texture[0], in.destination, kLevels); }},
        {"Composite", 2, false,
         [](igfxContext* g, Inputs& in) {
             postComposite(g, in.texture[0], in.texture[1], in.destination, kCompositeAdd, 1.0f);
         }},
        {"CompositeMasked", 3, false,
         [](igfxContext* g, Inputs& in) {
             postCompositeMasked(g, in.texture[0], in.texture[1], in.texture[2], in.destination,
                                 kCompositeOverlay, 1.0f);
         }},
        {"ScreenOverlayMasked", 2, false,
         [](igfxContext* g, Inputs& in) {
             screenOverlayMasked(g, in.texture[0], in.texture[1], in.destination, -1.0f, -1.0f,
                                 1.0f, 1.0f, 1.0f);
         }},
        {"ScreenOverlayTextured", 1, false,
         [](igfxContext* g, Inputs& in) {
             screenOverlayTextured(g, in.texture[0], in.destination, -1.0f, -1.0f, 1.0f, 1.0f,
                                   1.0f);
         }},
        {"Vignette", 1, false,
         [](igfxContext* g, Inputs& in) { postVignette(g, in.texture[0], in.destination, 1.0f); }},
        {"Grain", 1, false,
         [](igfxContext* g, Inputs& in) {
             postGrain(g, in.texture[0], in.destination, 0.5f, 1.0f);
         }},
        {"ColOffset", 1, false,
         [](igfxContext* g, Inputs& in) { postColOffset(g, in.texture[0], in.destination); }},
        {"Unsharp", 1, false,
         [](igfxContext* g, Inputs& in) { postUnsharp(g, in.texture[0], in.destination, 1.0f); }},
        {"Bloom", 1, false,
         [](igfxContext* g, Inputs& in) {
             postBloom(g, in.texture[0], in.destination, 0.0f, 255.0f, 1.0f);
         }},
        {"Dof", 0, true,
         [](igfxContext* g, Inputs& in) { postDof(g, in.target, in.destination, 1.0f, 10.0f); }},
        {"VertOffset", 1, false,
         [](igfxContext* g, Inputs& in) {
             postVertOffset(g, in.texture[0], in.destination, kAmount, kScale);
         }},
        {"DistNoise", 1, false,
         [](igfxContext* g, Inputs& in) {
             postDistNoise(g, in.texture[0], in.destination, 1.0f, 2.0f);
         }},
        {"Barrel", 1, false,
         [](igfxContext* g, Inputs& in) { postBarrel(g, in.texture[0], in.destination); }},
        {"DigitalGlitch", 1, false,
         [](igfxContext* g, Inputs& in) {
             postDigitalGlitch(g, in.texture[0], in.destination, 1.0f, 0.5f);
         }},
        {"DigitalGlitch2", 1, false,
         [](igfxContext* g, Inputs& in) {
             postDigitalGlitch2(g, in.texture[0], in.destination, 1.0f, 0.5f);
         }},
        {"Streaks", 1, false,
         [](igfxContext* g, Inputs& in) {
             postStreaks(g, in.texture[0], in.destination, 1.0f, kStreak);
         }},
        {"StreaksAdd", 1, false,
         [](igfxContext* g, Inputs& in) {
             postStreaksAdd(g, in.texture[0], in.destination, 1.0f, kStreak, 1.0f);
         }},
        {"RgbLut", 2, false,
         [](igfxContext* g, Inputs& in) {
             postRgbLut(g, in.texture[0], in.texture[1], in.destination, 1.0f);
         },
         1},
        {"DirBlurRnd", 1, false,
         [](igfxContext* g, Inputs& in) {
             postDirBlurRnd(g, in.texture[0], in.destination, 4.0f, 0.0f, 1.0f);
         }},
    };
    return rows;
}

// How the destination is given.
enum class Destination { Given, LeftOut, NullTarget };

// One null input of one pass: texture `nullTexture` (or, with -1, the source target: null,
// or without a texture when `inertTarget`).
struct NullCase {
    int row;
    int nullTexture;
    bool inertTarget;
    Destination destination;
};

std::string caseName(const NullCase& c) {
    std::string name = passTable()[size_t(c.row)].name;
    if (c.nullTexture >= 0)
        name += "_NullTexture" + std::to_string(c.nullTexture);
    else if (c.row >= 0 && passTable()[size_t(c.row)].sourceTarget)
        name += c.inertTarget ? "_TargetWithoutTexture" : "_NullTarget";
    const char* const dest[] = {"_ToTarget", "_ToBound", "_ToNullTarget"};
    return name + dest[int(c.destination)];
}

std::vector<NullCase> nullCases() {
    std::vector<NullCase> cases;
    for (int row = 0; row < int(passTable().size()); ++row) {
        const PassRow& pass = passTable()[size_t(row)];
        std::vector<std::pair<int, bool>> inputs; // (texture index or -1, inert target)
        for (int t = 0; t < pass.textures; ++t)
            if (t != pass.copiesWithout) inputs.emplace_back(t, false);
        if (pass.sourceTarget) {
            inputs.emplace_back(-1, false);
            inputs.emplace_back(-1, true);
        }
        if (inputs.empty()) inputs.emplace_back(-1, false); // the call itself is the null case
        for (const auto& input : inputs)
            for (Destination d :
                 {Destination::Given, Destination::LeftOut, Destination::NullTarget})
                cases.push_back({row, input.first, input.second, d});
    }
    return cases;
}

class NullInputs : public PostFx {
  protected:
    // Where a pass is told to draw: the given target, nothing, or a null target pointer.
    static iRenderTarget** destinationOf(Destination d, iRenderTarget*& given,
                                         iRenderTarget*& nullTarget) {
        return d == Destination::Given ? &given : d == Destination::LeftOut ? nullptr : &nullTarget;
    }
    // Calls `pass` with `bound` bound, as a scene's frame would, and checks that it leaves no
    // GL error and the caller's target still bound.
    void callBound(const PassRow& pass, Inputs& in, iRenderTarget* bound) {
        clearGlErrors();
        bound->bind(gfx, 0);
        const GLint boundName = boundFramebuffer();
        pass.call(gfx, in);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        EXPECT_EQ(boundFramebuffer(), boundName) << "the caller's target is no longer bound";
        bound->unbind(gfx);
    }

    // A complete set of inputs for `pass`: pictures unlike both sentinels, an opaque white
    // mask, an identity look-up table for postRgbLut, and a source target with depth.
    static Inputs inputsFor(const PassRow& pass) {
        static TextureHandle* picture =
            texture(2 * kSize, 2 * kSize, solid(2 * kSize, 2 * kSize, {220, 120, 60, 255}));
        static TextureHandle* mask =
            texture(2 * kSize, 2 * kSize, solid(2 * kSize, 2 * kSize, {255, 255, 255, 255}));
        static TextureHandle* lut = identityLut();
        static iRenderTarget* withDepth = depthTarget();
        Inputs in = {{picture, picture, mask}, withDepth, nullptr};
        const std::string name = pass.name;
        if (name == "RgbLut") in.texture[1] = lut;
        if (name == "ScreenOverlayMasked") in.texture[1] = mask;
        return in;
    }
    static TextureHandle* identityLut() {
        const int n = 4;
        std::vector<uint8_t> data(size_t(n) * n * n * 4);
        for (int z = 0; z < n; ++z)
            for (int y = 0; y < n; ++y)
                for (int x = 0; x < n; ++x) {
                    uint8_t* p = &data[size_t((z * n + y) * n + x) * 4];
                    p[0] = uint8_t(x * 85), p[1] = uint8_t(y * 85), p[2] = uint8_t(z * 85);
                    p[3] = 255;
                }
        return gfx->createTexture3D(n, n, n, kFormatRGBA8, kFormatRGBA8, data.data());
    }
    static iRenderTarget* depthTarget() {
        cRenderTarget_fbo* t = new cRenderTarget_fbo();
        t->initWithSize(gfx, 2 * kSize, 2 * kSize, true);
        load(t, solid(2 * kSize, 2 * kSize, {220, 120, 60, 255}));
        return t;
    }
    static GLint boundFramebuffer() {
        GLint framebuffer = -1;
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
        return framebuffer;
    }
    static void clearGlErrors() {
        while (glGetError() != GL_NO_ERROR) {
        }
    }
};

class NullInput : public NullInputs, public testing::WithParamInterface<NullCase> {};

} // namespace

// ---- a null input draws nothing, wherever the destination is ------------------------------

TEST_P(NullInput, DrawsNothingAndLeavesEverythingAsItWas) {
    const NullCase& c = GetParam();
    const PassRow& pass = passTable()[size_t(c.row)];
    Inputs in = inputsFor(pass);
    if (c.nullTexture >= 0) in.texture[c.nullTexture] = nullptr;
    iRenderTarget* inert = new cRenderTarget_fbo(); // never initialised: no texture
    if (c.nullTexture < 0) in.target = c.inertTarget ? inert : nullptr;

    iRenderTarget* destination = target(kSize, kSize, solid(kSize, kSize, kDestinationColour));
    iRenderTarget* bound = target(kSize, kSize, solid(kSize, kSize, kBoundColour));
    iRenderTarget* nullTarget = nullptr;
    in.destination = destinationOf(c.destination, destination, nullTarget);
    const Pixels destinationBefore = read(destination), boundBefore = read(bound);
    const int cursorBefore = postGrainCursor();
    callBound(pass, in, bound);

    EXPECT_EQ(read(destination), destinationBefore) << "the destination was drawn into";
    EXPECT_EQ(read(bound), boundBefore) << "the bound target was drawn into";
    EXPECT_EQ(postGrainCursor(), cursorBefore);
    EXPECT_EQ(takeStderr(), "") << "the library reported a null input itself";
    delete destination;
    delete bound;
    delete inert;
}

INSTANTIATE_TEST_SUITE_P(EveryPass, NullInput, testing::ValuesIn(nullCases()),
                         [](const testing::TestParamInfo<NullCase>& info) {
                             return caseName(info.param);
                         });

// ---- a left-out destination is the bound framebuffer ----------------------------------------

TEST_F(NullInputs, ALeftOutDestinationDrawsIntoTheBoundTargetAndKeepsItBound) {
    for (const PassRow& pass : passTable()) {
        if (std::string(pass.name).rfind("BlurTarget", 0) == 0) continue; // no destination
        for (bool nullPointer : {false, true}) {
            SCOPED_TRACE(std::string(pass.name) + (nullPointer ? ", null target" : ", none"));
            Inputs in = inputsFor(pass);
            iRenderTarget* nullTarget = nullptr;
            in.destination = nullPointer ? &nullTarget : nullptr;
            iRenderTarget* bound = target(kSize, kSize, solid(kSize, kSize, kBoundColour));
            const Pixels before = read(bound);

            testing::internal::CaptureStdout(); // targets the pool makes at run time say so
            callBound(pass, in, bound);
            testing::internal::GetCapturedStdout();

            EXPECT_NE(read(bound), before) << "nothing was drawn into the bound target";
            delete bound;
        }
    }
}

// ---- an input a pass can do without: the source goes through unchanged ----------------------

TEST_F(NullInputs, WithoutItsTableAPassCopiesItsSourceWhereverItDraws) {
    // Every pixel different, alpha included, at the destination's size: any filtering, blending
    // or grading shows.
    Pixels picture(size_t(kSize) * kSize * 4);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            put(picture, kSize, x, y, {x * 16, y * 16, 255 - x * 8 - y * 4, 128 + x + y});
    TextureHandle* source = texture(kSize, kSize, picture);
    for (const PassRow& pass : passTable()) {
        if (pass.copiesWithout < 0) continue;
        for (Destination d : {Destination::Given, Destination::LeftOut, Destination::NullTarget}) {
            SCOPED_TRACE(std::string(pass.name) + " " + std::to_string(int(d)));
            Inputs in = inputsFor(pass);
            in.texture[0] = source;
            in.texture[pass.copiesWithout] = nullptr;
            iRenderTarget* destination =
                target(kSize, kSize, solid(kSize, kSize, kDestinationColour));
            iRenderTarget* bound = target(kSize, kSize, solid(kSize, kSize, kBoundColour));
            iRenderTarget* nullTarget = nullptr;
            in.destination = destinationOf(d, destination, nullTarget);
            const Pixels boundBefore = read(bound), destinationBefore = read(destination);
            const int cursorBefore = postGrainCursor();
            callBound(pass, in, bound);

            const bool toDestination = d == Destination::Given;
            EXPECT_EQ(read(toDestination ? destination : bound), picture);
            EXPECT_EQ(read(toDestination ? bound : destination),
                      toDestination ? boundBefore : destinationBefore);
            EXPECT_EQ(postGrainCursor(), cursorBefore);
            EXPECT_EQ(takeStderr(), "") << "the library reported a missing table itself";
            delete destination;
            delete bound;
        }
    }
}
