// render_module_shafts.cpp - see render_module_shafts.h.
#include "render_module_shafts.h"

#include "clock.h"
#include "gl_loader.h"
#include "imodel.h"
#include "imodule_input.h"
#include "irender_target.h"
#include "postfx.h"

#include <string>

namespace {

// Names for the context, made once (shader_names.h).
const std::string kDepthOutShader = "depthout";
const std::string kShadedShader = "blinn_shadow";
const std::string kVolumeShader = "volshadow_depth";
const std::string kShadowMapTex = "shadowmap_tex";
const std::string kObjectToShadowMap = "mat_ObjectToShadowmap";
const std::string kBgDepthTex = "bgdepth_tex";
const std::string kFrontPosTex = "frontpos_tex";
const std::string kTimeMs = "time_ms";
const std::string kEyePosOs = "os_eyepos";
const std::string kWorldToObj = "mat_worldToObj";
const std::string kInvCamProj = "mat_invCamProj";
const std::string kViewToWorld = "mat_viewToWorld";
const std::string kObjectToShadowMapVolume = "mat_objectToShadowmap";
const std::string kFogColor = "fogColor";

// Per-frame state of the plug-in: the tube matrices of this frame, and the fixed colours.
float g_tubeMatrices[shafts::kMaxTubes][16];
int g_tubeCount = 0;
const float kLightColour[4] = {121.0f / 255.0f, 85.0f / 255.0f, 1.0f, 1.0f};
const float kTubeColour[4] = {0.2f, 0.2f, 0.2f, 1.0f};
const float kMarkerColour[4] = {0.0f, 0.0f, 0.0f, 1.0f};
const float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const float kLogoColour[4] = {1.75f, 1.75f, 1.75f, 1.0f};

Camera g_camera;

constexpr int kShadowMapSize = 1024;
constexpr uint32_t kColourWritesAll = 0xf;
constexpr uint32_t kColourWritesNone = 0x0;

// Glow extraction and streak parameters of this scene.
constexpr float kGlowThreshold = 254.0f, kGlowWhite = 50.0f, kGlowGamma = 1.15f;
const float kStreaks[3] = {190.0f, 190.0f, 1.5f};

// A 16-bit depth texture wrapped in a depth-only render target. The shadow map is sampled
// with a comparison (a shadow sampler), set on the texture directly: the context's texture
// options have no word for it. The light-volume depth is read as plain depth (where the ray
// enters the volume), so its texture keeps the default comparison mode off.
enum class DepthRead { Compare, Plain };
iRenderTarget* createDepthTarget(igfxContext* gfx, int width, int height, DepthRead read) {
    TextureHandle* depth =
        gfx->createTexture2D(width, height, kFormatDepth, kFormatDepth16, kWrapClamp, nullptr);
    if (!depth) return nullptr;
    if (read == DepthRead::Compare) {
        glBindTexture(GL_TEXTURE_2D, depth->name);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_R_TO_TEXTURE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_FUNC, GL_LEQUAL);
        glTexParameteri(GL_TEXTURE_2D, GL_DEPTH_TEXTURE_MODE, GL_INTENSITY);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    return gfx->createRenderTarget(depth, false);
}

uint64_t& state(igfxContext* gfx) {
    return *gfx->renderState();
}

// Depth only, culled, no blending: the state of the two depth passes (the shadow map and the
// light volume's front faces), which differ only in which winding faces front.
void setDepthOnlyState(igfxContext* gfx, bool frontCCW) {
    rs::setColorMask(state(gfx), kColourWritesNone);
    rs::setDepthWrite(state(gfx), true);
    rs::setFrontCCW(state(gfx), frontCCW);
    rs::setCulling(state(gfx), true);
    rs::setBlend(state(gfx), kBlendOne, kBlendZero, kBlendOne, kBlendZero);
}

void drawFrustumBox(igfxContext* gfx, const shafts::Light& light) {
    const shafts::FrustumBox box = shafts::frustumBox(light);
    gfx->drawIndexedTriangles(box.indices, box.corners, 36);
}

} // namespace

