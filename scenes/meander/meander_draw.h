// meander_draw.h - the random walk's two draws, given everything they read: the scene calls
// them with its tracks and models, the benchmark with its own values, so both draw the same.
#pragma once

#include "camera.h"
#include "igfx_context.h"
#include "imodel.h"
#include "meander_rules.h"

#include <string>

namespace meander {

extern const std::string kTrailShader;      // "blinn_notex_ctrao"
extern const std::string kBackgroundShader; // "unshaded_textured_wave"
extern const std::string kMarkingsTexture;  // its two textures
extern const std::string kMarkingsLinesTexture;

// The spikes of a trail of `n` points (trailSpan(n)), each with its own matrices and colour,
// in the light above the walk.
void drawSpikes(igfxContext* gfx, Camera& camera, int n, const float (*path)[3],
                const float (*rotations)[16], iModel* const spikes[3]);

// The markings behind the trail, from their own camera circling on the spot at `seconds`
// (eye at `height`, looking a little up, with `camera`'s up vector and projection), the
// texture's waves `wave` high.
void drawMarkings(igfxContext* gfx, const Camera& camera, float seconds, float height, float wave,
                  iModel* markings);

} // namespace meander
