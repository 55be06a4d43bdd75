// render_module_pillars.cpp - see render_module_pillars.h.
#include "render_module_pillars.h"

#include "clock.h"
#include "imodel.h"
#include "imodule_input.h"
#include "irender_target.h"
#include "pillars_rules.h"
#include "postfx.h"

#include <string>

namespace {

using namespace pillars;

// The camera is rebuilt from these every frame.
const float kEye[3] = {125.0f, 125.0f, 125.0f};
const float kOrigin[3] = {0.0f, 0.0f, 0.0f};
const float kUp[3] = {0.0f, 1.0f, 0.0f};
constexpr float kFov = 75.0f;
constexpr float kAspect = 16.0f / 9.0f;
constexpr float kNear = 1.0f, kFar = 1000.0f;

// Names for the context, made once (shader_names.h).
const std::string kCylShader = "cylshader";
const std::string kBgShader = "bgshader";
const std::string kSpectrogramShader = "unshaded_textured";
const std::string kFftColShader = "fftcol";
const std::string kEyePos = "ws_eye_pos";
const std::string kOffsetMagnitude = "offset_magnitude";

Camera g_camera;
bool g_spectrogramFirstFrame = true;
int g_column = 0;

void setScalar(igfxContext* gfx, const std::string& shader, const std::string& uniform, float v) {
    const float v4[4] = {v, v, v, v};
    gfx->setVector(shader, uniform, v4);
}

void setMvp(igfxContext* gfx, const std::string& shader, const float model[16]) {
    float mvp[16];
    mat_product(mvp, model, g_camera.viewProjection());
    gfx->setMatrix(shader, kMvp, mvp);
    gfx->setMatrix(shader, kModelMat, model);
}

void moveEye(const float eye[3]) {
    g_camera.setEye(eye);
}

} // namespace

void cRenderModulePillars::initialise(iModuleInput* input) {
    igfxContext* gfx = input->getGfx();
    gfx->loadShader(kCylShader, "data/shaders/cylshader.vert", "data/shaders/cylshader.frag");
    gfx->loadShader(kBlinnNotexShader, "data/shaders/blinn_notex.vert",
                    "data/shaders/blinn_notex.frag");
    kaos_ = gfx->loadModel("kaos", "data/models/kaos.obj");
    invsphere_ = gfx->loadModel("invsphere", "data/models/invsphere.obj");
    gfx->loadShader(kBgShader, "data/shaders/bg_sh.vert", "data/shaders/bg_sh.frag");
    rocks_ = gfx->loadModel("rocks", "data/models/rocks02.obj");

    // One entry per surface, 0, 1, 2, ...: draw_groups takes runs of this list.
    surfaceCount_ = kaos_ ? kaos_->group_count() : 0;
    surfaces_.reset(new int32_t[surfaceCount_ > 0 ? surfaceCount_ : 1]);
    for (int32_t i = 0; i < surfaceCount_; ++i) surfaces_[i] = i;

    titleMask_ = loadTexture(gfx, "data/textures/title_brusqua_mask.png", kLoadClamped);
    burnGradient_ = loadTexture(gfx, "data/textures/burn_gradient.png", kLoadClamped);
    lutPurple_ = loadColorLut(gfx, "data/textures/LUT_purple.png");
    lutPassthrough_ = loadColorLut(gfx, "data/textures/LUT_passthrough.png");
    lutHighContrast_ = loadColorLut(gfx, "data/textures/LUT_highcontrast.png");
    lutPurpleDarks_ = loadColorLut(gfx, "data/textures/LUT_purple_darks.png");
    // The purple-dark grade is drawn only in some sections: its pass registers here (a null
    // source registers and draws nothing), not in the first frame that grades, in the middle
    // of the scene.
    postRgbLut(gfx, nullptr, nullptr, nullptr, 1.0f);
}

