#version 330 compatibility
// The caller's colour, premultiplied by its alpha like everything else the scene draws.

uniform vec4 objcol;

layout(location = 0) out vec4 fragColor;

void main() {
    fragColor = vec4(objcol.rgb * objcol.a, objcol.a);
}
