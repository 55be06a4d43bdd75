// debug_draw.cpp - see debug_draw.h.
#include "debug_draw.h"

#include "igfx_context.h"
#include "shader_names.h"

#include <cstdint>
#include <string>

namespace {

const std::string kDebugShader = "debugcol";
const std::string kDebugColor = "debug_color";

} // namespace

void drawDebugAxes(igfxContext* gfx, const float mvp[16]) {
    static const float kAxes[3][8] = {
        {0, 0, 0, 1, 1, 0, 0, 1},
        {0, 0, 0, 1, 0, 1, 0, 1},
        {0, 0, 0, 1, 0, 0, 1, 1},
    };
    static const float kColours[3][4] = {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}};

    gfx->useShader(kDebugShader);
    gfx->setMatrix(kDebugShader, kMvp, mvp);
    for (int axis = 0; axis < 3; ++axis) {
        gfx->setVector(kDebugShader, kDebugColor, kColours[axis]);
        gfx->drawLines(kAxes[axis], 2);
    }
}

// Constant data, so it is ready before the first draw without a first-use step.
// clang-format off
static const float kCubePositions[8 * 4] = {
    1, 0, 0, 1,   1, 1, 0, 1,   0, 1, 0, 1,   0, 0, 0, 1,
    1, 0, 1, 1,   1, 1, 1, 1,   0, 1, 1, 1,   0, 0, 1, 1,
};
static const uint32_t kCubeIndices[36] = {
    0, 1, 5,  0, 5, 4,  // x = 1
    1, 2, 6,  1, 6, 5,  // y = 1
    3, 7, 2,  2, 7, 6,  // x = 0
    0, 7, 3,  0, 4, 7,  // y = 0
    0, 3, 1,  1, 3, 2,  // z = 0
    4, 5, 6,  4, 6, 7,  // z = 1
};
// clang-format on

void drawUnitCube(igfxContext* gfx) {
    gfx->drawIndexedTriangles(kCubeIndices, kCubePositions, 36);
}
