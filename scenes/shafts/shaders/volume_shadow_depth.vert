#version 330 compatibility
// The spot light's frustum box, drawn with its front faces culled: each fragment is where a
// camera ray leaves the light volume. The box's corners are in the light's object space,
// which the fragment stage marches in.

layout(location = 0) in vec4 position;

uniform mat4 mvp;

out vec3 osExit;

void main() {
    osExit = position.xyz;
    gl_Position = mvp * position;
}
