// meander_draw.cpp - see meander_draw.h.
#include "meander_draw.h"

#include "kit_helpers.h"
#include "matrix.h"
#include "shader_names.h"

#include <cmath>

namespace meander {

// Names for the context, made once (shader_names.h); the two textures are looked up in the
// context's cache every frame the background is drawn.
const std::string kTrailShader = "blinn_notex_ctrao";
const std::string kBackgroundShader = "unshaded_textured_wave";
const std::string kMarkingsTexture = "data/textures/markings04.jpg";
const std::string kMarkingsLinesTexture = "data/textures/markings04_lines.jpg";

namespace {
const std::string kWsToVs = "ws_to_vs";
const std::string kTexLines = "tex_lines";
const std::string kWaveH = "wave_h";
} // namespace

void drawSpikes(igfxContext* gfx, Camera& camera, int n, const float (*path)[3],
                const float (*rotations)[16], iModel* const spikes[3]) {
    gfx->useShader(kTrailShader);
    const float light[4] = {0.0f, 50.0f, 0.0f, 0.0f};
    gfx->setVector(kTrailShader, kLightPos, light);
    const Span span = trailSpan(n);
    const float* viewProjection = camera.viewProjection();
    for (int i = span.begin; i < span.end; ++i) {
        const float u = age(n, i);
        float model[16], mvp[16], colour[4];
        instanceModel(rotations[i % kRotations], instanceSize(u, i), path[i], model);
        mat_product(mvp, model, viewProjection);
        gfx->setMatrix(kTrailShader, kMvp, mvp);
        gfx->setMatrix(kTrailShader, kModelMat, model);
        // A rotation and a uniform scale: the matrix itself turns normals the right way; the
        // shader normalises them.
        gfx->setMatrix(kTrailShader, kModelMatIT, model);
        diffuseColour(u, colour);
        gfx->setVector(kTrailShader, kDiffCol, colour);
        if (iModel* spike = spikes[spikeModel(i)]) spike->draw(gfx);
    }
}

void drawMarkings(igfxContext* gfx, const Camera& camera, float seconds, float height, float wave,
                  iModel* markings) {
    Camera background = camera;
    const float eye[3] = {2.0f, height, 3.0f};
    const float target[3] = {eye[0] + 3.0f * std::cos(seconds), eye[1] + 1.05f,
                             eye[2] + 3.0f * std::sin(seconds)};
    background.setLookAt(eye, target, camera.up());

    float model[16], mvp[16];
    mat_scale(model, 1.5f, 1.5f, 1.5f);
    mat_product(mvp, model, background.viewProjection());

    gfx->useShader(kBackgroundShader);
    gfx->setMatrix(kBackgroundShader, kMvp, mvp);
    gfx->setMatrix(kBackgroundShader, kWsToVs, background.view());
    gfx->setTexture(kBackgroundShader, kTex,
                    loadTexture(gfx, kMarkingsTexture, kLoadRepeatedMipmapped));
    gfx->setTexture(kBackgroundShader, kTexLines,
                    loadTexture(gfx, kMarkingsLinesTexture, kLoadRepeatedMipmapped));
    const float colour[4] = {0.1f, 0.1f, 0.1f, 0.1f};
    gfx->setVector(kBackgroundShader, kColor, colour);
    const float waves[4] = {wave, wave, wave, wave};
    gfx->setVector(kBackgroundShader, kWaveH, waves);
    if (markings) markings->draw(gfx);
}

} // namespace meander
