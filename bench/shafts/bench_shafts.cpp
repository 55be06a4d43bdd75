// bench_shafts - milliseconds of the light-shafts scene at 1280 x 720 in each camera set-up:
//   - whole frames as the host draws them, N runs each (default 20) after one warm-up;
//   - the frame's steps alone, drawn the way render() draws them, on the frame's own targets
//     and sizes (shadow map 1024 x 1024, A to E full size, the glow at a half and a quarter),
//     and the sum of their medians next to the frame's median: a frame well above its parts
//     does something twice or waits somewhere;
//   - the volumetric light next to its fetch floor (fetch_floor.h): the same box drawn by the
//     same vertex stage, each pixel making the march's fetches (both depths once, then eight
//     steps of five shadow-map taps across the map) and writing their sum, nothing else.
//   xvfb-run -a -s "-screen 0 1280x720x24" build/bench/shafts/bench_shafts [frames]
#include "bench_common.h"
#include "bench_scene.h"

#include "bound_target.h"
#include "fetch_floor.h"
#include "camera.h"
#include "imodel.h"
#include "irender_target.h"
#include "lut_loader.h"
#include "postfx.h"
#include "scene_codes.h"
#include "shafts_rules.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

// The tracks the frames run on, and the music time of the steps.
constexpr float kCircleRot = 20.0f, kCamRot = -30.0f, kLightIts = 1.0f, kLutIts = 0.9f;
constexpr int64_t kTimeMs = 33103;

// What render() gives each draw: the camera, the light and its matrices, the ring.
struct Scene {
    int variant = 0;
    Camera camera;
    shafts::Light light;
    float viewProjection[16], lightViewProjection[16], boxMvp[16], worldToObj[16], lightProj[16];
    float invProj[16], viewToWorld[16], osEye[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float tubes[shafts::kMaxTubes][16];
    int tubeCount = 0;
};

Scene sceneOf(int variant, igfxContext* gfx) {
    Scene s;
    s.variant = variant;
    s.tubeCount = shafts::tubeCount(variant);
    for (int m = 0; m < s.tubeCount; ++m) shafts::tubeMatrix(s.tubes[m], m, kCircleRot);
    const shafts::CameraSetup setup = shafts::cameraSetup(variant, kTimeMs / 1000.0f, kCamRot);
    static const float kUp[3] = {0.0f, 1.0f, 0.0f};
    s.camera.setLookAt(setup.eye, setup.target, kUp);
    s.camera.setPerspective(setup.fov, viewportAspect(gfx), setup.zNear, setup.zFar);
    for (int i = 0; i < 16; ++i) s.viewProjection[i] = s.camera.viewProjection()[i];
    s.light = shafts::light();
    shafts::lightViewProjection(s.lightViewProjection, s.light);
    float world[16];
    shafts::lightWorld(world, s.light);
    mat_product(s.boxMvp, world, s.camera.viewProjection());
    shafts::lightView(s.worldToObj, s.light);
    mat_transform_point(s.osEye, s.worldToObj, s.camera.eye());
    shafts::lightProjection(s.lightProj, s.light);
    for (int i = 0; i < 16; ++i) s.invProj[i] = s.camera.projection()[i];
    for (int i = 0; i < 16; ++i) s.viewToWorld[i] = s.camera.view()[i];
    mat_inverse(s.invProj);
    mat_inverse(s.viewToWorld);
    return s;
}

// The volumetric pass's floor: its samplers, its fetches per pixel (the frame's depth and the
// front faces' depth once; eight steps of five shadow-map taps, the march's, laid along the
// ray's way across the map from the light's axis to where it leaves the box), their sum.
const char* const kVolumeFloor = R"(#version 330 compatibility
uniform sampler2D bgdepth_tex;
uniform sampler2DShadow shadowmap_tex;
uniform sampler2D frontpos_tex;
uniform mat4 mat_objectToShadowmap;
uniform vec4 resolution;
in vec3 osExit;
layout(location = 0) out vec4 fragColor;
void main() {
    vec2 uv = gl_FragCoord.xy * resolution.zw;
    vec4 sum = texture(bgdepth_tex, uv) + texture(frontpos_tex, uv);
    vec4 clip = mat_objectToShadowmap * vec4(osExit, 1.0);
    vec3 leave = clip.xyz / clip.w * 0.5 + 0.5;
    for (int i = 0; i < 8; ++i) {
        vec3 at = mix(vec3(0.5, 0.5, 0.5), leave, (float(i) + 0.5) / 8.0);
        sum.x += texture(shadowmap_tex, at);
        sum.x += textureOffset(shadowmap_tex, at, ivec2(3, 0));
        sum.x += textureOffset(shadowmap_tex, at, ivec2(-3, 0));
        sum.x += textureOffset(shadowmap_tex, at, ivec2(0, 3));
        sum.x += textureOffset(shadowmap_tex, at, ivec2(0, -3));
    }
    fragColor = sum;
}
)";