void cRenderModuleShafts::initialise(iModuleInput* input) {
    igfxContext* gfx = input->getGfx();
    gfx->loadShader("debugcol", "data/shaders/debugcol.vert", "data/shaders/debugcol.frag");
    gfx->loadShader(kShadedShader, "data/shaders/blinn_notex_shadowed.vert",
                    "data/shaders/blinn_notex_shadowed.frag");
    gfx->loadShader(kDepthOutShader, "data/shaders/depth_output.vert",
                    "data/shaders/depth_output.frag");
    gfx->loadShader(kUnlitShader, "data/shaders/unlit.vert", "data/shaders/unlit.frag");
    gfx->loadShader(kVolumeShader, "data/shaders/volume_shadow_depth.vert",
                    "data/shaders/volume_shadow_depth.frag");

    tube_ = gfx->loadModel("tube", "data/models/halftube04.obj");
    logo_ = gfx->loadModel("tlvlogo", "data/models/tlvlogo.obj");
    marker_ = gfx->loadModel("markersphere", "data/models/markings_sphere02.obj");

    shadowMap_ = createDepthTarget(gfx, kShadowMapSize, kShadowMapSize, DepthRead::Compare);
    const int32_t* viewport = gfx->viewport();
    const shafts::Size size = shafts::volumeTargetSize(viewport[2], viewport[3]);
    volumeDepth_ = createDepthTarget(gfx, size.width, size.height, DepthRead::Plain);

    lut_ = loadColorLut(gfx, "data/textures/lut_lightvol2.png");

    // This module's own entry points: the GL calls above are 1.1 and need none, but nothing
    // of this plug-in may rely on the host's pointers.
    loadGlExtensions();
}

