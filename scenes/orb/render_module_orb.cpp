// render_module_orb.cpp - see render_module_orb.h.
#include "render_module_orb.h"

#include "imodel.h"
#include "imodule_input.h"
#include "irender_target.h"
#include "orb_rules.h"
#include "post_radial_blur.h"
#include "postfx.h"

#include <string>

namespace {

// Names for the context, made once (shader_names.h).
const std::string kLogoShader = "brusqua_logo";

} // namespace

void cRenderModuleOrb::initialise(iModuleInput* input) {
    igfxContext* gfx = input->getGfx();
    gfx->loadShader(kUnlitShader, "data/shaders/unlit.vert", "data/shaders/unlit.frag");
    gfx->loadShader(kLogoShader, "data/shaders/brusqua_logo.vert",
                    "data/shaders/brusqua_logo.frag");
    gfx->loadShaderGeometry("borksphere_shader", "data/shaders/blinn_notex_borksphere.vert",
                            "data/shaders/blinn_notex_borksphere.geom",
                            "data/shaders/blinn_notex_borksphere.frag");
    brokenSphere_ = gfx->loadModel("brokensphere", "data/models/sphere_icosa_r10.obj");
    brokenCross_ = gfx->loadModel("brokecross", "data/models/brk_cross.obj");
    logo_ = gfx->loadModel("logo_brusqua2", "data/models/logo_brusqua2.obj");
}

void cRenderModuleOrb::render(iModuleInput* input) {
    igfxContext* gfx = input->getGfx();
    const TrackReader track(input);

    // The camera slides along x; its direction never changes.
    const float offset = orb::cameraOffset(track("brk_camofs"));
    const orb::Vec3f eye = orb::cameraEye(offset), target = orb::cameraTarget(offset);
    const float eye3[3] = {eye.x, eye.y, eye.z}, target3[3] = {target.x, target.y, target.z};
    const float up3[3] = {orb::kCameraUp.x, orb::kCameraUp.y, orb::kCameraUp.z};
    Camera camera;
    camera.setLookAt(eye3, target3, up3);
    camera.setPerspective(orb::kFovDegrees, viewportAspect(gfx), orb::kNear, orb::kFar);

    // A: the logo on transparent black, with the render state the host left.
    gfx->setClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    RenderTargetHandle a = gfx->acquireScreenRenderTarget(kScreenFull);
    {
        BoundTarget bound(gfx, a, kClearColourDepth);
        float model[16], modelIT[16], mvp[16];
        mat_identity(model);
        mat_inverse_transpose(modelIT, model);
        mat_product(mvp, model, camera.viewProjection());
        const float colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
        const float light[4] = {-10.0f, 0.0f, 20.0f, 0.0f};
        gfx->useShader(kLogoShader);
        gfx->setVector(kLogoShader, kColor, colour);
        gfx->setMatrix(kLogoShader, kMvp, mvp);
        gfx->setMatrix(kLogoShader, kModelMat, model);
        gfx->setMatrix(kLogoShader, kModelMatIT, modelIT);
        gfx->setVector(kLogoShader, kLightPos, light);
        // A model file that failed to load leaves an empty frame, not a crash.
        if (logo_) logo_->draw(gfx);
    }

    // The post chain, A and B in turn; each pass reads the music time afresh.
    RenderTargetHandle b = gfx->acquireScreenRenderTarget(kScreenFull);
    postVignette(gfx, a->texture(), &b.target, orb::kVignetteAmount); // A -> B
    postRadialBlur(gfx, b->texture(), &a.target, input->getTimeSeconds(), orb::kRadialDistance,
                   track("brk_radits"));         // B -> A
    postColOffset(gfx, a->texture(), &b.target); // A -> B
    postDigitalGlitch(gfx, b->texture(), &a.target, input->getTimeSeconds(),
                      track("brk_glitch1")); // B -> A
    postDigitalGlitch2(gfx, a->texture(), &b.target, input->getTimeSeconds(),
                       track("brk_glitch2")); // A -> B
    postGrain(gfx, b->texture(), &a.target, orb::kGrainOpacity,
              input->getTimeSeconds()); // B -> A

    // A over the host's framebuffer, premultiplied; the host's pop restores the state.
    postSetDefault2DState(gfx);
    setBlend(gfx, kBlendOver);
    postPassthrough(gfx, a->texture());
    // B, then A, go back to the pool as the leases leave scope.
}

DEMO_EXPORT_SCENE(cRenderModuleOrb)
