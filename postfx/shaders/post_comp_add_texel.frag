#version 330 compatibility
// Over added to under, scaled by opacity; under's alpha stays. For an over layer of under's
// size: both are read at the pixel's own texel, which is what a filtered read at texel centres
// returns, for less than half its cost on a software rasteriser (docs/postfx.md).

uniform sampler2D tex_over;
uniform sampler2D tex_under;
uniform vec4 opasity;

in vec2 uv;
layout(location = 0) out vec4 fragColor;

void main() {
    ivec2 texel = ivec2(uv * vec2(textureSize(tex_under, 0)));
    vec4 over = texelFetch(tex_over, texel, 0);
    vec4 under = texelFetch(tex_under, texel, 0);
    fragColor = vec4(under.rgb + over.rgb * opasity.x, under.a);
}
