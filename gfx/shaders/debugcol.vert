#version 330 compatibility
// Flat-coloured debug geometry (axes, helper lines): positions through `mvp`.

layout(location = 0) in vec4 position;

uniform mat4 mvp;

void main() {
    gl_Position = mvp * position;
}
