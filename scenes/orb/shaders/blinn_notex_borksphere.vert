#version 330 compatibility
// The breaking sphere (and cross): the vertex stage only hands model-space positions on; the
// geometry stage moves whole facets and projects them.

layout(location = 0) in vec4 position;

out vec4 modelPos;

void main() {
    modelPos = position;
    gl_Position = position;
}
