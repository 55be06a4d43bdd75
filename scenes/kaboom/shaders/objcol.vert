#version 330 compatibility
// Flat-coloured objects: positions through "mvp", one colour for the whole draw. The reactor
// scene registers it for helper geometry (the 2 x 2 cube, markers) drawn without lighting.

layout(location = 0) in vec4 position;

uniform mat4 mvp;

void main() {
    gl_Position = mvp * position;
}
