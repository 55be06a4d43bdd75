// bench_vortex - milliseconds per frame of the tunnel scene at 1280 x 720 on three stretches
// of its flight (whole tunnel with greetings, the broken end ahead, inside the wreckage with
// every glitch on), then the frame's steps each alone at the frame's sizes (the tunnel and
// its greetings drawn into a full-size target; each post pass on a 1280 x 720 picture), over
// N runs each (default 30) after one warm-up, and each frame against the sum of its steps: a
// frame well above its steps (ratio over 1.2) does work twice or waits between them.
//   xvfb-run -a -s "-screen 0 1280x720x24" build/bench/vortex/bench_vortex [frames]
#include "bench_common.h"
#include "bench_scene.h"

#include "camera.h"
#include "imodel.h"
#include "irender_target.h"
#include "kit_helpers.h"
#include "lut_loader.h"
#include "matrix.h"
#include "postfx.h"
#include "scene_codes.h"
#include "vortex_rules.h"

#include <cstdio>

namespace {

// Adds up the medians of the steps it prints.
struct StepSum {
    double ms = 0.0;
    void add(const char* what, const FrameStats& s) {
        printStats(what, s);
        ms += s.median;
    }
};

void setVector4(gfxContext& gfx, const char* shader, const char* uniform, float x, float y, float z,
                float w) {
    const float v[4] = {x, y, z, w};
    gfx.setVector(shader, uniform, v);
}

void setTunnelMatrices(gfxContext& gfx, const float model[16], Camera& camera) {
    float inverseTransposed[16], mvp[16];
    mat_inverse_transpose(inverseTransposed, model);
    mat_product(mvp, model, camera.viewProjection());
    gfx.setMatrix("blinn_notex_falloff", "modelmat", model);
    gfx.setMatrix("blinn_notex_falloff", "modelmatIT", inverseTransposed);
    gfx.setMatrix("blinn_notex_falloff", "mvp", mvp);
}

// The tunnel and its greetings as the scene draws them at offset `o` and music second `s`,
// with the shaders, models and images the plug-in registered on this context.
void drawTunnel(gfxContext& gfx, float o, float s, float glitch) {
    static TextureHandle* greetings[vortex::kGreetingCount] = {};
    if (!greetings[0])
        for (int i = 0; i < vortex::kGreetingCount; ++i) {
            char file[64];
            std::snprintf(file, sizeof file, "data/textures/greets/greets%02d.png", i);
            greetings[i] = loadTexture(&gfx, file, kLoadClampedMipmapped);
        }
    // The roll the benchmark's "tnl_camrot" gives.
    const vortex::CameraFrame frame = vortex::rolledCamera(vortex::rollDegrees(0.3f));
    Camera camera;
    camera.setLookAt(frame.eye, frame.target, frame.up);
    camera.setPerspective(90.0f, 1280.0f / 720.0f, 2.0f, 2000.0f);

    float model[16];
    vortex::placeOnAxis(model, 30.0f * s, o);
    gfx.useShader("blinn_notex_falloff");
    setTunnelMatrices(gfx, model, camera);
    setVector4(gfx, "blinn_notex_falloff", "ws_lightpos", 0.0f, 30.0f, 0.0f, 0.0f);
    setVector4(gfx, "blinn_notex_falloff", "diffcol", 1.0f, 1.0f, 1.0f, 1.0f);
    const vortex::TunnelLayout layout = vortex::tunnelLayout(o);
    if (iModel* broken = layout.broken ? gfx.model("tunnelbroken") : nullptr) broken->draw(&gfx);
    iModel* segment = gfx.model("tunnelmain");
    for (int k = 0; segment && k < layout.count; ++k) {
        vortex::placeOnAxis(model, 30.0f * s, layout.positions[k]);
        setTunnelMatrices(gfx, model, camera);
        segment->draw(&gfx);
    }

    gfx.pushRenderState();
    setBlend(&gfx, kBlendOver);
    gfx.useShader("greets");
    setVector4(gfx, "greets", "color", 1.0f, 1.0f, 1.0f, 1.0f);
    iModel* panel = gfx.model("greetmodel");
    for (int i = 0; panel && i < vortex::kGreetingCount; ++i) {
        const float angle = vortex::greetingAngle(i);
        float mvp[16];
        vortex::placeOnAxis(model, angle, vortex::greetingY(i, o));
        mat_product(mvp, model, camera.viewProjection());
        gfx.setMatrix("greets", "modelmat", model);
        gfx.setTexture("greets", "tex", greetings[i]);
        gfx.setMatrix("greets", "mvp", mvp);
        setVector4(gfx, "greets", "time_s", 1.0f, 1.0f, 1.0f, 1.0f);
        setVector4(gfx, "greets", "glitch", glitch, glitch, glitch, glitch);
        const float flip = vortex::inverseUv(angle);
        setVector4(gfx, "greets", "inverse_uv", flip, flip, flip, flip);
        panel->draw(&gfx);
    }
    gfx.popRenderState();
}

} // namespace

