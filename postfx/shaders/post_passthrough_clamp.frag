#version 330 compatibility
// A copy of the lower-left part of a texture whose outer rows and columns hold no valid image:
// the coordinates stop at texelsiz.xy so that linear filtering never pulls in what lies beyond.
// Colours are premultiplied; the caller's blending puts them "over" the framebuffer.

uniform sampler2D tex0;
uniform vec4 texelsiz;

in vec2 uv;
layout(location = 0) out vec4 fragColor;

void main() {
    // A zero extent makes the limit negative (or infinite); the corner is the sane reading.
    vec2 limit = max(texelsiz.xy, vec2(0.0));
    fragColor = texture(tex0, min(uv, limit));
}
