#version 330 compatibility
// Over added to under, scaled by opacity; under's alpha stays.

uniform sampler2D tex_over;
uniform sampler2D tex_under;
uniform vec4 opasity;

in vec2 uv;
layout(location = 0) out vec4 fragColor;

void main() {
    vec4 over = texture(tex_over, uv);
    vec4 under = texture(tex_under, uv);
    float o = opasity.x;
    fragColor = vec4(under.rgb + over.rgb * o, under.a);
}
