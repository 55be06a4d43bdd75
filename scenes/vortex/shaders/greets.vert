#version 330 compatibility
// A greeting panel: a flat quad facing the camera. "inverse_uv" -1 turns its image half a
// turn, for panels on the side of the tunnel where they would read upside down.

layout(location = 0) in vec4 position;
layout(location = 2) in vec2 texcoord;

uniform mat4 mvp;
uniform mat4 modelmat;
uniform vec4 inverse_uv;

out vec2 uv;
out vec3 wsPosition;

void main() {
    vec4 p = vec4(position.xyz, 1.0);
    uv = 0.5 + (texcoord - 0.5) * inverse_uv.x;
    wsPosition = (modelmat * p).xyz;
    gl_Position = mvp * p;
}
