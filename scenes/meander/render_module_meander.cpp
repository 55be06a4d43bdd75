// render_module_meander.cpp - see render_module_meander.h.
#include "render_module_meander.h"

#include "imodel.h"
#include "imodule_input.h"
#include "irender_target.h"
#include "meander_draw.h"
#include "meander_rules.h"
#include "postfx.h"

#include <cmath>
#include <string>

namespace {

using meander::kBackgroundShader;
using meander::kMarkingsLinesTexture;
using meander::kMarkingsTexture;
using meander::kTrailShader;

// Kept for the whole run: the walk is built on the first frame, the rotations on the first
// trail, and the camera is set afresh every frame.
float g_path[meander::kPathPoints][3];
bool g_pathBuilt = false;
float g_rotations[meander::kRotations][16];
bool g_rotationsBuilt = false;
Camera g_camera;

void add(float out[3], const meander::Vec3f& c, float x, float y, float z) {
    out[0] = c.x + x;
    out[1] = c.y + y;
    out[2] = c.z + z;
}

} // namespace

void cRenderModuleMeander::initialise(iModuleInput* input) {
    igfxContext* gfx = input->getGfx();
    gfx->loadShader(kTrailShader, "data/shaders/blinn_notex_ctrAO.vert",
                    "data/shaders/blinn_notex_ctrAO.frag");
    joint_ = gfx->loadModel("joint", "data/models/flat_joint.obj");
    markings_ = gfx->loadModel("markings", "data/models/markings.obj");
    spikes_[0] = gfx->loadModel("spike0", "data/models/spike_dodeca_chamfer.obj");
    spikes_[1] = gfx->loadModel("spike1", "data/models/spike_icosa_chamfer.obj");
    spikes_[2] = gfx->loadModel("spike2", "data/models/spike_octa_chamfer.obj");
    loadTexture(gfx, kMarkingsTexture, kLoadRepeatedMipmapped);
    loadTexture(gfx, kMarkingsLinesTexture, kLoadRepeatedMipmapped);
    gfx->loadShader(kBackgroundShader, "data/shaders/unshaded_textured_wave.vert",
                    "data/shaders/unshaded_textured_wave.frag");
}

void cRenderModuleMeander::render(iModuleInput* input) {
    igfxContext* gfx = input->getGfx();
    const TrackReader track(input);

    // The walk, once; the grain continues after the part of the table it used.
    if (!g_pathBuilt) {
        meander::buildPath(postRandomEntry, g_path);
        postSetGrainCursor(meander::kCursorAfterPath);
        g_pathBuilt = true;
    }

    RenderTargetHandle a = gfx->acquireScreenRenderTarget(kScreenFull);
    float glow[3] = {190.0f, 255.0f, 1.3f};
    const int version = meander::version(track("rnd_scenever"));
    if (version == meander::kVersionBackground) {
        drawVersion(input, a, version);
        glow[0] = 128.0f, glow[1] = 128.0f, glow[2] = 1.25f;
    } else if (version == meander::kVersionRolled) {
        drawVersion(input, a, version);
        glow[0] = 128.0f, glow[1] = 64.0f, glow[2] = 1.25f;
    } else {
        // Nothing to draw: the chain runs on an empty target, not on whatever the pool's
        // last user left in it.
        gfx->setClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        BoundTarget bound(gfx, a, kClearColourDepth);
    }

    RenderTargetHandle b = gfx->acquireScreenRenderTarget(kScreenFull);
    postVignette(gfx, a->texture(), &b.target, 1.0f);                   // A -> B
    postBloom(gfx, b->texture(), &a.target, glow[0], glow[1], glow[2]); // B -> A
    // A -> B. The streaks borrow three more full-size targets while A and B are held: two
    // more than the pool starts with, made on the first frame and reused from then on.
    const float streak[3] = {100.0f, 100.0f, 1.3f};
    postStreaksAdd(gfx, a->texture(), &b.target, input->getTimeSeconds(), streak,
                   track("rnd_streaks_its"));
    postColOffset(gfx, b->texture(), &a.target); // B -> A
    postBlit(gfx, a->texture());                 // A into the host's framebuffer
    // B, then A, go back to the pool as the leases leave scope.
}

void cRenderModuleMeander::drawVersion(iModuleInput* input, RenderTargetHandle& a, int version) {
    igfxContext* gfx = input->getGfx();
    const TrackReader track(input);

    // The camera looks at the middle of the newest 61 points, from the side and a little below.
    const int n = meander::instanceCount(track("rndwalk_num_inst"));
    const meander::Vec3f c = meander::windowCentre(g_path, meander::cameraWindow(n));
    const float side = version == meander::kVersionBackground ? 1.85f : 2.85f;
    float eye[3], target[3];
    add(eye, c, side, -0.5f, side);
    add(target, c, 0.0f, -0.35f, 0.0f);
    const float up[3] = {0.0f, 1.0f, 0.0f};
    g_camera.setLookAt(eye, target, up);
    g_camera.setPerspective(75.0f, viewportAspect(gfx), 0.25f, 50.0f);

    // T: the trail, once, or four times with the camera rolled.
    if (version == meander::kVersionBackground)
        gfx->setClearColor(0.06125f, 0.06125f, 0.06125f, 1.0f);
    else
        gfx->setClearColor(0.1f, 0.1f, 0.1f, 1.0f);
    RenderTargetHandle t = gfx->acquireScreenRenderTarget(kScreenFull);
    {
        BoundTarget bound(gfx, t, kClearColourDepth);
        if (version == meander::kVersionBackground) {
            drawTrail(input, g_camera);
        } else {
            static const float ups[4][3] = {{0, 1, 0}, {0, -1, 0}, {1, 0, 0}, {-1, 0, 0}};
            for (const float* rolled : ups) {
                g_camera.setUp(rolled);
                drawTrail(input, g_camera);
            }
        }
    }

    // T -> A, torn by the glitch.
    postDigitalGlitch(gfx, t->texture(), &a.target, input->getTimeSeconds(), track("rnd_glitch"));

    // Over A: the background, behind the trail (T and A share the depth buffer of their size).
    if (version == meander::kVersionBackground) {
        BoundTarget bound(gfx, a, kClearNone);
        drawBackground(input, g_camera);
    }
    // T goes back here.
}

void cRenderModuleMeander::drawTrail(iModuleInput* input, Camera& camera) {
    if (!g_rotationsBuilt) {
        meander::buildRotations(postRandomEntry, g_rotations);
        g_rotationsBuilt = true;
    }
    postSetGrainCursor(meander::kCursorAfterTrail);
    const TrackReader track(input);
    meander::drawSpikes(input->getGfx(), camera, meander::instanceCount(track("rndwalk_num_inst")),
                        g_path, g_rotations, spikes_);
}

void cRenderModuleMeander::drawBackground(iModuleInput* input, const Camera& camera) {
    const TrackReader track(input);
    meander::drawMarkings(input->getGfx(), camera, input->getTimeSeconds(), track("rnd_markheight"),
                          track("rnd_bg_h"), markings_);
}

DEMO_EXPORT_SCENE(cRenderModuleMeander)
