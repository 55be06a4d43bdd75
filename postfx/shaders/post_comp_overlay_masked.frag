#version 330 compatibility
// The overlay composite (premultiplied over on top of under) seen through a mask: the mask's
// grey level (mean of its colour, times its alpha) scales the layer like the opacity does.

uniform sampler2D tex_over;
uniform sampler2D tex_under;
uniform sampler2D tex_mask;
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
    vec4 mask = texture(tex_mask, uv);
    float k = dot(mask.rgb, vec3(1.0 / 3.0)) * mask.a * opasity.x;
    float cover = over.a * k;
    fragColor = vec4(under.rgb * (1.0 - cover) + over.rgb * k, cover + under.a * (1.0 - cover));
}
