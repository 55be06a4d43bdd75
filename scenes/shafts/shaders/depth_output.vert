#version 330 compatibility
// Depth only: positions through "mvp". Used for the shadow map, the depth pre-pass and the
// light volume's front faces; colour writes are off in all three.

layout(location = 0) in vec4 position;

uniform mat4 mvp;

void main() {
    gl_Position = mvp * position;
}