// The scene's depth targets, made as its initialise makes them: 16-bit depth, the shadow map
// with the hardware comparison on.
iRenderTarget* depthTarget(gfxContext& gfx, int w, int h, bool compare) {
    TextureHandle* depth =
        gfx.createTexture2D(w, h, kFormatDepth, kFormatDepth16, kWrapClamp, nullptr);
    if (compare) {
        glBindTexture(GL_TEXTURE_2D, depth->name);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_R_TO_TEXTURE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_FUNC, GL_LEQUAL);
        glTexParameteri(GL_TEXTURE_2D, GL_DEPTH_TEXTURE_MODE, GL_INTENSITY);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    return gfx.createRenderTarget(depth, false);
}

// The steps of render(), each on its own so it can be timed alone. The targets stay leased
// for the whole run, so every step finds its inputs where the frame leaves them.
class Steps {
  public:
    explicit Steps(gfxContext& gfx)
        : gfx_(gfx), shadowMap_(depthTarget(gfx, 1024, 1024, true)),
          volumeDepth_(depthTarget(gfx, 1280, 720, false)),
          a_(gfx.acquireScreenRenderTarget(kScreenFull)),
          b_(gfx.acquireScreenRenderTarget(kScreenQuarter)),
          c_(gfx.acquireScreenRenderTarget(kScreenFull)),
          d_(gfx.acquireScreenRenderTarget(kScreenFull)),
          e_(gfx.acquireScreenRenderTarget(kScreenFull)), half1_(gfx.acquireRenderTarget(640, 360)),
          half2_(gfx.acquireRenderTarget(640, 360)), quarter_(gfx.acquireRenderTarget(320, 180)),
          tube_(gfx.model("tube")), logo_(gfx.model("tlvlogo")), marker_(gfx.model("markersphere")),
          lut_(loadColorLut(&gfx, "data/textures/lut_lightvol2.png")) {}

    void use(const Scene& s) { s_ = &s; }

    // Every step starts from the frame's state as the host leaves it.
    void fresh() {
        *gfx_.renderState() = rs::defaultWord();
        gfx_.setViewport(0, 0, 1280, 720);
    }

