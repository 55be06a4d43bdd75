#version 330 compatibility
// The spectrogram's colours computed on the GPU: magnitudes in the red channel of "tex",
// mapped as the scene maps them on the CPU (black, blue, magenta to orange, near white),
// times "color".

uniform sampler2D tex;
uniform vec4 color;

in vec2 uv;

layout(location = 0) out vec4 fragColour;

void main() {
    float v = max(texture(tex, uv).r, 0.0);
    float a = clamp(5.0 * (1.0 - 1.0 / (v + 1.0)), 0.0, 1.0);
    float g1 = clamp(a / 0.05, 0.0, 1.0);
    float g2 = clamp((a - 0.05) / 0.2, 0.0, 1.0);
    float g3 = clamp((a - 0.25) / 0.75, 0.0, 1.0);
    fragColour = vec4(clamp(g2 + 0.25 * g1, 0.0, 1.0), clamp(g3 + 0.3 * g1, 0.0, 1.0), g1, 1.0)
                 * color;
}
