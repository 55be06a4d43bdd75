#version 330 compatibility
// The depth buffer does the work; the colour (masked off by every caller) shows the depth in
// grey for anyone who turns the mask on to look.

layout(location = 0) out vec4 fragColor;

void main() {
    fragColor = vec4(vec3(gl_FragCoord.z), 1.0);
}
