// bench_pillars - milliseconds per frame of the title scene at 1280 x 720 in three looks of
// the intro (the sculpture building under the letterbox; the title burned in and graded; the
// finished sculpture under the title), next to the sum of the frame's steps each timed alone
// at the frame's sizes: the sky, the rocks twice and the sculpture drawn into a full-size
// target, every post pass of the chain from a full-size picture, the title's three steps and
// the final blit. A frame that costs much more than its steps (ratio above 1.2) does work
// twice or waits somewhere between them.
//
// Then the spectrogram's upload: the whole 512 x 1024 texture (2 MiB) against the one
// 1 x 1024 column that changes each frame.
//   xvfb-run -a -s "-screen 0 1280x720x24" build/bench/pillars/bench_pillars [frames]
#include "bench_common.h"
#include "bench_scene.h"
#include "camera.h"
#include "imodel.h"
#include "lut_loader.h"
#include "matrix.h"
#include "pillars_rules.h"
#include "postfx.h"
#include "render_state.h"
#include "scene_codes.h"

#include <cstdio>
#include <vector>

namespace {

struct Look {
    const char* name;
    int64_t ms;
    float numsurfs, scnver, titleits, burn, border;
};

// Adds up the medians of the steps it prints.
struct StepSum {
    double ms = 0.0;
    void add(const char* what, const FrameStats& s) {
        printStats(what, s);
        ms += s.median;
    }
};

// The scene's camera at music second `s` (no music in a benchmark: no shake).
Camera cameraAt(float s, float eye[3]) {
    static const float kOrigin[3] = {0, 0, 0}, kUp[3] = {0, 1, 0};
    eye[0] = eye[1] = eye[2] = 125.0f;
    Camera camera;
    camera.setLookAt(eye, kOrigin, kUp);
    camera.setPerspective(75.0f, 16.0f / 9.0f, 1.0f, 1000.0f);
    pillars::rotatePoint(eye, 0, s * 15.0f);
    camera.setEye(eye);
    return camera;
}

void setMvp(gfxContext& gfx, const char* shader, Camera& camera, const float model[16]) {
    float mvp[16];
    mat_product(mvp, model, camera.viewProjection());
    gfx.setMatrix(shader, "mvp", mvp);
    gfx.setMatrix(shader, "modelmat", model);
}

void setScalar(gfxContext& gfx, const char* shader, const char* uniform, float v) {
    const float v4[4] = {v, v, v, v};
    gfx.setVector(shader, uniform, v4);
}

} // namespace

