#version 330 compatibility
// Film grain: the noise image is tiled at one noise texel per frame pixel ("dimensions" is
// frame size over noise size) and jumps to a random offset every call ("time".yz).

layout(location = 0) in vec4 position;
layout(location = 2) in vec2 texcoord;

uniform vec4 dimensions;
uniform vec4 scale;
uniform vec4 time;

out vec2 uv;
out vec2 noiseUv;

void main() {
    uv = texcoord;
    noiseUv = texcoord * dimensions.xy * scale.xy + time.yz;
    gl_Position = position;
}
