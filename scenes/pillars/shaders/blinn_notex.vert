#version 330 compatibility
// Lit, untextured geometry (the rock pillars): world-space position and normal for the
// fragment stage, and the eye, which this program is not given: it is the point the
// projection sends to infinity, found through the inverse of "mvp".

layout(location = 0) in vec4 position;
layout(location = 1) in vec3 normal;

uniform mat4 mvp;
uniform mat4 modelmat;
uniform mat4 modelmatIT;

out vec3 worldPos;
out vec3 worldNormal;
out vec3 objectPos;
flat out vec3 eyePos;

void main() {
    vec4 eye = inverse(mvp) * vec4(0.0, 0.0, 1.0, 0.0);
    eyePos = (modelmat * vec4(eye.xyz / eye.w, 1.0)).xyz;
    worldPos = (modelmat * position).xyz;
    worldNormal = (modelmatIT * vec4(normal, 0.0)).xyz;
    objectPos = position.xyz;
    gl_Position = mvp * position;
}
