#version 330 compatibility
// Block glitch: the frame is cut into a grid of blocks whose size changes with the seed;
// each block is hit with a chance of half "parms".y and then shows a sideways-shifted patch
// of the picture, sometimes with its channels rotated. "parms".x is a time: the pattern
// changes eight times per unit. Blocks not hit (all of them at amount 0) are untouched.

uniform sampler2D tex0;
uniform vec4 parms;

in vec2 uv;

out vec4 colour;

uint mixBits(uint x) {
    x ^= x >> 16;
    x *= 0x7feb352du;
    x ^= x >> 15;
    x *= 0x846ca68bu;
    x ^= x >> 16;
    return x;
}

// In [0, 1).
float rand(vec3 p) {
    uvec3 q = floatBitsToUint(p);
    return float(mixBits(q.x ^ mixBits(q.y ^ mixBits(q.z))) >> 8) * (1.0 / 16777216.0);
}

void main() {
    float seed = floor(parms.x * 8.0);
    vec2 grid = vec2(16.0, 9.0) * (1.0 + floor(rand(vec3(seed, 0.0, 1.0)) * 3.0));
    vec2 block = floor(uv * grid);
    // A pixel shows either the picture or the moved patch, never both: the place to read is
    // chosen first, so every pixel pays for one fetch.
    bool hit = rand(vec3(block, seed)) < 0.5 * parms.y;
    float shift = (rand(vec3(block, seed + 0.5)) - 0.5) * 0.25;
    // Unfiltered: a patch moves by whole texels, for less than half a filtered read's cost.
    vec2 at = hit ? vec2(fract(uv.x + shift), uv.y) : uv;
    vec4 read = texelFetch(tex0, ivec2(at * vec2(textureSize(tex0, 0))), 0);
    colour = hit && rand(vec3(block.yx, seed)) < 0.3 ? read.gbra : read;
}
