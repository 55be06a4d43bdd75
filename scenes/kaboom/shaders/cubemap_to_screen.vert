#version 330 compatibility
// The panorama's full-screen quad: positions through "mvp" (the identity for the screen),
// texture coordinates 0..1 across it.

layout(location = 0) in vec4 position;
layout(location = 2) in vec2 texcoord;

uniform mat4 mvp;

out vec2 uv;

void main() {
    uv = texcoord;
    gl_Position = mvp * position;
}