void cRenderModuleShafts::render(iModuleInput* input) {
    igfxContext* gfx = input->getGfx();
    const TrackReader track(input);
    const float seconds = input->getTimeSeconds();

    // 1-3. Camera of the set-up, the ring of tubes, the eye turned by "vol_camrot".
    const int v = shafts::variant(track("vol_var"));
    g_tubeCount = shafts::tubeCount(v);
    const float circleRot = track("vol_circlerot");
    for (int m = 0; m < g_tubeCount; ++m) shafts::tubeMatrix(g_tubeMatrices[m], m, circleRot);
    const shafts::CameraSetup setup = shafts::cameraSetup(v, seconds, track("vol_camrot"));
    static const float kUp[3] = {0.0f, 1.0f, 0.0f};
    g_camera.setLookAt(setup.eye, setup.target, kUp);
    g_camera.setPerspective(setup.fov, viewportAspect(gfx), setup.zNear, setup.zFar);

    // 4. The light.
    Frame f;
    f.viewProjection = g_camera.viewProjection();
    f.light = shafts::light();
    shafts::lightViewProjection(f.lightViewProjection, f.light);

    // 5. Shadow map: the tubes' back faces (seen from the light) into the depth-only target.
    gfx->pushRenderState();
    setDepthOnlyState(gfx, false);
    {
        BoundTarget bound(gfx, shadowMap_, kClearDepth);
        Frame fromLight = f;
        fromLight.viewProjection = f.lightViewProjection;
        drawTubes(gfx, fromLight, Mode::Depth);
        track("vol_lightits"); // read as the shadow pass always has; its value is not used
    }
    gfx->popRenderState();

    // 6. A: the frame.
    gfx->setClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    RenderTargetHandle a = gfx->acquireScreenRenderTarget(kScreenFull);
    {
        BoundTarget bound(gfx, a, kClearColourDepth);
        // 7. Depth of everything first, so the silhouettes below are the visible parts only.
        rs::setColorMask(state(gfx), kColourWritesNone);
        if (shafts::drawsLogo(v)) drawLogo(gfx, f);
        drawTubesAndMarker(input, f, Mode::Depth);
        // 8. The tubes' visible parts in white: the source of the glow.
        rs::setDepthFunc(state(gfx), kDepthLequal);
        rs::setColorMask(state(gfx), kColourWritesAll);
        drawTubes(gfx, f, Mode::Unlit);
    }

    // 9. A -> B: glow of the silhouettes, a quarter of the size.
    RenderTargetHandle b = gfx->acquireScreenRenderTarget(kScreenQuarter);
    {
        TextureHandle* source = a->texture();
        const int w = source->width, h = source->height;
        RenderTargetHandle half1 = gfx->acquireRenderTarget(w / 2, h / 2);
        RenderTargetHandle half2 = gfx->acquireRenderTarget(w / 2, h / 2);
        RenderTargetHandle quarter = gfx->acquireRenderTarget(w / 4, h / 4);
        const float threshold[5] = {kGlowThreshold, 255.0f, 1.3f, 0.0f, 255.0f};
        const float white[5] = {0.0f, kGlowWhite, kGlowGamma, 0.0f, 255.0f};
        postDownsample(gfx, source, &half1.target);
        postLevels(gfx, half1->texture(), &half2.target, threshold);
        postDirBlur(gfx, half2->texture(), &half1.target);
        postDownsample(gfx, half1->texture(), &quarter.target);
        for (int i = 0; i < 3; ++i) postBlurTarget(gfx, &quarter.target);
        postLevels(gfx, quarter->texture(), &b.target, white);
        // quarter, half2, half1 go back in reverse order here.
    }

    // 10. B -> C: horizontal streaks.
    RenderTargetHandle c = gfx->acquireScreenRenderTarget(kScreenFull);
    postStreaks(gfx, b->texture(), &c.target, seconds, kStreaks);

    // 11. Over A: the shaded tubes and marker, where the white silhouettes were.
    {
        BoundTarget bound(gfx, a, kClearNone);
        drawTubesAndMarker(input, f, Mode::Shaded);
    }

    // 12. The frame's depth for the march, then the logo over A.
    TextureHandle* frameDepth = gfx->depthTexture(a.target);
    {
        BoundTarget bound(gfx, a, kClearNone);
        gfx->pushRenderState();
        rs::setDepthFunc(state(gfx), kDepthLequal);
        if (shafts::drawsLogo(v)) drawLogo(gfx, f);
        gfx->popRenderState();
    }

    // The light's world matrix and the camera's view-projection place the frustum box.
    float lightWorld[16], boxMvp[16];
    shafts::lightWorld(lightWorld, f.light);
    mat_product(boxMvp, lightWorld, f.viewProjection);

    // 13. Where the camera's rays enter the light volume: the box's front faces.
    gfx->pushRenderState();
    setDepthOnlyState(gfx, true);
    {
        BoundTarget bound(gfx, volumeDepth_, kClearDepth);
        gfx->useShader(kDepthOutShader);
        gfx->setMatrix(kDepthOutShader, kMvp, boxMvp);
        drawFrustumBox(gfx, f.light);
    }
    gfx->popRenderState();

    // 14. D: the light volume marched from the box's back faces, then softened.
    RenderTargetHandle d = gfx->acquireScreenRenderTarget(kScreenFull);
    {
        BoundTarget bound(gfx, d, kClearColourDepth);
        gfx->pushRenderState();
        rs::setCulling(state(gfx), true);
        rs::setCullBack(state(gfx), false);
        rs::setDepthWrite(state(gfx), false);
        rs::setDepthFunc(state(gfx), kDepthAlways);
        rs::setBlend(state(gfx), kBlendOne, kBlendOneMinusSrcAlpha, kBlendOne, kBlendOne);

        const std::string& shader = kVolumeShader;
        gfx->useShader(shader);
        gfx->setMatrix(shader, kMvp, boxMvp);
        gfx->setTexture(shader, kBgDepthTex, frameDepth);
        gfx->setTexture(shader, kShadowMapTex, shadowMap_ ? shadowMap_->texture() : nullptr);
        gfx->setTexture(shader, kFrontPosTex, volumeDepth_ ? volumeDepth_->texture() : nullptr);
        const float tick = static_cast<float>(tick_count_ms());
        const float timeMs[4] = {tick, tick, tick, tick};
        gfx->setVector(shader, kTimeMs, timeMs);

        float worldToObj[16];
        shafts::lightView(worldToObj, f.light);
        float osEye[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        mat_transform_point(osEye, worldToObj, g_camera.eye());
        gfx->setVector(shader, kEyePosOs, osEye);
        gfx->setMatrix(shader, kWorldToObj, worldToObj);
        float invProj[16], viewToWorld[16], lightProj[16];
        for (int i = 0; i < 16; ++i) invProj[i] = g_camera.projection()[i];
        for (int i = 0; i < 16; ++i) viewToWorld[i] = g_camera.view()[i];
        mat_inverse(invProj);
        mat_inverse(viewToWorld);
        shafts::lightProjection(lightProj, f.light);
        gfx->setMatrix(shader, kInvCamProj, invProj);
        gfx->setMatrix(shader, kViewToWorld, viewToWorld);
        gfx->setMatrix(shader, kObjectToShadowMapVolume, lightProj);
        const int32_t* vp = gfx->viewport();
        const float w = static_cast<float>(vp[2]), h = static_cast<float>(vp[3]);
        const float resolution[4] = {w, h, 1.0f / w, 1.0f / h};
        gfx->setVector(shader, kResolution, resolution);
        const float l = track("vol_lightits");
        const float fog[4] = {l * kLightColour[0], l * kLightColour[1], l * kLightColour[2], 1.0f};
        gfx->setVector(shader, kFogColor, fog);
        drawFrustumBox(gfx, f.light);
        gfx->popRenderState();
    }
    postBlurTarget(gfx, &d.target);

    // 15. The light over the frame, then the glow and the streaks added.
    RenderTargetHandle e = gfx->acquireScreenRenderTarget(kScreenFull);
    postComposite(gfx, d->texture(), a->texture(), &e.target, kCompositeOverlay, 1.0f); // D/A -> E
    postComposite(gfx, b->texture(), e->texture(), &a.target, kCompositeAdd, 1.0f);     // B+E -> A
    postComposite(gfx, c->texture(), a->texture(), &e.target, kCompositeAdd, 1.0f);     // C+A -> E

    // 16. Grading, the vertical offset, the colour fringes, and out to the host's framebuffer.
    postRgbLut(gfx, e->texture(), lut_, &a.target, track("vol_lutits")); // E -> A
    const float vofs = track("vol_vofs");
    const float vblur = track("vol_vblur");
    postVertOffset(gfx, a->texture(), &e.target, vofs, vblur); // A -> E
    postColOffset(gfx, e->texture(), &d.target);               // E -> D
    postBlit(gfx, d->texture());
    // 17. E, D, C, B, A go back to the pool as the leases leave scope.
}

void cRenderModuleShafts::drawTubes(igfxContext* gfx, const Frame& f, Mode mode) {
    if (!tube_) return;
    for (int m = 0; m < g_tubeCount; ++m) {
        const float* model = g_tubeMatrices[m];
        float mvp[16];
        mat_product(mvp, model, f.viewProjection);
        if (mode == Mode::Depth) {
            gfx->useShader(kDepthOutShader);
            gfx->setMatrix(kDepthOutShader, kMvp, mvp);
        } else if (mode == Mode::Unlit) {
            gfx->useShader(kUnlitShader);
            gfx->setMatrix(kUnlitShader, kMvp, mvp);
            gfx->setVector(kUnlitShader, kColor, kWhite);
        } else {
            gfx->useShader(kShadedShader);
            setShadedObject(gfx, f, model);
            gfx->setVector(kShadedShader, kDiffCol, kTubeColour);
        }
        tube_->draw(gfx);
    }
}

void cRenderModuleShafts::drawTubesAndMarker(iModuleInput* input, const Frame& f, Mode mode) {
    igfxContext* gfx = input->getGfx();
    drawTubes(gfx, f, mode);
    const float l = TrackReader(input)("vol_lightits");
    float model[16];
    mat_scale(model, 4.0f, 4.0f, 4.0f);
    gfx->useShader(kShadedShader);
    const float colour[4] = {kMarkerColour[0] * 0.5f * l, kMarkerColour[1] * 0.5f * l,
                             kMarkerColour[2] * 0.5f * l, kMarkerColour[3] * 0.5f * l};
    gfx->setVector(kShadedShader, kDiffCol, colour);
    setShadedObject(gfx, f, model);
    if (marker_) marker_->draw(gfx);
}

void cRenderModuleShafts::drawLogo(igfxContext* gfx, const Frame& f) {
    float model[16];
    mat_scale(model, 0.25f, 0.25f, 0.25f);
    gfx->useShader(kShadedShader);
    setShadedObject(gfx, f, model);
    gfx->setVector(kShadedShader, kDiffCol, kLogoColour);
    if (logo_) logo_->draw(gfx);
}

void cRenderModuleShafts::setShadedObject(igfxContext* gfx, const Frame& f, const float model[16]) {
    const std::string& shader = kShadedShader;
    float mvp[16], modelIT[16], toShadow[16];
    mat_product(mvp, model, f.viewProjection);
    mat_inverse_transpose(modelIT, model);
    mat_product(toShadow, model, f.lightViewProjection);
    gfx->setVector(shader, kLightPos, f.light.position);
    gfx->setMatrix(shader, kMvp, mvp);
    gfx->setMatrix(shader, kModelMat, model);
    gfx->setMatrix(shader, kModelMatIT, modelIT);
    gfx->setTexture(shader, kShadowMapTex, shadowMap_ ? shadowMap_->texture() : nullptr);
    gfx->setMatrix(shader, kObjectToShadowMap, toShadow);
}

DEMO_EXPORT_SCENE(cRenderModuleShafts)
