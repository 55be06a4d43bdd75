#version 330 compatibility
// Over on top of under. Over is premultiplied (targets are drawn that way), so its alpha says
// how much of under it hides; opacity scales the whole layer.

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
    float cover = over.a * o;
    fragColor = vec4(under.rgb * (1.0 - cover) + over.rgb * o, cover + under.a * (1.0 - cover));
}
