#version 330 compatibility
// Directional blur with jittered taps: eight taps spread over "blurdir" pixels to either
// side, each pixel starting at a random fraction of the tap spacing that changes with
// "time_s". Long blurs then show fine noise instead of eight ghost copies, and the next,
// longer pass of a chain smooths it out.

uniform sampler2D tex0;
uniform vec4 blurdir;
uniform vec4 tex0siz;
uniform vec4 time_s;

in vec2 uv;

out vec4 colour;

const int kTaps = 8;

uint mixBits(uint x) {
    x ^= x >> 16;
    x *= 0x7feb352du;
    x ^= x >> 15;
    x *= 0x846ca68bu;
    x ^= x >> 16;
    return x;
}

// In [0, 1): one round of the mix over the pixel's index with the time's bits spread over the
// whole word (the golden-ratio multiply), so each frame's noise is unrelated to the last one's
// rather than a shifted copy of it. Three chained rounds cost a tenth of the pass for no noise
// the eye could tell apart after the chain's later passes.
float rand(uvec2 pixel, float seconds) {
    uint key = (pixel.y * 4096u + pixel.x) ^ (floatBitsToUint(seconds) * 0x9e3779b9u);
    return float(mixBits(key) >> 8) * (1.0 / 16777216.0);
}

void main() {
    float jitter = rand(uvec2(gl_FragCoord.xy), time_s.x);
    // In texels: tap i sits at (i + jitter) / kTaps * 2 - 1 of the reach, so the first tap and
    // the spacing are worked out once and each tap costs one multiply-add before its fetch.
    // Each tap reads the texel it lands in, unfiltered: with the start jittered below a tap's
    // spacing, a filtered read would only shift the same average by under half a texel, and
    // an unfiltered one costs less than half as much on a software rasteriser.
    vec2 reach = blurdir.xy;
    vec2 spacing = reach * (2.0 / float(kTaps));
    vec2 first = uv * tex0siz.xy + (jitter * (2.0 / float(kTaps)) - 1.0) * reach;
    ivec2 last = ivec2(tex0siz.xy) - 1;
    vec4 sum = vec4(0.0);
    for (int i = 0; i < kTaps; ++i)
        sum += texelFetch(tex0, clamp(ivec2(first + float(i) * spacing), ivec2(0), last), 0);
    colour = sum * (1.0 / float(kTaps));
}
