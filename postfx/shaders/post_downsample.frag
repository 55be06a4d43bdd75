#version 330 compatibility
// Box average of the source area under each destination pixel. The four fetches sit a quarter
// of a destination pixel from its centre: for a 2x reduction they land on source texel centres,
// for 4x between four texels, so linear filtering completes an exact 2x2 or 4x4 average.

uniform sampler2D tex0;

in vec2 uv;
layout(location = 0) out vec4 fragColor;

void main() {
    // The quad's coordinates are linear, so their derivatives are one destination pixel.
    vec2 q = 0.25 * vec2(dFdx(uv).x, dFdy(uv).y);
    fragColor = 0.25 * (texture(tex0, uv + vec2(-q.x, -q.y)) + texture(tex0, uv + vec2(q.x, -q.y)) +
                        texture(tex0, uv + vec2(-q.x, q.y)) + texture(tex0, uv + vec2(q.x, q.y)));
}
