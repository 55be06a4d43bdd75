#version 330 compatibility
// Vertical offset with no smear ("parms".y = 0): the picture slides up by "parms".x of the frame
// height, each pixel reading the one row it lands in. The smearing program would read that row
// nine times. Rows the picture no longer covers are left as they are (the pass clears them).

uniform sampler2D tex0;
uniform vec4 parms;

in vec2 uv;

out vec4 colour;

void main() {
    ivec2 size = textureSize(tex0, 0);
    vec2 from = vec2(uv.x, uv.y - parms.x);
    int row = clamp(int(floor(from.y * float(size.y))), 0, size.y - 1);
    colour = texelFetch(tex0, ivec2(int(uv.x * float(size.x)), row), 0);
    if (from.y < 0.0 || from.y > 1.0) discard;
}
