#version 330 compatibility
// The sky sphere: a large inward-facing sphere around the whole scene. The fragment stage
// paints it from the direction each point lies in, so the sky turns with the camera.

layout(location = 0) in vec4 position;

uniform mat4 mvp;
uniform mat4 modelmat;

out vec3 direction;

void main() {
    direction = (modelmat * position).xyz;
    gl_Position = mvp * position;
}
