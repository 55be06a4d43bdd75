#version 330 compatibility
// The tunnel's surfaces: world position and normal for per-pixel lighting, and the model's
// own position and surface code for the patterns painted on in the fragment stage.

layout(location = 0) in vec4 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 texcoord;

uniform mat4 mvp;
uniform mat4 modelmat;
uniform mat4 modelmatIT;

out vec3 wsPosition;
out vec3 wsNormal;
out vec3 osPosition;
out vec2 surface; // x: material number + 0.5, y: baked occlusion (or damage on wreckage)

void main() {
    vec4 p = vec4(position.xyz, 1.0);
    wsPosition = (modelmat * p).xyz;
    wsNormal = mat3(modelmatIT) * normal;
    osPosition = position.xyz;
    surface = texcoord;
    gl_Position = mvp * p;
}
