#version 330 compatibility
// The texture as it is; blending decides whether it replaces or adds.

uniform sampler2D tex0;

in vec2 uv;
layout(location = 0) out vec4 fragColor;

void main() {
    fragColor = texture(tex0, uv);
}