    void shadowMap() {
        fresh();
        gfx_.pushRenderState();
        depthOnly(false);
        BoundTarget bound(&gfx_, shadowMap_, kClearDepth);
        tubes(s_->lightViewProjection, Mode::Depth);
        bound.unbind();
        gfx_.popRenderState();
    }
    void depthPrePass() {
        fresh();
        gfx_.setClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        BoundTarget bound(&gfx_, a_, kClearColourDepth);
        rs::setColorMask(*gfx_.renderState(), 0x0);
        if (shafts::drawsLogo(s_->variant)) logo();
        tubes(s_->viewProjection, Mode::Depth);
        marker();
    }
    void unlit() {
        fresh();
        BoundTarget bound(&gfx_, a_, kClearNone);
        rs::setDepthFunc(*gfx_.renderState(), kDepthLequal);
        tubes(s_->viewProjection, Mode::Unlit);
    }
    void glowDownsample() { postDownsample(&gfx_, a_->texture(), &half1_.target); }
    void glowLevels() {
        const float threshold[5] = {254.0f, 255.0f, 1.3f, 0.0f, 255.0f};
        postLevels(&gfx_, half1_->texture(), &half2_.target, threshold);
    }
    void glowBlur() { postDirBlur(&gfx_, half2_->texture(), &half1_.target); }
    void glowQuarter() { postDownsample(&gfx_, half1_->texture(), &quarter_.target); }
    void glowBlurQuarter() {
        for (int i = 0; i < 3; ++i) postBlurTarget(&gfx_, &quarter_.target);
    }
    void glowWhite() {
        const float white[5] = {0.0f, 50.0f, 1.15f, 0.0f, 255.0f};
        postLevels(&gfx_, quarter_->texture(), &b_.target, white);
    }
    void streaks() {
        static const float kStreaks[3] = {190.0f, 190.0f, 1.5f};
        postStreaks(&gfx_, b_->texture(), &c_.target, kTimeMs / 1000.0f, kStreaks);
    }
    void shaded() {
        fresh();
        BoundTarget bound(&gfx_, a_, kClearNone);
        rs::setDepthFunc(*gfx_.renderState(), kDepthLequal);
        tubes(s_->viewProjection, Mode::Shaded);
        marker();
    }
    void logoShaded() {
        if (!shafts::drawsLogo(s_->variant)) return;
        fresh();
        BoundTarget bound(&gfx_, a_, kClearNone);
        rs::setDepthFunc(*gfx_.renderState(), kDepthLequal);
        logo();
    }
    void volumeDepth() {
        fresh();
        gfx_.pushRenderState();
        depthOnly(true);
        BoundTarget bound(&gfx_, volumeDepth_, kClearDepth);
        gfx_.useShader("depthout");
        gfx_.setMatrix("depthout", "mvp", s_->boxMvp);
        box();
        bound.unbind();
        gfx_.popRenderState();
    }
    void volume() { volumeWith("volshadow_depth"); }
    void volumeFloor() { volumeWith(kFloorName); }

    static constexpr const char* kFloorName = "bench_volume_floor";
    void loadVolumeFloor() {
        loadFloorShader(&gfx_, kFloorName, kVolumeFloor, "data/shaders/volume_shadow_depth.vert");
    }

  private:
    // Step 14 with `shader`: the scene's volume program, or its floor (given only the uniforms
    // it declares).
    void volumeWith(const char* shader) {
        fresh();
        BoundTarget bound(&gfx_, d_, kClearColourDepth);
        uint64_t& w = *gfx_.renderState();
        rs::setCulling(w, true);
        rs::setCullBack(w, false);
        rs::setDepthWrite(w, false);
        rs::setDepthFunc(w, kDepthAlways);
        rs::setBlend(w, kBlendOne, kBlendOneMinusSrcAlpha, kBlendOne, kBlendOne);
        gfx_.useShader(shader);
        gfx_.setMatrix(shader, "mvp", s_->boxMvp);
        gfx_.setTexture(shader, "bgdepth_tex", gfx_.depthTexture(a_.target));
        gfx_.setTexture(shader, "shadowmap_tex", shadowMap_->texture());
        gfx_.setTexture(shader, "frontpos_tex", volumeDepth_->texture());
        gfx_.setMatrix(shader, "mat_objectToShadowmap", s_->lightProj);
        const float resolution[4] = {1280.0f, 720.0f, 1.0f / 1280.0f, 1.0f / 720.0f};
        gfx_.setVector(shader, "resolution", resolution);
        if (shader != kFloorName) { // what the march reads besides its fetches
            const float timeMs[4] = {1000.0f, 1000.0f, 1000.0f, 1000.0f};
            gfx_.setVector(shader, "time_ms", timeMs);
            gfx_.setVector(shader, "os_eyepos", s_->osEye);
            gfx_.setMatrix(shader, "mat_worldToObj", s_->worldToObj);
            gfx_.setMatrix(shader, "mat_invCamProj", s_->invProj);
            gfx_.setMatrix(shader, "mat_viewToWorld", s_->viewToWorld);
            const float fog[4] = {kLightIts * 121.0f / 255.0f, kLightIts * 85.0f / 255.0f,
                                  kLightIts, 1.0f};
            gfx_.setVector(shader, "fogColor", fog);
        }
        box();
    }

