#version 330 compatibility
// The beam's volume: the cylinder model only gives the march its pixels. Each fragment gets
// its point on the cylinder in object space (to find where the ray leaves the volume) and in
// the world (where the march happens).

layout(location = 0) in vec4 position;

uniform mat4 mvp;
uniform mat4 modelmat;

out vec3 osPosition;
out vec3 wsPosition;

void main() {
    osPosition = position.xyz / position.w;
    vec4 ws = modelmat * position;
    wsPosition = ws.xyz / ws.w;
    gl_Position = mvp * position;
}
