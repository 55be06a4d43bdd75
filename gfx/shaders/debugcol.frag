#version 330 compatibility
// The colour the caller sets for each debug primitive.

uniform vec4 debug_color;

layout(location = 0) out vec4 fragColor;

void main() {
    fragColor = debug_color;
}
