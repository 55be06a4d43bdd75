#version 330 compatibility
// Full-screen pass: clip-space positions at location 0, texture coordinates at location 2.

layout(location = 0) in vec4 position;
layout(location = 2) in vec2 texcoord;

out vec2 uv;

void main() {
    uv = texcoord;
    gl_Position = position;
}
