// render_module_vortex.cpp - see render_module_vortex.h.
#include "render_module_vortex.h"

#include "clock.h"
#include "imodel.h"
#include "imodule_input.h"
#include "irender_target.h"
#include "postfx.h"
#include "vortex_rules.h"

#include <cstdio>
#include <string>

namespace {

// Names for the context, made once (shader_names.h).
const std::string kTunnelShader = "blinn_notex_falloff";
const std::string kGreetShader = "greets";
const std::string kGlitch = "glitch";
const std::string kInverseUv = "inverse_uv";

TextureHandle* g_greetings[vortex::kGreetingCount] = {};

// Set up in render step 1; the tunnel draws with a rolled copy.
Camera g_camera;

void setVector4(igfxContext* gfx, const std::string& shader, const std::string& uniform, float x,
                float y, float z, float w) {
    const float v[4] = {x, y, z, w};
    gfx->setVector(shader, uniform, v);
}

// "modelmat", "modelmatIT" and "mvp" of the tunnel shader for `model`.
void setTunnelMatrices(igfxContext* gfx, const float model[16], Camera& camera) {
    float inverseTransposed[16];
    mat_inverse_transpose(inverseTransposed, model);
    float mvp[16];
    mat_product(mvp, model, camera.viewProjection());
    gfx->setMatrix(kTunnelShader, kModelMat, model);
    gfx->setMatrix(kTunnelShader, kModelMatIT, inverseTransposed);
    gfx->setMatrix(kTunnelShader, kMvp, mvp);
}

} // namespace

void cRenderModuleVortex::initialise(iModuleInput* input) {
    igfxContext* gfx = input->getGfx();
    gfx->loadShader(kTunnelShader, "data/shaders/blinn_notex_falloff.vert",
                    "data/shaders/blinn_notex_falloff.frag");
    gfx->loadShader(kGreetShader, "data/shaders/greets.vert", "data/shaders/greets.frag");
    tunnelMain_ = gfx->loadModel("tunnelmain", "data/models/markings_tunnel.obj");
    tunnelBroken_ = gfx->loadModel("tunnelbroken", "data/models/markings_tunnel_broken.obj");
    greetModel_ = gfx->loadModel("greetmodel", "data/models/greetquad.obj");
    for (int i = 0; i < vortex::kGreetingCount; ++i) {
        char file[64];
        std::snprintf(file, sizeof file, "data/textures/greets/greets%02d.png", i);
        g_greetings[i] = loadTexture(gfx, file, kLoadClampedMipmapped);
    }
    lut_ = loadColorLut(gfx, "data/textures/LUT_tunnel01.png");
}

void cRenderModuleVortex::render(iModuleInput* input) {
    igfxContext* gfx = input->getGfx();
    const TrackReader track(input);

    // The camera on the tunnel's axis, looking down it.
    const float eye[3] = {0.0f, 0.0f, 0.0f};
    const float target[3] = {0.0f, 1.0f, 0.0f};
    const float up[3] = {1.0f, 0.0f, 0.0f};
    g_camera.setLookAt(eye, target, up);
    g_camera.setPerspective(90.0f, viewportAspect(gfx), 2.0f, 2000.0f);

    // A: the tunnel and the greetings, over an empty background.
    gfx->setClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    RenderTargetHandle a = gfx->acquireScreenRenderTarget(kScreenFull);
    {
        BoundTarget bound(gfx, a, kClearColourDepth);
        drawTunnel(input);
    }

    RenderTargetHandle b = gfx->acquireScreenRenderTarget(kScreenFull);
    // A -> B: the grade.
    postRgbLut(gfx, a->texture(), lut_, &b.target, 1.0f);
    // B -> A: depth of field; B's depth is the tunnel's (targets of one size share it).
    postDof(gfx, b.target, &a.target, 0.1f, 40.0f);
    // A -> B: colour fringes toward the corners.
    postColOffset(gfx, a->texture(), &b.target);
    // B -> A: block glitch, a new pattern every frame.
    const float ms = static_cast<float>(input->getTimeMs());
    postDigitalGlitch(gfx, b->texture(), &a.target, ms, track("tnl_postglitch1"));
    // A -> B: sliding bands.
    postDigitalGlitch2(gfx, a->texture(), &b.target, input->getTimeSeconds(),
                       track("tnl_postglitch2"));
    // B over the framebuffer the host bound, premultiplied.
    postSetDefault2DState(gfx);
    setBlend(gfx, kBlendOver);
    postPassthrough(gfx, b->texture());
    // B, then A, go back to the pool as the leases leave scope.
}