int main(int argc, char** argv) {
    const int n = benchRuns(argc, argv, 30);
    gfxContext& gfx = *makeBenchContext();
    BenchScene bench(gfx, PLUGIN);
    bench.track("tnl_camrot", 0.3f);
    bench.track("tnl_lightits", 1.0f);
    bench.track("tnl_lightdist", 30.0f);

    std::printf("tunnel scene, 1280x720, %d runs each\n", n);
    struct Stretch {
        const char* what;
        float ofs, glitch;
    };
    const Stretch stretches[3] = {{"tunnel, greetings", 125.0f, 0.0f},
                                  {"broken end ahead", 5.0f, 0.0f},
                                  {"wreckage, glitched", -70.0f, 1.0f}};
    FrameStats frame[3];
    for (int i = 0; i < 3; ++i) {
        const Stretch& s = stretches[i];
        bench.track("tnl_ofs", s.ofs);
        bench.track("tnl_glitch", s.glitch);
        bench.track("tnl_postglitch1", s.glitch);
        bench.track("tnl_postglitch2", s.glitch);
        frame[i] = bench.frames(n, 100000);
        char what[64];
        std::snprintf(what, sizeof what, "frame: %s", s.what);
        printStats(what, frame[i]);
    }

    // The tunnel drawn alone into a full-size target, cleared as the scene clears it.
    std::printf("steps alone\n");
    double draws[3] = {};
    {
        RenderTargetHandle target = gfx.acquireScreenRenderTarget(kScreenFull);
        gfx.setClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        for (int i = 0; i < 3; ++i) {
            char what[64];
            std::snprintf(what, sizeof what, "draw: %s", stretches[i].what);
            const FrameStats d = timeIt(n, [&] {
                target->bind(&gfx, kClearColourDepth);
                drawTunnel(gfx, stretches[i].ofs, 100.0f, stretches[i].glitch);
                target->unbind(&gfx);
            });
            printStats(what, d);
            draws[i] = d.median;
        }
    }

    // The passes alone, on the context's own pool targets as the scene leases them.
    TextureHandle* picture = makeBenchPicture(gfx);
    TextureHandle* lut = loadColorLut(&gfx, "data/textures/LUT_tunnel01.png");
    RenderTargetHandle a = gfx.acquireScreenRenderTarget(1);
    RenderTargetHandle b = gfx.acquireScreenRenderTarget(1);
    {
        // Give A a depth buffer's worth of content for the depth of field.
        a->bind(&gfx, 3);
        postBlit(&gfx, picture);
        a->unbind(&gfx);
    }
    StepSum passes;
    passes.add("pass: colour look-up",
               timeIt(n, [&] { postRgbLut(&gfx, picture, lut, &b.target, 1.0f); }));
    passes.add("pass: depth of field",
               timeIt(n, [&] { postDof(&gfx, a.target, &b.target, 0.1f, 40.0f); }));
    passes.add("pass: colour offset", timeIt(n, [&] { postColOffset(&gfx, picture, &b.target); }));
    passes.add("pass: digital glitch",
               timeIt(n, [&] { postDigitalGlitch(&gfx, picture, &b.target, 1234.0f, 1.0f); }));
    passes.add("pass: digital glitch 2",
               timeIt(n, [&] { postDigitalGlitch2(&gfx, picture, &b.target, 1.234f, 1.0f); }));
    passes.add("pass: premultiplied over", timeIt(n, [&] {
                   gfx.pushRenderState();
                   postSetDefault2DState(&gfx);
                   setBlend(&gfx, kBlendOver);
                   postPassthrough(&gfx, picture);
                   gfx.popRenderState();
               }));

    std::printf("frame against the sum of its steps (goal: frame <= 1.2 x sum)\n");
    for (int i = 0; i < 3; ++i) {
        const double sum = draws[i] + passes.ms;
        std::printf("%-28s frame %8.2f  steps %8.2f ms  ratio %5.2f\n", stretches[i].what,
                    frame[i].median, sum, frame[i].median / sum);
    }
    return 0;
}
