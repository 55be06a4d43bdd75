#version 330 compatibility
// A rectangle of over scaled by opacity, premultiplied: the caller's blending decides how it
// lands (logos are added).

uniform sampler2D tex_over;
uniform vec4 opasity;

in vec2 uv;
layout(location = 0) out vec4 fragColor;

void main() {
    fragColor = texture(tex_over, uv) * opasity.x;
}