void cRenderModuleVortex::drawTunnel(iModuleInput* input) {
    igfxContext* gfx = input->getGfx();
    const TrackReader track(input);

    // A copy of the camera, rolled about the axis it looks down.
    Camera camera = g_camera;
    const vortex::CameraFrame frame =
        vortex::rolledCamera(vortex::rollDegrees(track("tnl_camrot")));
    camera.setLookAt(frame.eye, frame.target, frame.up);

    // The tunnel turns 30 degrees a second about its axis and slides along it by o.
    const float o = vortex::finiteOr0(track("tnl_ofs"));
    const float seconds = input->getTimeSeconds();
    float model[16];
    vortex::placeOnAxis(model, 30.0f * seconds, o);

    gfx->useShader(kTunnelShader);
    setTunnelMatrices(gfx, model, camera);
    const float dist = track("tnl_lightdist");
    setVector4(gfx, kTunnelShader, kLightPos, 0.0f, dist, 0.0f, 0.0f);
    const float its = track("tnl_lightits");
    setVector4(gfx, kTunnelShader, kDiffCol, its, its, its, 1.0f);

    const vortex::TunnelLayout layout = vortex::tunnelLayout(o);
    if (layout.broken && tunnelBroken_) tunnelBroken_->draw(gfx);
    for (int k = 0; k < layout.count; ++k) drawSegment(input, camera, layout.positions[k], seconds);

    drawGreetings(input, camera, o);
}

void cRenderModuleVortex::drawSegment(iModuleInput* input, Camera& camera, float position,
                                      float seconds) {
    igfxContext* gfx = input->getGfx();
    const TrackReader track(input);

    float model[16];
    vortex::placeOnAxis(model, 30.0f * seconds, position);
    gfx->useShader(kTunnelShader);
    track("tnl_lightits"); // read again as the light is; "diffcol" stays as the tunnel set it
    const float dist = track("tnl_lightdist");
    setTunnelMatrices(gfx, model, camera);
    setVector4(gfx, kTunnelShader, kLightPos, 0.0f, dist, 0.0f, 0.0f);
    if (tunnelMain_) tunnelMain_->draw(gfx);
}

void cRenderModuleVortex::drawGreetings(iModuleInput* input, Camera& camera, float o) {
    igfxContext* gfx = input->getGfx();
    const TrackReader track(input);

    // Panels are premultiplied light over the tunnel.
    gfx->pushRenderState();
    setBlend(gfx, kBlendOver);
    gfx->useShader(kGreetShader);
    setVector4(gfx, kGreetShader, kColor, 1.0f, 1.0f, 1.0f, 1.0f);
    const float glitch = track("tnl_glitch");
    // Wall-clock seconds: the panels' flicker runs on whether the music does or not.
    const float wall = static_cast<float>(static_cast<double>(tick_count_ms()) / 1000.0);

    for (int i = 0; i < vortex::kGreetingCount; ++i) {
        const float angle = vortex::greetingAngle(i);
        float model[16], mvp[16];
        vortex::placeOnAxis(model, angle, vortex::greetingY(i, o));
        mat_product(mvp, model, camera.viewProjection());
        gfx->setMatrix(kGreetShader, kModelMat, model);
        gfx->setTexture(kGreetShader, kTex, g_greetings[i]);
        gfx->setMatrix(kGreetShader, kMvp, mvp);
        setVector4(gfx, kGreetShader, kTimeS, wall, wall, wall, wall);
        setVector4(gfx, kGreetShader, kGlitch, glitch, glitch, glitch, glitch);
        const float flip = vortex::inverseUv(angle);
        setVector4(gfx, kGreetShader, kInverseUv, flip, flip, flip, flip);
        if (greetModel_) greetModel_->draw(gfx);
    }
    gfx->popRenderState();
}

DEMO_EXPORT_SCENE(cRenderModuleVortex)
