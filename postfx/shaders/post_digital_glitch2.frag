#version 330 compatibility
// Line glitch: horizontal bands of varying height slide sideways, and the channels split
// apart, both in proportion to "glitch"; the pattern changes twenty times per second of
// "time_s". At glitch 0 the picture is untouched.

uniform sampler2D tex;
uniform vec4 time_s;
uniform vec4 glitch;

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
    float amount = glitch.x;
    float tick = floor(time_s.x * 20.0);
    // Coarse bands split into finer ones at random, so band heights vary.
    float coarse = floor(uv.y * 24.0);
    float rows = rand(vec3(coarse, tick, 1.0)) < 0.5 ? 24.0 : 96.0;
    float band = floor(uv.y * rows) + rows * 1000.0;
    float shift = 0.0;
    if (rand(vec3(band, tick, 2.0)) < 0.6 * amount)
        shift = (rand(vec3(band, tick, 3.0)) - 0.5) * 0.3 * amount;
    float split = 0.01 * amount;
    float x = uv.x + shift;
    // Unfiltered reads (bands slide by whole texels; less than half a filtered read's cost),
    // clamped at the sides as the texture's edge mode would.
    ivec2 size = textureSize(tex, 0);
    int row = int(uv.y * float(size.y));
    vec3 column = clamp(floor(vec3(x, x + split, x - split) * float(size.x)), 0.0, float(size.x - 1));
    vec4 green = texelFetch(tex, ivec2(int(column.x), row), 0);
    float red = texelFetch(tex, ivec2(int(column.y), row), 0).r;
    float blue = texelFetch(tex, ivec2(int(column.z), row), 0).b;
    colour = vec4(red, green.g, blue, green.a);
}
