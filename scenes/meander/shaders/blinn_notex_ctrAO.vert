#version 330 compatibility
// The trail's spikes: Blinn-Phong without textures, darkened towards the object's centre.
// The camera's position is not an input, so it is recovered from "mvp": a perspective camera
// maps its own centre to clip (0, 0, k, 0), and the inverse takes that back into model space.

layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;

uniform mat4 mvp;
uniform mat4 modelmat;
uniform mat4 modelmatIT;

out vec3 wsPos;
out vec3 wsNormal;
out vec3 wsEye;
out float centreDistance; // model units: core corners at 1, spike tips at 1.9

void main() {
    vec4 p = vec4(position, 1.0);
    gl_Position = mvp * p;
    wsPos = (modelmat * p).xyz;
    wsNormal = (modelmatIT * vec4(normal, 0.0)).xyz;
    vec4 eye = modelmat * (inverse(mvp) * vec4(0.0, 0.0, 1.0, 0.0));
    wsEye = abs(eye.w) > 1e-20 ? eye.xyz / eye.w : wsPos + vec3(0.0, 0.0, 1.0);
    centreDistance = length(position);
}