  public:
    void volumeBlur() { postBlurTarget(&gfx_, &d_.target); }
    void lightOver() {
        postComposite(&gfx_, d_->texture(), a_->texture(), &e_.target, kCompositeOverlay, 1.0f);
    }
    void glowAdded() {
        postComposite(&gfx_, b_->texture(), e_->texture(), &a_.target, kCompositeAdd, 1.0f);
    }
    void streaksAdded() {
        postComposite(&gfx_, c_->texture(), a_->texture(), &e_.target, kCompositeAdd, 1.0f);
    }
    void grade() { postRgbLut(&gfx_, e_->texture(), lut_, &a_.target, kLutIts); }
    void vertOffset() { postVertOffset(&gfx_, a_->texture(), &e_.target, 0.0f, 0.0f); }
    void colOffset() { postColOffset(&gfx_, e_->texture(), &d_.target); }
    void blit() {
        fresh();
        postBlit(&gfx_, d_->texture());
    }

  private:
    enum class Mode { Depth, Unlit, Shaded };

    void depthOnly(bool frontCCW) {
        uint64_t& w = *gfx_.renderState();
        rs::setColorMask(w, 0x0);
        rs::setDepthWrite(w, true);
        rs::setFrontCCW(w, frontCCW);
        rs::setCulling(w, true);
        rs::setBlend(w, kBlendOne, kBlendZero, kBlendOne, kBlendZero);
    }
    void box() {
        const shafts::FrustumBox b = shafts::frustumBox(s_->light);
        gfx_.drawIndexedTriangles(b.indices, b.corners, 36);
    }
    void tubes(const float* viewProjection, Mode mode) {
        static const float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};
        static const float kTube[4] = {0.2f, 0.2f, 0.2f, 1.0f};
        for (int m = 0; m < s_->tubeCount; ++m) {
            float mvp[16];
            mat_product(mvp, s_->tubes[m], viewProjection);
            if (mode == Mode::Depth) {
                gfx_.useShader("depthout");
                gfx_.setMatrix("depthout", "mvp", mvp);
            } else if (mode == Mode::Unlit) {
                gfx_.useShader("unlit");
                gfx_.setMatrix("unlit", "mvp", mvp);
                gfx_.setVector("unlit", "color", kWhite);
            } else {
                gfx_.useShader("blinn_shadow");
                shadedObject(s_->tubes[m]);
                gfx_.setVector("blinn_shadow", "diffcol", kTube);
            }
            tube_->draw(&gfx_);
        }
    }
    void marker() {
        static const float kBlack[4] = {0.0f, 0.0f, 0.0f, 0.0f};
        shadedModel(marker_, 4.0f, kBlack);
    }
    void logo() {
        static const float kLogo[4] = {1.75f, 1.75f, 1.75f, 1.0f};
        shadedModel(logo_, 0.25f, kLogo);
    }
    // A model scaled about the origin, shaded in one colour.
    void shadedModel(iModel* what, float scale, const float colour[4]) {
        float model[16];
        mat_scale(model, scale, scale, scale);
        gfx_.useShader("blinn_shadow");
        shadedObject(model);
        gfx_.setVector("blinn_shadow", "diffcol", colour);
        what->draw(&gfx_);
    }
    void shadedObject(const float model[16]) {
        const char* shader = "blinn_shadow";
        float mvp[16], modelIT[16], toShadow[16];
        mat_product(mvp, model, s_->viewProjection);
        mat_inverse_transpose(modelIT, model);
        mat_product(toShadow, model, s_->lightViewProjection);
        gfx_.setVector(shader, "ws_lightpos", s_->light.position);
        gfx_.setMatrix(shader, "mvp", mvp);
        gfx_.setMatrix(shader, "modelmat", model);
        gfx_.setMatrix(shader, "modelmatIT", modelIT);
        gfx_.setTexture(shader, "shadowmap_tex", shadowMap_->texture());
        gfx_.setMatrix(shader, "mat_ObjectToShadowmap", toShadow);
    }

    gfxContext& gfx_;
    const Scene* s_ = nullptr;
    iRenderTarget* shadowMap_;
    iRenderTarget* volumeDepth_;
    RenderTargetHandle a_, b_, c_, d_, e_, half1_, half2_, quarter_;
    iModel* tube_;
    iModel* logo_;
    iModel* marker_;
    TextureHandle* lut_;
};

