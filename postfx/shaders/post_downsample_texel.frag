#version 330 compatibility
// Box average for a reduction by exactly 2 on both axes: the 2 x 2 source texels under each
// destination pixel, read as they are. The general program's four filtered reads land on the
// same four texel centres at this ratio; four unfiltered reads cost a third as much.

uniform sampler2D tex0;

in vec2 uv;
layout(location = 0) out vec4 fragColor;

void main() {
    // uv * size is 2d + 1 at destination pixel d: the block starts half a texel lower.
    ivec2 p = ivec2(uv * vec2(textureSize(tex0, 0)) - 0.5);
    fragColor = 0.25 * (texelFetch(tex0, p, 0) + texelFetch(tex0, p + ivec2(1, 0), 0) +
                        texelFetch(tex0, p + ivec2(0, 1), 0) + texelFetch(tex0, p + ivec2(1, 1), 0));
}
