#version 330 compatibility
// Colour grading through a 3D look-up texture: red, green and blue index its x, y and z.
// The coordinates are pulled in by half a texel so that 0 and 1 land on the first and last
// texel centres, which makes an identity table exact. "opasity" mixes the graded colour
// over the original.

uniform sampler2D tex0;
uniform sampler3D rgb_lut;
uniform vec4 opasity;

in vec2 uv;

out vec4 colour;

// The texel under the pixel, read unfiltered: the picture is the destination's size (see
// docs/postfx.md, "Cost on a software rasteriser"; another size is point-sampled).
ivec2 texelOf(sampler2D s, vec2 p) {
    return ivec2(p * vec2(textureSize(s, 0)));
}

void main() {
    vec4 original = texelFetch(tex0, texelOf(tex0, uv), 0);
    vec3 n = vec3(textureSize(rgb_lut, 0));
    vec3 at = clamp(original.rgb, 0.0, 1.0) * ((n - 1.0) / n) + 0.5 / n;
    vec3 graded = texture(rgb_lut, at).rgb;
    colour = vec4(mix(original.rgb, graded, opasity.x), original.a);
}
