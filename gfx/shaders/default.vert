#version 330 compatibility
// The fallback program, bound in place of any program that failed to build or was never
// loaded. It takes positions as they come, without any matrix, and paints them magenta (see
// default.frag), so a broken pass shows up on screen as a loud shape instead of nothing.

layout(location = 0) in vec4 position;

void main() {
    gl_Position = position;
}
