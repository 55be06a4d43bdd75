#version 330 compatibility
// A rectangle of over, seen through the mask (mean of its colour, times its alpha) and scaled
// by opacity. The output is premultiplied: the caller's blending decides how it lands (adding,
// or "over" with ONE, ONE_MINUS_SRC_ALPHA).

uniform sampler2D tex_over;
uniform sampler2D tex_mask;
uniform vec4 opasity;

in vec2 uv;
layout(location = 0) out vec4 fragColor;

void main() {
    vec4 mask = texture(tex_mask, uv);
    float k = dot(mask.rgb, vec3(1.0 / 3.0)) * mask.a * opasity.x;
    fragColor = texture(tex_over, uv) * k;
}
