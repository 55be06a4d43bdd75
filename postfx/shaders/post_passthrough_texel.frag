#version 330 compatibility
// The texture as it is, for a texture of the viewport's size: the pixel's own texel, which is
// what a filtered read at texel centres returns, for less than half its cost on a software
// rasteriser (docs/postfx.md). Blending decides whether it replaces or adds.

uniform sampler2D tex0;

in vec2 uv;
layout(location = 0) out vec4 fragColor;

void main() {
    fragColor = texelFetch(tex0, ivec2(uv * vec2(textureSize(tex0, 0))), 0);
}
