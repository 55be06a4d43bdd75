#version 330 compatibility
// Edge-directed anti-aliasing over the prepass output (colour, luma in alpha).
//
// A pixel whose neighbourhood has too little contrast passes through unchanged. Otherwise the
// filter decides whether the edge through it runs along x or along y, finds which neighbour
// across the edge it belongs with, and walks along the edge both ways to its ends. Near the end
// where the staircase steps towards this pixel's side, the pixel is blended with that neighbour,
// more the closer it is to the end: this rebuilds the slope a stair of pixels stands for. Small
// isolated details (one-pixel features) are softened by a separate sub-pixel term.

uniform sampler2D tex0;
uniform vec4 fxaaQualityRcpFrame;         // 1/w, 1/h
uniform vec4 fxaaQualitySubpix;           // 0 keeps fine detail, 1 softens it most
uniform vec4 fxaaQualityEdgeThreshold;    // contrast needed, relative to the brightest luma
uniform vec4 fxaaQualityEdgeThresholdMin; // and absolutely, so that dark noise stays put

in vec2 uv;
layout(location = 0) out vec4 fragColor;

// Probes along the edge after the first, one pixel apart near the pixel and doubling further
// out: 1, 2, 3, 4, 5, 6, 8, 12, 20 pixels. On a software rasteriser the walk is half the cost of
// the filter, so it stays short; a longer edge ends up blended as if it ended there.
const int kSearchSteps = 8;

float lumaAt(vec2 p) {
    return textureLod(tex0, p, 0.0).a;
}

void main() {
    vec2 px = fxaaQualityRcpFrame.xy;
    vec4 centre = textureLod(tex0, uv, 0.0);
    float m = centre.a;
    float n = lumaAt(uv + vec2(0.0, px.y));
    float s = lumaAt(uv - vec2(0.0, px.y));
    float e = lumaAt(uv + vec2(px.x, 0.0));
    float w = lumaAt(uv - vec2(px.x, 0.0));

    float brightest = max(m, max(max(n, s), max(e, w)));
    float darkest = min(m, min(min(n, s), min(e, w)));
    float range = brightest - darkest;
    if (range < max(fxaaQualityEdgeThresholdMin.x, brightest * fxaaQualityEdgeThreshold.x)) {
        fragColor = vec4(centre.rgb, 1.0);
        return;
    }

    float ne = lumaAt(uv + px);
    float sw = lumaAt(uv - px);
    float nw = lumaAt(uv + vec2(-px.x, px.y));
    float se = lumaAt(uv + vec2(px.x, -px.y));

    // Second differences: luma that bends strongly across y means an edge running along x.
    float acrossY = 2.0 * abs(n + s - 2.0 * m) + abs(ne + se - 2.0 * e) + abs(nw + sw - 2.0 * w);
    float acrossX = 2.0 * abs(e + w - 2.0 * m) + abs(ne + nw - 2.0 * n) + abs(se + sw - 2.0 * s);
    bool alongX = acrossY >= acrossX;
    vec2 across = alongX ? vec2(0.0, px.y) : vec2(px.x, 0.0);
    vec2 along = alongX ? vec2(px.x, 0.0) : vec2(0.0, px.y);

    // The neighbour across the edge is the one with the steeper step from this pixel.
    float lumaPlus = alongX ? n : e;
    float lumaMinus = alongX ? s : w;
    float stepPlus = abs(lumaPlus - m);
    float stepMinus = abs(lumaMinus - m);
    bool towardsPlus = stepPlus >= stepMinus;
    vec2 side = towardsPlus ? across : -across;
    float edgeLuma = 0.5 * (m + (towardsPlus ? lumaPlus : lumaMinus));
    float endContrast = 0.25 * max(stepPlus, stepMinus);

    // Walk the line half a pixel towards the neighbour: while the edge goes on, linear filtering
    // reads the mean of both sides there; where it ends, the reading leaves that mean.
    vec2 start = uv + 0.5 * side;
    vec2 back = start - along;
    vec2 ahead = start + along;
    float endBack = lumaAt(back) - edgeLuma;
    float endAhead = lumaAt(ahead) - edgeLuma;
    bool doneBack = abs(endBack) >= endContrast;
    bool doneAhead = abs(endAhead) >= endContrast;
    float stride = 1.0;
    for (int i = 0; i < kSearchSteps; ++i) {
        if (doneBack && doneAhead) break;
        if (i >= 5) stride *= 2.0;
        if (!doneBack) {
            back -= along * stride;
            endBack = lumaAt(back) - edgeLuma;
            doneBack = abs(endBack) >= endContrast;
        }
        if (!doneAhead) {
            ahead += along * stride;
            endAhead = lumaAt(ahead) - edgeLuma;
            doneAhead = abs(endAhead) >= endContrast;
        }
    }
    float distBack = alongX ? uv.x - back.x : uv.y - back.y;
    float distAhead = alongX ? ahead.x - uv.x : ahead.y - uv.y;
    bool backNearer = distBack < distAhead;
    float nearest = min(distBack, distAhead);
    float nearEnd = backNearer ? endBack : endAhead;

    // Only at the end where the far side turns to this pixel's side does the stair step cut
    // through this pixel; at the other end the pixel lies fully on its own side.
    bool pixelBelowEdge = m < edgeLuma;
    bool endBelowEdge = nearEnd < 0.0;
    float edgeBlend = (pixelBelowEdge != endBelowEdge) ? 0.5 - nearest / (distBack + distAhead) : 0.0;

    // Sub-pixel term: how far this pixel stands out from its weighted neighbourhood.
    float neighbourhood = (2.0 * (n + s + e + w) + (ne + nw + se + sw)) / 12.0;
    float standOut = smoothstep(0.0, 1.0, clamp(abs(neighbourhood - m) / range, 0.0, 1.0));
    float subpixelBlend = standOut * standOut * fxaaQualitySubpix.x;

    float blend = max(edgeBlend, subpixelBlend);
    fragColor = vec4(textureLod(tex0, uv + side * blend, 0.0).rgb, 1.0);
}
