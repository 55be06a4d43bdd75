#version 330 compatibility
// Unsharp masking: what the blurred copy lacks is added again, scaled by "opasity", which
// raises contrast across every edge wider than a pixel.

uniform sampler2D tex;
uniform sampler2D tex_blurred;
uniform vec4 opasity;

in vec2 uv;

out vec4 colour;

// The texel under the pixel, read unfiltered: the picture is the destination's size (see
// docs/postfx.md, "Cost on a software rasteriser"; another size is point-sampled).
ivec2 texelOf(sampler2D s, vec2 p) {
    return ivec2(p * vec2(textureSize(s, 0)));
}

void main() {
    vec4 sharp = texelFetch(tex, texelOf(tex, uv), 0);
    vec3 blurred = texture(tex_blurred, uv).rgb;
    colour = vec4(clamp(sharp.rgb + opasity.x * (sharp.rgb - blurred), 0.0, 1.0), sharp.a);
}
