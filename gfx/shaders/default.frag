#version 330 compatibility
// The fallback program's colour: plain magenta, which no scene uses.

layout(location = 0) out vec4 fragColor;

void main() {
    fragColor = vec4(1.0, 0.0, 1.0, 1.0);
}
