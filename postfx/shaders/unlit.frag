#version 330 compatibility
// One colour, alpha included: the loading screen's fade reads the alpha through its blending.

uniform vec4 color;

layout(location = 0) out vec4 fragColor;

void main() {
    fragColor = color;
}
