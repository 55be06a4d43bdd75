#version 330 compatibility
// Noise distortion: the picture is pushed around by smooth value noise that drifts with
// "time"; each colour channel follows a noise field of its own, so edges split into colour.
// "distval" is the largest push in pixels.

uniform sampler2D tex0;
uniform vec4 time;
uniform vec4 tex0siz;
uniform vec4 distval;

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

// In [0, 1), from the lattice point and a channel number.
float lattice(vec2 p, float channel) {
    uvec3 q = uvec3(ivec3(ivec2(p), int(channel)));
    return float(mixBits(q.x ^ mixBits(q.y ^ mixBits(q.z))) >> 8) * (1.0 / 16777216.0);
}

float valueNoise(vec2 p, float channel) {
    vec2 cell = floor(p);
    vec2 f = p - cell;
    f = f * f * (3.0 - 2.0 * f);
    float a = lattice(cell, channel);
    float b = lattice(cell + vec2(1.0, 0.0), channel);
    float c = lattice(cell + vec2(0.0, 1.0), channel);
    float d = lattice(cell + vec2(1.0, 1.0), channel);
    return mix(mix(a, b, f.x), mix(c, d, f.x), f.y);
}

vec2 push(float channel) {
    // About eight noise cells across the frame height, drifting half a cell per second.
    vec2 p = uv * vec2(tex0siz.x * tex0siz.w, 1.0) * 8.0 + vec2(time.x * 0.5, time.x * 0.3);
    vec2 n = vec2(valueNoise(p, channel * 2.0), valueNoise(p, channel * 2.0 + 1.0));
    return (n * 2.0 - 1.0) * distval.x * tex0siz.zw;
}

void main() {
    float red = texture(tex0, uv + push(0.0)).r;
    vec4 green = texture(tex0, uv + push(1.0));
    float blue = texture(tex0, uv + push(2.0)).b;
    colour = vec4(red, green.g, blue, green.a);
}
