// kaboom_passes.cpp - see kaboom_passes.h.
#include "kaboom_passes.h"

#include "gl_loader.h"
#include "imodel.h"
#include "imodule_input.h"
#include "kaboom_rules.h"

#include <cstdio>
#include <string>

namespace kaboom {

namespace {

// The faces' blending: colour replaces what is there, alpha accumulates, so a face's alpha
// says where anything was drawn and the panorama can put it over the background.
constexpr BlendFactors kBlendFaces{kBlendOne, kBlendZero, kBlendOne, kBlendOne};

// ---- static storage -------------------------------------------------------------------------

// The cube map: six 512 x 512 RGBA faces, one framebuffer with face i on colour attachment i
// and a shared 16-bit depth buffer. Made on the first frame, kept for the run.
struct CubeMap {
    bool made = false;
    GLuint texture = 0;
    GLuint framebuffer = 0;
    GLuint depth = 0;
    TextureHandle handle{};
};
CubeMap g_cube;

} // namespace

bool cubeMapMade() {
    return g_cube.made;
}

TextureHandle* cubeMap() {
    return g_cube.made ? &g_cube.handle : nullptr;
}

void makeCubeMap() {
    glGenTextures(1, &g_cube.texture);
    glBindTexture(GL_TEXTURE_CUBE_MAP, g_cube.texture);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    for (int i = 0; i < kaboom::kCubeFaces; ++i)
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + i, 0, GL_RGBA, kaboom::kCubeSize,
                     kaboom::kCubeSize, 0, GL_RGBA, GL_FLOAT, nullptr);

    GLint previous = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
    glGenFramebuffers(1, &g_cube.framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, g_cube.framebuffer);
    glGenRenderbuffers(1, &g_cube.depth);
    glBindRenderbuffer(GL_RENDERBUFFER, g_cube.depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, kaboom::kCubeSize,
                          kaboom::kCubeSize);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, g_cube.depth);
    for (int i = 0; i < kaboom::kCubeFaces; ++i)
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + i,
                               GL_TEXTURE_CUBE_MAP_POSITIVE_X + i, g_cube.texture, 0);
    // Nothing here can recover, but a driver that refuses the layout should say so once
    // rather than leave six black faces unexplained.
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE)
        std::fprintf(stderr, "## ERROR: expl_scn: cube-map framebuffer incomplete (0x%x)\n",
                     static_cast<unsigned>(status));
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previous));

    g_cube.handle = TextureHandle{GL_TEXTURE_CUBE_MAP, g_cube.texture, kaboom::kCubeSize,
                                  kaboom::kCubeSize,   kFormatRGBA8,   false};
    g_cube.made = true;
}

// ---- the scene ------------------------------------------------------------------------------

namespace {

// Names for the context, made once (shader_names.h).
const std::string kReactorModel = "reactor";
const std::string kCylinderModel = "cyl2x5";
const std::string kBeamShader = "march_beam";
const std::string kPanoramaShader = "cube2scr";
const std::string kEyePosWs = "in_ws_eyepos";
const std::string kNearFar = "nearfar";
const std::string kThingyHeight = "in_thingy_height";
const std::string kMidglow = "midglow_fact";
const std::string kEyePosOs = "os_eyepos";
const std::string kCubeTex = "cubetex";

void setMatrices(igfxContext* gfx, const std::string& shader, const float model[16],
                 const float vp[16]) {
    float mvp[16];
    mat_product(mvp, model, vp);
    gfx->setMatrix(shader, kModelMat, model);
    gfx->setMatrix(shader, kMvp, mvp);
}

} // namespace

void drawScene(iModuleInput* input, const float vp[16], const float eye[3], float zNear,
               float zFar) {
    const float glow = TrackReader(input)("rct_midglow");
    drawReactor(input->getGfx(), vp, glow);
    drawBeam(input, vp, eye, zNear, zFar, glow);
}

