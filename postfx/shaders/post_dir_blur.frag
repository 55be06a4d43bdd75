#version 330 compatibility
// One axis of a separable Gaussian: the binomial kernel 1 8 28 56 70 56 28 8 1 (/256).
// Linear filtering reads two neighbouring taps in one fetch placed between them by their
// weights, so nine taps cost five fetches: 56+28 at 1 + 28/84, 8+1 at 3 + 1/9.

uniform sampler2D tex0;
uniform vec4 blurdir; // (1, 0) or (0, 1)
uniform vec4 tex0siz; // w, h, 1/w, 1/h

in vec2 uv;
layout(location = 0) out vec4 fragColor;

void main() {
    vec2 texel = blurdir.xy * tex0siz.zw;
    vec2 near = texel * (4.0 / 3.0);
    vec2 far = texel * (28.0 / 9.0);
    vec4 sum = texture(tex0, uv) * (70.0 / 256.0);
    sum += (texture(tex0, uv + near) + texture(tex0, uv - near)) * (84.0 / 256.0);
    sum += (texture(tex0, uv + far) + texture(tex0, uv - far)) * (9.0 / 256.0);
    fragColor = sum;
}
