// render_module_kaboom.cpp - see render_module_kaboom.h.
#include "render_module_kaboom.h"

#include "gl_loader.h"
#include "imodule_input.h"
#include "irender_target.h"
#include "kaboom_passes.h"
#include "kaboom_rules.h"
#include "postfx.h"

#include <string>

namespace {

// Looked up in the context's texture cache every frame: a constant, not a string per call.
const std::string kBackground = "data/textures/bgstripeycircle.jpg";

// Streak parameters: input low of the first levels step, input high and gamma of the last.
const float kStreaks[3] = {200.0f, 170.0f, 1.7f};

Camera g_camera;

} // namespace

void cRenderModuleKaboom::initialise(iModuleInput* input) {
    igfxContext* gfx = input->getGfx();
    gfx->loadShader("debugcol", "data/shaders/debugcol.vert", "data/shaders/debugcol.frag");
    gfx->loadShader("objcol", "data/shaders/objcol.vert", "data/shaders/objcol.frag");
    gfx->loadModel("reactor", "data/models/reactor_v05.obj");
    gfx->loadModel("cube2x2", "data/models/cube_2x2.obj");
    gfx->loadModel("cyl2x5", "data/models/cylinder_2x5.obj");
    gfx->loadShader(kBlinnNotexShader, "data/shaders/blinn_notex.vert",
                    "data/shaders/blinn_notex.frag");
    gfx->loadShader("cube2scr", "data/shaders/cubemap_to_screen.vert",
                    "data/shaders/cubemap_to_screen.frag");
    gfx->loadShader("march_beam", "data/shaders/raymarch_beam.vert",
                    "data/shaders/raymarch_beam.frag");
}

void cRenderModuleKaboom::render(iModuleInput* input) {
    igfxContext* gfx = input->getGfx();
    const TrackReader track(input);

    // What the host bound starts grey; the last blit covers it.
    gfx->setClearColor(0.65f, 0.65f, 0.65f, 1.0f);
    gfx->clear(kClearColourDepth);

    // The camera orbits the reactor, looking at the middle of the beam.
    const float camrot = track("rct_camrot");
    const float camdist = track("rct_camdist");
    float eye[3], up[3];
    kaboom::eyePosition(eye, camrot, camdist);
    kaboom::cameraUp(up);
    g_camera.setLookAt(eye, kaboom::kTarget, up);
    g_camera.setPerspective(kaboom::kFovDeg, viewportAspect(gfx), kaboom::kNear, kaboom::kFar);

    // First frame: this plug-in's own GL entry points, then the cube map.
    if (!kaboom::cubeMapMade()) {
        loadGlExtensions();
        kaboom::makeCubeMap();
    }

    // The cube map: the scene six times around the eye.
    int viewport[4];
    kaboom::renderCubeFaces(input, eye, g_camera.zNear(), g_camera.zFar(), viewport);

    // A: the background picture, then the scene over it.
    RenderTargetHandle a = gfx->acquireScreenRenderTarget(kScreenFull);
    {
        BoundTarget bound(gfx, a, kClearColourDepth);
        postBlit(gfx, loadTexture(gfx, kBackground, kLoadClamped));
        if (kaboom::showPanorama(track("expl_cylview"))) {
            // The whole sphere around the eye unrolled, premultiplied over the picture.
            kaboom::drawPanorama(gfx, viewport);
        } else {
            // The direct view through the orbiting camera.
            kaboom::drawScene(input, g_camera.viewProjection(), eye, g_camera.zNear(),
                              g_camera.zFar());
        }
    }

    // A -> B: the vertical offset; B -> A: streaks added; A -> B: colour offset; B -> frame.
    // The streaks borrow three more full-size targets while A and B are held, and the pool
    // starts with three: the scene's first frame creates two at run time (each reported as
    // an allocated render target), every later frame reuses them.
    RenderTargetHandle b = gfx->acquireScreenRenderTarget(kScreenFull);
    const float vofs = track("expl_vofs");
    const float vblur = track("expl_vblur_px");
    postVertOffset(gfx, a->texture(), &b.target, vofs, vblur);
    postStreaksAdd(gfx, b->texture(), &a.target, input->getTimeSeconds(), kStreaks, 1.0f);
    postColOffset(gfx, a->texture(), &b.target);
    postBlit(gfx, b->texture());
    // B, then A, go back to the pool as the leases leave scope.
}

DEMO_EXPORT_SCENE(cRenderModuleKaboom)