void drawReactor(igfxContext* gfx, const float vp[16], float glow) {
    iModel* reactor = gfx->model(kReactorModel);

    // The reactor, lit from above and brighter with the glow.
    float model[16], modelIT[16];
    mat_identity(model);
    mat_inverse_transpose(modelIT, model);
    gfx->useShader(kBlinnNotexShader);
    gfx->setMatrix(kBlinnNotexShader, kModelMat, model);
    gfx->setMatrix(kBlinnNotexShader, kModelMatIT, modelIT);
    const float light[4] = {0.0f, 50.0f, 0.0f, 0.0f};
    gfx->setVector(kBlinnNotexShader, kLightPos, light);
    const float grey = 0.5f + 0.25f * glow;
    const float diffuse[4] = {grey, grey, grey, 1.0f};
    gfx->setVector(kBlinnNotexShader, kDiffCol, diffuse);
    float mvp[16];
    mat_product(mvp, model, vp);
    gfx->setMatrix(kBlinnNotexShader, kMvp, mvp);
    if (reactor) reactor->draw(gfx);
}

void drawBeam(iModuleInput* input, const float vp[16], const float eye[3], float zNear, float zFar,
              float glow) {
    igfxContext* gfx = input->getGfx();
    const TrackReader track(input);
    iModel* cylinder = gfx->model(kCylinderModel);

    // Ray-marched inside the cylinder, which only gives the march its pixels.
    float model[16];
    kaboom::beamModel(model);
    gfx->useShader(kBeamShader);
    setMatrices(gfx, kBeamShader, model, vp);
    const float eyeWs[4] = {eye[0], eye[1], eye[2], 1.0f};
    gfx->setVector(kBeamShader, kEyePosWs, eyeWs);
    const float nearFar[4] = {zNear, zFar, 0.0f, 0.0f};
    gfx->setVector(kBeamShader, kNearFar, nearFar);
    const float beamTime = track("rct_beamtime");
    const float time[4] = {beamTime, beamTime, beamTime, beamTime};
    gfx->setVector(kBeamShader, kTimeS, time);
    const float height = track("rct_ctr_h");
    const float thingy[4] = {height, height, height, height};
    gfx->setVector(kBeamShader, kThingyHeight, thingy);
    const float midglow[4] = {glow, glow, glow, glow};
    gfx->setVector(kBeamShader, kMidglow, midglow);
    mat_inverse(model);
    float eyeOs[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    mat_transform_point(eyeOs, model, eye);
    gfx->setVector(kBeamShader, kEyePosOs, eyeOs);
    if (cylinder) cylinder->draw(gfx);
}

void renderCubeFaces(iModuleInput* input, const float eye[3], float zNear, float zFar,
                     int viewport[4]) {
    igfxContext* gfx = input->getGfx();
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, g_cube.texture);
    for (int i = 0; i < 4; ++i) viewport[i] = gfx->viewport()[i];
    // The host draws into framebuffer 0; whatever was bound comes back afterwards.
    GLint previous = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
    glBindFramebuffer(GL_FRAMEBUFFER, g_cube.framebuffer);
    glViewport(0, 0, kaboom::kCubeSize, kaboom::kCubeSize);

    setBlend(gfx, kBlendFaces);
    uint64_t& state = *gfx->renderState();
    rs::setDepthFunc(state, kDepthLess);
    rs::setDepthWrite(state, true);

    float toEye[16], projection[16];
    mat_translation(toEye, -eye[0], -eye[1], -eye[2]);
    mat_perspective(projection, 90.0f, 1.0f, zNear, zFar);
    for (int i = 0; i < kaboom::kCubeFaces; ++i) {
        glDrawBuffer(GL_COLOR_ATTACHMENT0 + i);
        glReadBuffer(GL_COLOR_ATTACHMENT0 + i);
        gfx->setClearDepth(1.0f);
        gfx->setClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        gfx->clear(kClearColourDepth);
        float face[16], view[16], vp[16];
        cubeFaceView(face, i);
        mat_product(view, toEye, face);
        mat_product(vp, view, projection);
        drawScene(input, vp, eye, zNear, zFar);
    }

    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previous));
    gfx->setViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
}

void drawPanorama(igfxContext* gfx, const int viewport[4]) {
    setBlend(gfx, kBlendOver);
    gfx->useShader(kPanoramaShader);
    float identity[16];
    mat_identity(identity);
    gfx->setMatrix(kPanoramaShader, kMvp, identity);
    gfx->setTexture(kPanoramaShader, kCubeTex, cubeMap());
    const float w = static_cast<float>(viewport[2]), h = static_cast<float>(viewport[3]);
    const float resolution[4] = {w, h, 1.0f / w, 1.0f / h};
    gfx->setVector(kPanoramaShader, kResolution, resolution);
    gfx->drawFullscreenQuad();
}

} // namespace kaboom
