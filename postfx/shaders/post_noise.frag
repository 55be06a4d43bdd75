#version 330 compatibility
// Film grain: signed, grey noise around zero, so the frame neither brightens nor darkens on
// average and the grain carries no colour cast. "opasity" is twice the largest change: 0.1
// moves a pixel by at most 0.05 either way.

uniform sampler2D tex_img;
uniform sampler2D tex_noise;
uniform vec4 opasity;

in vec2 uv;
in vec2 noiseUv;

out vec4 colour;

// The texel under the pixel, read unfiltered: the picture is the destination's size (see
// docs/postfx.md, "Cost on a software rasteriser"; another size is point-sampled).
ivec2 texelOf(sampler2D s, vec2 p) {
    return ivec2(p * vec2(textureSize(s, 0)));
}

void main() {
    vec4 image = texelFetch(tex_img, texelOf(tex_img, uv), 0);
    float grain = texture(tex_noise, noiseUv).r - 0.5;
    colour = vec4(clamp(image.rgb + grain * opasity.x, 0.0, 1.0), image.a);
}
