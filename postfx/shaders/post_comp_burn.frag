#version 330 compatibility
// Colour burn: the inverse of under divided by over, taken from white and clipped at black;
// opacity fades it in.

uniform sampler2D tex_over;
uniform sampler2D tex_under;
uniform vec4 opasity;

in vec2 uv;
layout(location = 0) out vec4 fragColor;

// The texel under the pixel, read unfiltered: the picture is the destination's size (see
// docs/postfx.md, "Cost on a software rasteriser"; another size is point-sampled).
ivec2 texelOf(sampler2D s, vec2 p) {
    return ivec2(p * vec2(textureSize(s, 0)));
}

void main() {
    vec4 over = texture(tex_over, uv);
    vec4 under = texelFetch(tex_under, texelOf(tex_under, uv), 0);
    float o = opasity.x;
    // A black over would divide by zero: it burns everything but white to black.
    vec3 burn = 1.0 - min((1.0 - under.rgb) / max(over.rgb, vec3(1e-4)), vec3(1.0));
    fragColor = vec4(mix(under.rgb, burn, o), under.a);
}
