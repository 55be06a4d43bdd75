#version 330 compatibility
// Compositing two images (every blend mode, the masked overlay, the glitch passes).
// Quads arrive in normalised device coordinates (attribute 0) with their texture coordinates
// (attribute 2); the fragment stage reads "uv".

layout(location = 0) in vec4 position;
layout(location = 2) in vec2 texcoord;

out vec2 uv;

void main() {
    uv = texcoord;
    gl_Position = position;
}
