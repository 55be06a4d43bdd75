#version 330 compatibility
// Gathers are core from OpenGL 4.0; a 3.3 driver without the extension reads the four texels
// one by one (the same values, a little slower).
#extension GL_ARB_gpu_shader5 : enable
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

// Probes along the edge after the first, one pixel apart near the pixel and wider further out:
// 1, 2, 3, 4, 5, 6, 8, 12, 20 pixels. A longer edge ends up blended as if it ended there.
const float kProbe[9] = float[9](1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 8.0, 12.0, 20.0);

// On a software rasteriser every read costs about the same and every branch runs under a mask,
// so the filter reads as little as it can: a gather of one channel brings a 2 x 2 block of
// texels for the price of one filtered read. Its components x, y, z, w are the texels at
// (left, top), (right, top), (right, bottom), (left, bottom) of the block around `corner`.
vec4 lumaBlock(vec2 corner) {
#ifdef GL_ARB_gpu_shader5
    return textureGather(tex0, corner, 3);
#else
    vec2 h = 0.5 * fxaaQualityRcpFrame.xy;
    return vec4(textureLod(tex0, corner + vec2(-h.x, h.y), 0.0).a,
                textureLod(tex0, corner + h, 0.0).a,
                textureLod(tex0, corner + vec2(h.x, -h.y), 0.0).a,
                textureLod(tex0, corner - h, 0.0).a);
#endif
}

// Where the walk stands in each direction (x back, y ahead): pixels from this pixel, the luma
// there less the edge's, and whether the walk has left the edge.
vec2 g_reach;
vec2 g_end;
bvec2 g_done;
float g_endContrast;

// A probe `k` pixels out both ways; directions already off the edge keep where they stopped.
void probe(float k, vec2 endLuma) {
    bvec2 on = not(g_done);
    g_reach = mix(g_reach, vec2(k), on);
    g_end = mix(g_end, endLuma, on);
    bvec2 off = greaterThanEqual(abs(endLuma), vec2(g_endContrast));
    g_done = bvec2(max(vec2(g_done), vec2(on) * vec2(off)));
}

void main() {
    vec2 px = fxaaQualityRcpFrame.xy;
    // The pixel and its corner neighbours unfiltered: the prepass picture is the destination's
    // size, and a texelFetch costs less than half a filtered read on a software rasteriser.
    ivec2 size = textureSize(tex0, 0);
    ivec2 p = ivec2(uv * vec2(size));
    ivec2 last = size - 1;
    vec4 centre = texelFetch(tex0, p, 0);
    // The blocks below-left and above-right of the pixel hold it and six of its neighbours.
    vec4 lower = lumaBlock(uv - 0.5 * px); // w, m, s, sw
    vec4 upper = lumaBlock(uv + 0.5 * px); // n, ne, e, m
    float m = centre.a;
    float n = upper.x;
    float s = lower.z;
    float e = upper.z;
    float w = lower.x;

    float brightest = max(m, max(max(n, s), max(e, w)));
    float darkest = min(m, min(min(n, s), min(e, w)));
    float range = brightest - darkest;
    if (range < max(fxaaQualityEdgeThresholdMin.x, brightest * fxaaQualityEdgeThreshold.x)) {
        fragColor = vec4(centre.rgb, 1.0);
        return;
    }

    float ne = upper.y;
    float sw = lower.w;
    float nw = texelFetch(tex0, clamp(p + ivec2(-1, 1), ivec2(0), last), 0).a;
    float se = texelFetch(tex0, clamp(p + ivec2(1, -1), ivec2(0), last), 0).a;

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
    g_endContrast = 0.25 * max(stepPlus, stepMinus);

    // Walk the line half a pixel towards the neighbour: while the edge goes on, the mean of the
    // texels either side of it stays the edge's luma; where it ends, it leaves that mean. Each
    // step gathers the 2 x 2 block centred between a probe and the next pixel out: along x its
    // columns, along y its rows hold the two probes (back, the nearer one is the right column
    // or the top row). Near the pixel both are used, further out the nearer one only.
    vec2 start = uv + 0.5 * side;
    g_reach = vec2(0.0);
    g_end = vec2(0.0);
    g_done = bvec2(false);
    for (int i = 0; i < 6; ++i) {
        if (all(g_done)) break;
        float k = kProbe[i < 3 ? 2 * i : i + 3];
        vec4 back = lumaBlock(start - (k + 0.5) * along);
        vec4 ahead = lumaBlock(start + (k + 0.5) * along);
        vec2 backNear = alongX ? back.yz : back.xy;
        vec2 aheadNear = alongX ? ahead.xw : ahead.zw;
        probe(k, vec2(backNear.x + backNear.y, aheadNear.x + aheadNear.y) * 0.5 - edgeLuma);
        if (i < 3) {
            vec2 backFar = alongX ? back.xw : back.zw;
            vec2 aheadFar = alongX ? ahead.yz : ahead.xy;
            probe(k + 1.0, vec2(backFar.x + backFar.y, aheadFar.x + aheadFar.y) * 0.5 - edgeLuma);
        }
    }
    float distBack = g_reach.x * (alongX ? px.x : px.y);
    float distAhead = g_reach.y * (alongX ? px.x : px.y);
    bool backNearer = distBack < distAhead;
    float nearest = min(distBack, distAhead);
    float nearEnd = backNearer ? g_end.x : g_end.y;

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
    // The blend lies on the line to the neighbour across the edge, a texel away: the mix of the
    // two texels is what a filtered read there gives, from one unfiltered read.
    ivec2 towards = ivec2(sign(side));
    vec3 neighbour = texelFetch(tex0, clamp(p + towards, ivec2(0), last), 0).rgb;
    fragColor = vec4(mix(centre.rgb, neighbour, blend), 1.0);
}
