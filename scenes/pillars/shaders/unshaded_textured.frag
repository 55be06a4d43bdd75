#version 330 compatibility
// The texture times "color", nothing else: the caller's blending decides how it lands.

uniform sampler2D tex;
uniform vec4 color;

in vec2 uv;

layout(location = 0) out vec4 fragColour;

void main() {
    fragColour = texture(tex, uv) * color;
}