int main(int argc, char** argv) {
    const int frames = benchRuns(argc, argv, 30);
    gfxContext& gfx = *makeBenchContext();
    BenchScene bench(gfx, PLUGIN);
    bench.track("cyl_fade", 255.0f);
    for (const char* name : {"kaos_rot", "kaos_height", "kaos_allscale", "kaos_scr-offset",
                             "kaos_vblur_px", "cyl_whiteout"})
        bench.track(name, 0.0f);

    std::printf("pillars (cylinders_scene), 1280x720, %d runs each\n", frames);
    const Look looks[] = {{"building, bar 4", 6600, 4.4f, 0.0f, 0.0f, 0.0f, 0.42f},
                          {"title, bar 10", 16600, 15.4f, 1.0f, 1.0f, 0.85f, 0.30f},
                          {"whole, bar 14.5", 24000, 24.0f, 1.0f, 1.0f, 0.85f, 0.24f}};
    FrameStats frame[3];
    for (int i = 0; i < 3; ++i) {
        const Look& l = looks[i];
        bench.track("kaos_numsurfs", l.numsurfs);
        bench.track("cyl_scnver", l.scnver);
        bench.track("cyl_titleits", l.titleits);
        bench.track("title_burn", l.burn);
        bench.track("cylborder", l.border);
        frame[i] = bench.frames(frames, l.ms, 16);
        char what[64];
        std::snprintf(what, sizeof what, "frame: %s", l.name);
        printStats(what, frame[i]);
    }

    // ---- the steps alone ------------------------------------------------------------------
    // The scene's draws into a full-size target with its shaders and models (registered by
    // the plug-in on this context), at each look's sculpture.
    RenderTargetHandle a = gfx.acquireScreenRenderTarget(kScreenFull);
    iModel* invsphere = gfx.model("invsphere");
    iModel* rocks = gfx.model("rocks");
    iModel* kaos = gfx.model("kaos");
    const int groups = kaos ? kaos->group_count() : 0;
    std::vector<int32_t> surfaces(size_t(groups > 0 ? groups : 1));
    for (int i = 0; i < groups; ++i) surfaces[size_t(i)] = i;
    double draws[3] = {};
    std::printf("steps alone\n");
    for (int i = 0; i < 3; ++i) {
        const Look& l = looks[i];
        float eye[3];
        Camera camera = cameraAt(float(l.ms) / 1000.0f, eye);
        StepSum sum;
        char what[64];
        std::snprintf(what, sizeof what, "draw: sky, %s", l.name);
        gfx.setClearColor(0.2f, 0.2f, 0.2f, 1.0f);
        sum.add(what, timeIt(frames, [&] {
                    a->bind(&gfx, kClearColourDepth);
                    float model[16];
                    mat_scale(model, 250.0f, 250.0f, 250.0f);
                    gfx.useShader("bgshader");
                    setMvp(gfx, "bgshader", camera, model);
                    const pillars::Letterbox bars = pillars::letterbox(l.border, 720);
                    const float parms[4] = {bars.bottom, bars.top, 0.0f, 0.0f};
                    gfx.setVector("bgshader", "parms", parms);
                    if (invsphere) invsphere->draw(&gfx);
                    a->unbind(&gfx);
                }));
        std::snprintf(what, sizeof what, "draw: rocks x2, %s", l.name);
        sum.add(what, timeIt(frames, [&] {
                    a->bind(&gfx, kClearDepth);
                    float model[16], modelIT[16];
                    mat_scale(model, 42.0f, 42.0f, 42.0f);
                    mat_inverse_transpose(modelIT, model);
                    const float light[4] = {0.0f, 50.0f, 0.0f, 0.0f};
                    const float diffuse[4] = {0.45f, 0.45f, 0.45f, 1.0f};
                    float turned[3] = {eye[0], eye[1], eye[2]};
                    pillars::rotatePoint(turned, 1, 90.0f);
                    for (const float* at :
                         {static_cast<const float*>(turned), static_cast<const float*>(eye)}) {
                        camera.setEye(at);
                        gfx.useShader("blinn_notex");
                        setMvp(gfx, "blinn_notex", camera, model);
                        gfx.setMatrix("blinn_notex", "modelmatIT", modelIT);
                        gfx.setVector("blinn_notex", "ws_lightpos", light);
                        gfx.setVector("blinn_notex", "diffcol", diffuse);
                        if (rocks) rocks->draw(&gfx);
                    }
                    a->unbind(&gfx);
                }));
        std::snprintf(what, sizeof what, "draw: sculpture, %s", l.name);
        sum.add(what, timeIt(frames, [&] {
                    a->bind(&gfx, kClearNone);
                    float model[16];
                    mat_identity(model);
                    gfx.useShader("cylshader");
                    setMvp(gfx, "cylshader", camera, model);
                    gfx.setVector("cylshader", "ws_eye_pos", camera.eye());
                    setScalar(gfx, "cylshader", "time_s", float(l.ms) / 1000.0f);
                    const pillars::KaosDraw d = pillars::kaosSurfaces(groups, l.numsurfs, 0.0f);
                    setScalar(gfx, "cylshader", "offset_magnitude", 0.0f);
                    if (kaos && d.settled > 0) kaos->draw_groups(&gfx, d.settled, surfaces.data());
                    for (int k = 0; kaos && k < d.building; ++k) {
                        setScalar(gfx, "cylshader", "offset_magnitude", d.parts[k].offset);
                        kaos->draw_groups(&gfx, 1, &surfaces[size_t(d.parts[k].surface)]);
                    }
                    a->unbind(&gfx);
                }));
        draws[i] = sum.ms;
    }

    // Each pass of the chain alone, from a picture into a full-size target.
    TextureHandle* picture = makeBenchPicture(gfx);
    RenderTargetHandle src = gfx.acquireScreenRenderTarget(kScreenFull);
    RenderTargetHandle out = gfx.acquireScreenRenderTarget(kScreenFull);
    {
        src->bind(&gfx, kClearColourDepth);
        postBlit(&gfx, picture);
        src->unbind(&gfx);
    }
    TextureHandle* lut = loadColorLut(&gfx, "data/textures/LUT_purple_darks.png");
    TextureHandle* burn = gfx.loadTexture("data/textures/burn_gradient.png", false, 2, true, 0);
    TextureHandle* mask =
        gfx.loadTexture("data/textures/title_brusqua_mask.png", false, 2, true, 0);
    const float levels[5] = {0.0f, 255.0f, 1.0f, 0.0f, 255.0f};
    const float zero = 0.0f, blur = 24.0f;
    StepSum passes; // every look's
    passes.add("pass: fxaa", timeIt(frames, [&] { postFxaa(&gfx, picture, &out.target, 1.0f); }));
    passes.add("pass: dof",
               timeIt(frames, [&] { postDof(&gfx, src.target, &out.target, 100, 160); }));
    const FrameStats grade =
        timeIt(frames, [&] { postRgbLut(&gfx, picture, lut, &out.target, 1); });
    printStats("pass: rgb lut (bars 8 on)", grade);
    const FrameStats copy = timeIt(frames, [&] {
        out->bind(&gfx, kClearColour);
        postBlit(&gfx, picture);
        out->unbind(&gfx);
    });
    printStats("pass: blit (no grade)", copy);
    passes.add("pass: unsharp",
               timeIt(frames, [&] { postUnsharp(&gfx, picture, &out.target, 1); }));
    passes.add("pass: barrel", timeIt(frames, [&] { postBarrel(&gfx, picture, &out.target); }));
    passes.add("pass: vertical offset",
               timeIt(frames, [&] { postVertOffset(&gfx, picture, &out.target, zero, blur); }));
    passes.add("pass: vignette",
               timeIt(frames, [&] { postVignette(&gfx, picture, &out.target, 1); }));
    passes.add("pass: bloom",
               timeIt(frames, [&] { postBloom(&gfx, picture, &out.target, 190, 255, 1.3f); }));
    passes.add("pass: colour offset",
               timeIt(frames, [&] { postColOffset(&gfx, picture, &out.target); }));
    passes.add("pass: grain",
               timeIt(frames, [&] { postGrain(&gfx, picture, &out.target, 0.0725f, 1); }));
    passes.add("pass: levels",
               timeIt(frames, [&] { postLevels(&gfx, picture, &out.target, levels); }));

    // The title: the spectrogram into T as the scene draws it (its new column up, the last 32
    // columns over the target), the burn, the lettering over it.
    TextureHandle* spectrogram = nullptr;
    {
        std::vector<unsigned char> zeros(size_t(512) * 1024 * 4, 0);
        spectrogram =
            gfx.createTexture2D(512, 1024, kFormatBGRA, kFormatRGBA8, kWrapRepeat, zeros.data());
    }
    std::vector<unsigned char> pixels(size_t(512) * 1024 * 4, 0x40);
    int column = 0;
    passes.add(
        "title: spectrogram into T", timeIt(frames, [&] {
            RenderTargetHandle t = gfx.acquireScreenRenderTarget(kScreenFull);
            t->bind(&gfx, kClearColourDepth);
            gfx.pushRenderState();
            uint64_t& state = *gfx.renderState();
            rs::setDepthFunc(state, kDepthAlways);
            rs::setCulling(state, false);
            rs::setBlend(state, kBlendSrcAlpha, kBlendOneMinusSrcAlpha, kBlendOne, kBlendOne);
            column = pillars::nextColumn(column);
            gfx.updateTexture(spectrogram, column, 0, 1, 1024, kFormatBGRA,
                              &pixels[pillars::spectrogramPixel(column, 0)]);
            gfx.useShader("unshaded_textured");
            float identity[16];
            mat_identity(identity);
            gfx.setMatrix("unshaded_textured", "mvp", identity);
            gfx.setTexture("unshaded_textured", "tex", spectrogram);
            const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
            gfx.setVector("unshaded_textured", "color", white);
            float u0, u1;
            pillars::spectrogramU(column, u0, u1);
            static const uint32_t kIndices[6] = {0, 1, 2, 0, 2, 3};
            static const float kCorners[16] = {-1, -1, 0, 1, 1, -1, 0, 1, 1, 1, 0, 1, -1, 1, 0, 1};
            const float uv[8] = {u0, 0.65f, u0, 0.1f, u1, 0.1f, u1, 0.65f};
            gfx.drawIndexedTrianglesUV(kIndices, kCorners, uv, 6);
            gfx.popRenderState();
            t->unbind(&gfx);
        }));
    passes.add("title: burn composite", timeIt(frames, [&] {
                   postComposite(&gfx, burn, picture, &out.target, kCompositeBurn, 0.85f);
               }));
    passes.add("title: overlay", timeIt(frames, [&] {
                   gfx.pushRenderState();
                   rs::setBlend(*gfx.renderState(), kBlendOne, kBlendOneMinusSrcAlpha, kBlendOne,
                                kBlendZero);
                   screenOverlayMasked(&gfx, picture, mask, &out.target, -0.96f, -0.4267f, 0.96f,
                                       0.4267f, 1.0f);
                   gfx.popRenderState();
               }));
    passes.add("pass: final blit", timeIt(frames, [&] { postBlit(&gfx, picture); }));

    std::printf("frame against the sum of its steps (goal: frame <= 1.2 x sum)\n");
    for (int i = 0; i < 3; ++i) {
        const double sum =
            draws[i] + passes.ms + (looks[i].scnver >= 1.0f ? grade.median : copy.median);
        std::printf("%-28s frame %8.2f  steps %8.2f ms  ratio %5.2f\n", looks[i].name,
                    frame[i].median, sum, frame[i].median / sum);
    }

    // The spectrogram's upload: the whole texture, as the scene once did every frame, against
    // the single column it uploads now.
    int k = 0;
    printStats("upload: whole 2 MiB", timeIt(frames, [&] {
                   pixels[size_t(k++ % 512) * 4] ^= 0xff; // a changed buffer each time
                   gfx.updateTexture(spectrogram, 0, 0, 512, 1024, kFormatBGRA, pixels.data());
               }));
    std::vector<unsigned char> one(size_t(1024) * 4, 0x80);
    printStats("upload: one column (4 KiB)", timeIt(frames, [&] {
                   gfx.updateTexture(spectrogram, k++ % 512, 0, 1, 1024, kFormatBGRA, one.data());
               }));
    return 0;
}