struct Step {
    const char* name;
    void (Steps::*run)();
};

// In the frame's order: each step's inputs are the outputs of the ones before it.
const Step kSteps[] = {
    {"shadow map", &Steps::shadowMap},
    {"depth pre-pass", &Steps::depthPrePass},
    {"unlit silhouettes", &Steps::unlit},
    {"glow: downsample to half", &Steps::glowDownsample},
    {"glow: levels half", &Steps::glowLevels},
    {"glow: dir blur half", &Steps::glowBlur},
    {"glow: downsample to quarter", &Steps::glowQuarter},
    {"glow: blur quarter x3", &Steps::glowBlurQuarter},
    {"glow: levels to B", &Steps::glowWhite},
    {"streaks B -> C", &Steps::streaks},
    {"shaded tubes and marker", &Steps::shaded},
    {"shaded logo", &Steps::logoShaded},
    {"light-volume depth", &Steps::volumeDepth},
    {"volumetric light", &Steps::volume},
    {"blur D", &Steps::volumeBlur},
    {"composite D over A", &Steps::lightOver},
    {"composite B + E", &Steps::glowAdded},
    {"composite C + A", &Steps::streaksAdded},
    {"grade E -> A", &Steps::grade},
    {"vertical offset A -> E", &Steps::vertOffset},
    {"colour offset E -> D", &Steps::colOffset},
    {"blit D", &Steps::blit},
};

} // namespace

int main(int argc, char** argv) {
    const int n = benchRuns(argc, argv, 20);
    gfxContext& gfx = *makeBenchContext();
    BenchScene bench(gfx, PLUGIN);
    bench.track("vol_circlerot", kCircleRot);
    bench.track("vol_camrot", kCamRot);
    bench.track("vol_lightits", kLightIts);
    bench.track("vol_lutits", kLutIts);
    bench.track("vol_vofs", 0.0f);
    bench.track("vol_vblur", 0.0f);
    Steps steps(gfx);
    steps.loadVolumeFloor();
    std::printf("shafts, 1280x720, %d runs each\n", n);
    for (int v = 0; v < 3; ++v) {
        bench.track("vol_var", float(v));
        const std::string what = "frame, set-up " + std::to_string(v);
        const FrameStats frame = bench.frames(n, kTimeMs);
        printStats(what.c_str(), frame);

        const Scene scene = sceneOf(v, &gfx);
        steps.use(scene);
        for (const Step& step : kSteps) (steps.*step.run)(); // every input in place
        double sum = 0.0;
        for (const Step& step : kSteps) {
            const FrameStats s = timeIt(n, [&] { (steps.*step.run)(); });
            printStats((std::string("  ") + step.name).c_str(), s);
            sum += s.median;
        }
        std::printf("set-up %d: frame %.1f ms, sum of steps %.1f ms, frame / sum %.2f\n", v,
                    frame.median, sum, sum > 0.0 ? frame.median / sum : 0.0);
        printFloorHeader();
        printFloorRow(compareWithFloor(
            "volumetric light", n, [&] { steps.volume(); }, [&] { steps.volumeFloor(); }));
    }
    return 0;
}
