#version 330 compatibility
// Screen: one minus the product of the inverses, so it only brightens; opacity fades it in.

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
    vec3 screen = 1.0 - (1.0 - under.rgb) * (1.0 - over.rgb);
    fragColor = vec4(mix(under.rgb, screen, o), under.a);
}
