#version 330 compatibility
// A spectrum drawn on the GPU: positions through "mvp", "uv".x along the bins.

layout(location = 0) in vec4 position;
layout(location = 2) in vec2 texcoord;

uniform mat4 mvp;

out vec2 uv;

void main() {
    uv = texcoord;
    gl_Position = mvp * position;
}
