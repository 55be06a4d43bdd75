#version 330 compatibility
// Blinn-Phong lighting of untextured models: one point light and a sky/ground ambient.
// Inputs: "mvp", "modelmat" (object to world), "modelmatIT" (its inverse, transposed, for
// normals). The eye is not a uniform: it is the point that the view-projection sends to
// infinity in front of the camera, clip (0, 0, 1, 0) taken back into the world, worked out
// here from mvp and modelmat.

layout(location = 0) in vec4 position;
layout(location = 1) in vec3 normal;

uniform mat4 mvp;
uniform mat4 modelmat;
uniform mat4 modelmatIT;

out vec3 wsPosition;
out vec3 wsNormal;
flat out vec3 wsEye;

void main() {
    vec4 ws = modelmat * position;
    wsPosition = ws.xyz / ws.w;
    wsNormal = (modelmatIT * vec4(normal, 0.0)).xyz;
    vec4 eye = inverse(mvp * inverse(modelmat)) * vec4(0.0, 0.0, 1.0, 0.0);
    wsEye = eye.xyz / eye.w;
    gl_Position = mvp * position;
}
