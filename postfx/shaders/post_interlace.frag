#version 330 compatibility
// Keeps the even rows of the destination (counted from its bottom row, 0). The odd rows are
// left as the pass cleared them, or, with fill, repeat the kept row below them.

uniform sampler2D tex0;
uniform vec4 fill; // all 1 or all 0

in vec2 uv;
layout(location = 0) out vec4 fragColor;

void main() {
    // Derivatives only mean something while every fragment of the quad still runs.
    vec2 rowBelow = uv - vec2(0.0, dFdy(uv).y);
    bool dropped = mod(floor(gl_FragCoord.y), 2.0) >= 1.0;
    if (!dropped) {
        fragColor = texture(tex0, uv);
    } else if (fill.x > 0.5) {
        fragColor = texture(tex0, rowBelow);
    } else {
        discard;
    }
}
