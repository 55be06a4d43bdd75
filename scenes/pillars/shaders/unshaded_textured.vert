#version 330 compatibility
// A textured polygon without lighting: positions through "mvp" (attribute 0), texture
// coordinates as given (attribute 2).

layout(location = 0) in vec4 position;
layout(location = 2) in vec2 texcoord;

uniform mat4 mvp;

out vec2 uv;

void main() {
    uv = texcoord;
    gl_Position = mvp * position;
}
