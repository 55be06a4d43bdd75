// stylise_grain.cpp - film grain and the module's random table behind it.
//
// The table is filled while the module starts, so every copy of the library (host and each
// plug-in) holds the same sequence and no pass pays for it; postGrain takes two entries per
// call through a cursor that wraps with the table.
#include "pass.h"
#include "postfx.h"

#include <cstdint>

namespace {

struct RandomTable {
    float entry[kRandomTableSize];

    RandomTable() {
        // The drand48 step, kept bit-exact: the product wraps in 64 bits and the remainder
        // truncates, so the state may go negative and the entries still lie in (0, 1).
        int64_t s = 1337;
        for (int k = 0; k < kRandomTableSize; ++k) {
            const uint64_t next = static_cast<uint64_t>(s) * 25214903917ull + 11ull;
            s = static_cast<int64_t>(next) % (int64_t(1) << 48);
            entry[k] = static_cast<float>(static_cast<double>(s) * 0x1p-49 + 0.5);
        }
    }
};

// A function-local static, so a caller running during another file's static initialisation
// still finds the table filled.
const RandomTable& randomTable() {
    static const RandomTable table;
    return table;
}
[[maybe_unused]] const RandomTable& g_filledAtStart = randomTable();

int32_t g_grainCursor = 0;

bool g_grainRegistered = false;
TextureHandle* g_noiseTexture = nullptr;

const std::string kGrain = "grain";
const std::string kTexNoise = "tex_noise";
const std::string kTexImg = "tex_img";
const std::string kScale = "scale";
const std::string kDimensions = "dimensions";
const std::string kTime = "time";

} // namespace

float postRandomEntry(int index) {
    return randomTable().entry[index];
}

int postGrainCursor() {
    return g_grainCursor;
}

void postSetGrainCursor(int cursor) {
    g_grainCursor = ((cursor % kRandomTableSize) + kRandomTableSize) % kRandomTableSize;
}

void postGrain(igfxContext* gfx, TextureHandle* source, iRenderTarget** destination, float opacity,
               float time) {
    if (!g_grainRegistered) {
        postRegister(gfx, g_grainRegistered, "grain", "post_noise.vert", "post_noise.frag");
        g_noiseTexture = gfx->loadTexture("data/textures/noise.png", false, 1, true, 0);
    }
    if (!source) return; // the cursor stays where it was
    const RandomTable& table = randomTable();
    const float r1 = table.entry[(g_grainCursor + 1) % kRandomTableSize];
    const float r2 = table.entry[(g_grainCursor + 2) % kRandomTableSize];
    g_grainCursor = (g_grainCursor + 2) % kRandomTableSize;

    // A missing noise image leaves the texture null; the quotients then divide by one so the
    // pass still draws (the texture manager has already reported the file).
    const float noiseW = g_noiseTexture ? static_cast<float>(g_noiseTexture->width) : 1.0f;
    const float noiseH = g_noiseTexture ? static_cast<float>(g_noiseTexture->height) : 1.0f;

    beginPass(gfx, kGrain, destination);
    gfx->setTexture(kGrain, kTexNoise, g_noiseTexture);
    gfx->setTexture(kGrain, kTexImg, source);
    setScalar(gfx, kGrain, kScale, 1.0f);
    setScalar(gfx, kGrain, kOpacity, opacity);
    setVec4(gfx, kGrain, kDimensions, static_cast<float>(source->width) / noiseW,
            static_cast<float>(source->height) / noiseH, 0.0f, 0.0f);
    setVec4(gfx, kGrain, kTime, time, r2 * 67.0f, r1 * 23.0f, 0.0f);
    endPass(gfx, destination);
}