void cRenderModulePillars::render(iModuleInput* input) {
    igfxContext* gfx = input->getGfx();
    const TrackReader track(input);

    // Music seconds drive the motion, wall-clock seconds the grain, the kick the shake.
    const float s = input->getTimeSeconds();
    const float w = static_cast<float>(static_cast<double>(tick_count_ms()) / 1000.0);
    const float e = input->getBandEnergy(20, 28, 0.05f, kSpectrumBins);
    const float r = shakeRadius(e);

    // Camera: shaken along its own right and up axes, then rolled over about x.
    g_camera.setLookAt(kEye, kOrigin, kUp);
    g_camera.setPerspective(kFov, kAspect, kNear, kFar);
    float shake[3];
    shakeOffset(g_camera.view(), r, s, shake);
    float eye[3] = {kEye[0] + shake[0], kEye[1] + shake[1], kEye[2] + shake[2]};
    moveEye(eye);
    rotatePoint(eye, 0, s * 15.0f);
    moveEye(eye);

    gfx->setClearColor(0.2f, 0.2f, 0.2f, 1.0f);
    RenderTargetHandle a = gfx->acquireScreenRenderTarget(kScreenFull);
    {
        BoundTarget bound(gfx, a, kClearColourDepth);

        // The sky sphere, with the letterbox bars cut into it.
        float model[16];
        mat_scale(model, 250.0f, 250.0f, 250.0f);
        gfx->useShader(kBgShader);
        setMvp(gfx, kBgShader, model);
        const Letterbox bars = letterbox(track("cylborder"), gfx->viewport()[3]);
        const float parms[4] = {bars.bottom, bars.top, 0.0f, 0.0f};
        gfx->setVector(kBgShader, kParms, parms);
        if (invsphere_) invsphere_->draw(gfx);

        // The sky lies behind everything.
        gfx->clear(kClearDepth);

        // The rock pillars twice: seen from a quarter turn away, then from the eye itself.
        float turned[3] = {eye[0], eye[1], eye[2]};
        rotatePoint(turned, 1, 90.0f);
        moveEye(turned);
        drawRocks(gfx);
        moveEye(eye);
        drawRocks(gfx);

        // The sculpture, seen from the eye turned by "kaos_rot" about y.
        rotatePoint(eye, 1, track("kaos_rot"));
        moveEye(eye);
        drawKaos(input, s);
    }

    // The post chain, ping-ponging between A and B.
    RenderTargetHandle b = gfx->acquireScreenRenderTarget(kScreenFull);
    postFxaa(gfx, a->texture(), &b.target, 1.0f);      // A -> B
    postDof(gfx, b.target, &a.target, 100.0f, 160.0f); // B -> A, with B's depth
    if (gradePurpleDarks(track("cyl_scnver"))) {
        postRgbLut(gfx, a->texture(), lutPurpleDarks_, &b.target, 1.0f); // A -> B
    } else {
        BoundTarget bound(gfx, b, kClearColour); // A -> B unchanged
        postBlit(gfx, a->texture());
    }
    postUnsharp(gfx, b->texture(), &a.target, 1.0f); // B -> A
    postBarrel(gfx, a->texture(), &b.target);        // A -> B
    const float scrOffset = track("kaos_scr-offset");
    const float vblur = track("kaos_vblur_px");
    postVertOffset(gfx, b->texture(), &a.target, scrOffset, vblur); // B -> A
    postVignette(gfx, a->texture(), &b.target, vignetteAmount(e));  // A -> B
    postBloom(gfx, b->texture(), &a.target, 190.0f, 255.0f, 1.3f);  // B -> A
    postColOffset(gfx, a->texture(), &b.target);                    // A -> B
    postGrain(gfx, b->texture(), &a.target, 0.0725f, w);            // B -> A
    const float levels[5] = {0.0f, (1.0f - track("cyl_whiteout")) * 255.0f, 1.0f, 0.0f,
                             track("cyl_fade")};
    postLevels(gfx, a->texture(), &b.target, levels); // A -> B
    title(input, b->texture(), a);                    // B -> A

    // A into the framebuffer the host bound; B, then A, go back as the leases leave scope.
    postBlit(gfx, a->texture());
}

void cRenderModulePillars::drawRocks(igfxContext* gfx) {
    float model[16], modelIT[16];
    mat_scale(model, 42.0f, 42.0f, 42.0f);
    mat_inverse_transpose(modelIT, model);
    gfx->useShader(kBlinnNotexShader);
    setMvp(gfx, kBlinnNotexShader, model);
    gfx->setMatrix(kBlinnNotexShader, kModelMatIT, modelIT);
    const float light[4] = {0.0f, 50.0f, 0.0f, 0.0f};
    gfx->setVector(kBlinnNotexShader, kLightPos, light);
    const float diffuse[4] = {0.45f, 0.45f, 0.45f, 1.0f};
    gfx->setVector(kBlinnNotexShader, kDiffCol, diffuse);
    if (rocks_) rocks_->draw(gfx);
}

void cRenderModulePillars::drawKaos(iModuleInput* input, float seconds) {
    igfxContext* gfx = input->getGfx();
    const TrackReader track(input);
    float model[16];
    mat_identity(model);
    model[13] = track("kaos_height"); // a lift along y
    gfx->useShader(kCylShader);
    setMvp(gfx, kCylShader, model);
    gfx->setVector(kCylShader, kEyePos, g_camera.eye());
    setScalar(gfx, kCylShader, kTimeS, seconds);

    const float allscale = track("kaos_allscale");
    const KaosDraw d = kaosSurfaces(surfaceCount_, track("kaos_numsurfs"), allscale);
    // The settled surfaces, then the three still flying in, each at its own distance.
    setScalar(gfx, kCylShader, kOffsetMagnitude, allscale);
    if (kaos_ && d.settled > 0) kaos_->draw_groups(gfx, d.settled, surfaces_.get());
    for (int i = 0; kaos_ && i < d.building; ++i) {
        setScalar(gfx, kCylShader, kOffsetMagnitude, d.parts[i].offset);
        kaos_->draw_groups(gfx, 1, &surfaces_[d.parts[i].surface]);
    }
}

