#version 330 compatibility
// The jittered directional blur of post_dir_blur_rnd.frag along x ("blurdir" = (dx, 0)): the
// streaks' passes. Same taps, same jitter, same picture.

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
    // As in post_dir_blur_rnd.frag, along x only: every tap stays on the pixel's row, so only
    // its column is worked out and clamped, which takes a fifteenth off the pass.
    float reach = blurdir.x;
    float spacing = reach * (2.0 / float(kTaps));
    float first = uv.x * tex0siz.x + (jitter * (2.0 / float(kTaps)) - 1.0) * reach;
    int row = int(uv.y * tex0siz.y);
    int last = int(tex0siz.x) - 1;
    vec4 sum = vec4(0.0);
    for (int i = 0; i < kTaps; ++i)
        sum += texelFetch(tex0, ivec2(clamp(int(first + float(i) * spacing), 0, last), row), 0);
    colour = sum * (1.0 / float(kTaps));
}
