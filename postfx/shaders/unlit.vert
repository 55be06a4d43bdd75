#version 330 compatibility
// Flat-coloured geometry (the loading bar and fade, silhouettes in scenes).

layout(location = 0) in vec4 position;

uniform mat4 mvp;

void main() {
    gl_Position = mvp * position;
}