void cRenderModulePillars::title(iModuleInput* input, TextureHandle* source,
                                 RenderTargetHandle& destination) {
    igfxContext* gfx = input->getGfx();
    const TrackReader track(input);

    // T: the spectrogram over the whole target.
    RenderTargetHandle t = gfx->acquireScreenRenderTarget(kScreenFull);
    {
        BoundTarget bound(gfx, t, kClearColourDepth);
        drawSpectrogram(input);
    }

    // The burn gradient scorches the picture: source -> destination.
    postComposite(gfx, burnGradient_, source, &destination.target, kCompositeBurn,
                  track("title_burn"));

    // The title: T seen through the lettering, premultiplied over the burned picture. A mask
    // that could not be loaded has no size to place the rectangle with.
    if (!titleMask_) return;
    const float wt = static_cast<float>(titleMask_->width) * 1.2f / 1280.0f;
    const float ht = static_cast<float>(titleMask_->height) * 1.2f / 720.0f;
    gfx->pushRenderState();
    setBlend(gfx, BlendFactors{kBlendOne, kBlendOneMinusSrcAlpha, kBlendOne, kBlendZero});
    screenOverlayMasked(gfx, t->texture(), titleMask_, &destination.target, -wt, -ht, wt, ht,
                        track("cyl_titleits"));
    gfx->popRenderState();
}

void cRenderModulePillars::drawSpectrogram(iModuleInput* input) {
    igfxContext* gfx = input->getGfx();
    if (g_spectrogramFirstFrame) {
        g_spectrogramFirstFrame = false;
        gfx->loadShader(kFftColShader, "data/shaders/fftcol.vert", "data/shaders/fftcol.frag");
        gfx->loadShader(kSpectrogramShader, "data/shaders/unshaded_textured.vert",
                        "data/shaders/unshaded_textured.frag");
        spectrum_.reset(new float[kSpectrumBuffer]());
        // Made from the zeroed pixels, so the columns not yet written are defined (transparent
        // black) while each frame uploads only its own column.
        pixels_.reset(new uint8_t[size_t(kSpectrogramWidth) * kSpectrogramHeight * 4]());
        spectrogram_ = gfx->createTexture2D(kSpectrogramWidth, kSpectrogramHeight, kFormatBGRA,
                                            kFormatRGBA8, kWrapRepeat, pixels_.get());
    }

    gfx->pushRenderState();
    uint64_t& state = *gfx->renderState();
    rs::setDepthFunc(state, kDepthAlways);
    rs::setCulling(state, false);
    rs::setField(state, rs::kBlendSrcColorShift, 0xfull << rs::kBlendSrcColorShift, kBlendSrcAlpha);
    rs::setField(state, rs::kBlendDstColorShift, 0xfull << rs::kBlendDstColorShift,
                 kBlendOneMinusSrcAlpha);

    // This frame's spectrum. A read that fails (no music) paints a silent column rather than
    // repeating whatever the buffer last held.
    int32_t count = kSpectrumBins;
    if (input->getFft(spectrum_.get(), count, true) < 0) count = 0;

    // One new column: low bins at the bottom row, each row's colour from its bin. The buffer
    // holds the picture column by column, so the column is one piece and only it goes up:
    // 4 KiB a frame instead of the whole 2 MiB, the texture the same.
    g_column = nextColumn(g_column);
    uint8_t* column = &pixels_[spectrogramPixel(g_column, 0)];
    for (int i = 0; i < kSpectrogramHeight; ++i) {
        const int j = binOfRow(i, count);
        const Bgra c = spectrumColour(j < 0 ? 0.0f : spectrum_[j]);
        uint8_t* p = column + size_t(i) * 4;
        p[0] = c.b;
        p[1] = c.g;
        p[2] = c.r;
        p[3] = c.a;
    }
    if (spectrogram_)
        gfx->updateTexture(spectrogram_, g_column, 0, 1, kSpectrogramHeight, kFormatBGRA, column);

    // The last 32 columns over the whole target: time runs up, the spectrum across.
    gfx->pushRenderState();
    setBlend(gfx, BlendFactors{kBlendSrcAlpha, kBlendOneMinusSrcAlpha, kBlendOne, kBlendOne});
    gfx->useShader(kSpectrogramShader);
    float identity[16];
    mat_identity(identity);
    gfx->setMatrix(kSpectrogramShader, kMvp, identity);
    gfx->setTexture(kSpectrogramShader, kTex, spectrogram_);
    const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    gfx->setVector(kSpectrogramShader, kColor, white);
    float u0, u1;
    spectrogramU(g_column, u0, u1);
    static const uint32_t kIndices[6] = {0, 1, 2, 0, 2, 3};
    static const float kCorners[16] = {-1, -1, 0, 1, 1, -1, 0, 1, 1, 1, 0, 1, -1, 1, 0, 1};
    const float uv[8] = {u0, 0.65f, u0, 0.1f, u1, 0.1f, u1, 0.65f};
    gfx->drawIndexedTrianglesUV(kIndices, kCorners, uv, 6);
    gfx->popRenderState();
    gfx->popRenderState();
}

DEMO_EXPORT_SCENE(cRenderModulePillars)
