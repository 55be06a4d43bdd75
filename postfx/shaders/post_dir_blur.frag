#version 330 compatibility
// One axis of a separable Gaussian: the binomial kernel 1 8 28 56 70 56 28 8 1 (/256).
// Each tap reads its texel with texelFetch: on a software rasteriser an unfiltered read costs
// less than half a filtered one, so nine of them cost less than the five filtered reads that
// would each take two taps between texels (and the weights stay exact). Reads past the edge
// take the edge texel, as the clamped texture would.

uniform sampler2D tex0;
uniform vec4 blurdir; // (1, 0) or (0, 1)
uniform vec4 tex0siz; // w, h, 1/w, 1/h

in vec2 uv;
layout(location = 0) out vec4 fragColor;

vec4 tap(ivec2 p, ivec2 last) {
    return texelFetch(tex0, clamp(p, ivec2(0), last), 0);
}

void main() {
    ivec2 last = ivec2(tex0siz.xy) - 1;
    ivec2 p = ivec2(uv * tex0siz.xy);
    ivec2 d = ivec2(blurdir.xy);
    vec4 sum = texelFetch(tex0, p, 0) * (70.0 / 256.0);
    sum += (tap(p + d, last) + tap(p - d, last)) * (56.0 / 256.0);
    sum += (tap(p + 2 * d, last) + tap(p - 2 * d, last)) * (28.0 / 256.0);
    sum += (tap(p + 3 * d, last) + tap(p - 3 * d, last)) * (8.0 / 256.0);
    sum += (tap(p + 4 * d, last) + tap(p - 4 * d, last)) * (1.0 / 256.0);
    fragColor = sum;
}
