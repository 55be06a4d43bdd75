#version 330 compatibility
// The colour, with its luma in alpha so that the edge filter reads one channel per neighbour.
// The square root spreads the dark range, where steps on an edge are most visible.

uniform sampler2D tex0;

in vec2 uv;
layout(location = 0) out vec4 fragColor;

// The texel under the pixel, read unfiltered: the picture is the destination's size (see
// docs/postfx.md, "Cost on a software rasteriser"; another size is point-sampled).
ivec2 texelOf(sampler2D s, vec2 p) {
    return ivec2(p * vec2(textureSize(s, 0)));
}

void main() {
    vec3 c = texelFetch(tex0, texelOf(tex0, uv), 0).rgb;
    fragColor = vec4(c, sqrt(dot(c, vec3(0.299, 0.587, 0.114))));
}
