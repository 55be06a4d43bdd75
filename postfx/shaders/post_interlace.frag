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
    // One unfiltered fetch (the texel under the row shown: the picture is the destination's
    // size), from the row shown. The discard comes last: a software rasteriser runs what
    // follows an early discard under a mask anyway, and pays for the early one on top.
    fragColor = texelFetch(tex0, ivec2((dropped ? rowBelow : uv) * vec2(textureSize(tex0, 0))), 0);
    if (dropped && fill.x <= 0.5) discard;
}
