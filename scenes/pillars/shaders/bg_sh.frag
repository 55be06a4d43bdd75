#version 330 compatibility
// A night sky of violet and teal: a nebula of layered noise, a warm glow along the horizon
// where the rocks stand, and scattered stars. "parms".xy are the letterbox's inner edges in
// window pixels (bottom, top); outside them the bars are black.
//
// Cost: the sky covers the whole frame before anything else is drawn, so every pixel pays for
// its twelve octaves of noise (three quarters of the draw). llvmpipe shades several pixels at
// once and runs both sides of an if for all of them, so an early return in the bars saved
// nothing; what it does stop is a loop that none of its pixels is still in. The bars
// therefore get no octaves (each sum's loop ends after one turn with every pixel masked off),
// the picture inside none fewer: the same pixels, a tenth less work at the widest letterbox.

uniform vec4 parms;

in vec3 direction;

layout(location = 0) out vec4 colour;

float hash(vec3 p) {
    p = fract(p * 0.3183099 + 0.1);
    p *= 17.0;
    return fract(p.x * p.y * p.z * (p.x + p.y + p.z));
}

// The hash's last step, on the three scaled coordinates of a corner.
float corner(float x, float y, float z) {
    return fract(x * y * z * (x + y + z));
}

float noise(vec3 p) {
    vec3 i = floor(p);
    vec3 f = fract(p);
    f = f * f * (3.0 - 2.0 * f);
    // hash() scales each coordinate on its own, so the eight corners need only two values per
    // axis, worked out once here exactly as hash() would (same operations, same order): the
    // lattice values are the same bits, for a third of the hashing.
    vec3 lo = fract(i * 0.3183099 + 0.1) * 17.0;
    vec3 hi = fract((i + 1.0) * 0.3183099 + 0.1) * 17.0;
    return mix(mix(mix(corner(lo.x, lo.y, lo.z), corner(hi.x, lo.y, lo.z), f.x),
                   mix(corner(lo.x, hi.y, lo.z), corner(hi.x, hi.y, lo.z), f.x), f.y),
               mix(mix(corner(lo.x, lo.y, hi.z), corner(hi.x, lo.y, hi.z), f.x),
                   mix(corner(lo.x, hi.y, hi.z), corner(hi.x, hi.y, hi.z), f.x), f.y),
               f.z);
}

// `octaves` is 4 for the sky and 0 in the letterbox's bars.
float fbm(vec3 p, int octaves) {
    float sum = 0.0, amplitude = 0.5;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * noise(p);
        p = p * 2.03 + vec3(1.7, 9.2, 3.1);
        amplitude *= 0.5;
    }
    return sum;
}

void main() {
    bool bar = gl_FragCoord.y < parms.x || gl_FragCoord.y > parms.y;
    int octaves = bar ? 0 : 4;
    vec3 d = normalize(direction);
    float up = d.y;

    // Zenith violet, a dusky rose band at the horizon, deep teal below it.
    vec3 zenith = vec3(0.10, 0.04, 0.22);
    vec3 horizon = vec3(0.55, 0.20, 0.32);
    vec3 nadir = vec3(0.02, 0.07, 0.10);
    vec3 sky = up > 0.0 ? mix(horizon, zenith, pow(up, 0.55)) : mix(horizon, nadir, pow(-up, 0.4));

    // Nebula: two noise layers, the second warping the first, tinted magenta and cyan.
    float warp = fbm(d * 2.2, octaves);
    float cloud = fbm(d * 3.5 + warp * 1.8, octaves);
    float veil = smoothstep(0.45, 0.85, cloud);
    sky += veil * mix(vec3(0.35, 0.08, 0.40), vec3(0.05, 0.30, 0.38), warp) * 0.8;
    // Dark lanes through it.
    sky *= 0.65 + 0.35 * smoothstep(0.3, 0.6, fbm(d * 7.0 + 4.0, octaves));

    // A hot glow low on the horizon, behind the pillars.
    float band = exp(-abs(up) * 9.0);
    sky += band * vec3(0.60, 0.25, 0.10) * (0.5 + 0.5 * warp);

    // Stars: sparse, sharp, brighter away from the horizon haze.
    vec3 cell = floor(d * 180.0);
    float star = hash(cell);
    float twinkle = step(0.9975, star) * (0.4 + 0.6 * hash(cell + 7.0));
    sky += twinkle * (1.0 - band) * vec3(0.9, 0.85, 1.0);

    colour = bar ? vec4(0.0, 0.0, 0.0, 1.0) : vec4(sky, 1.0);
}
