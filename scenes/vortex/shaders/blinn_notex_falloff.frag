#version 330 compatibility
// The tunnel, lit by one point light on its axis ("ws_lightpos", colour "diffcol") with a
// Blinn highlight, the light falling off with distance and the whole tube fading to black
// far from the eye, which sits at the world's origin in this scene.
//
// No textures: the models carry a material number in their first texture coordinate and
// baked corner occlusion (wreckage: how damaged it is) in the second, and the detail is
// drawn here from the model's own coordinates, where the tunnel's axis is +Y and its
// segments repeat every 48 units, so the patterns run on seamlessly from copy to copy:
//   0 hull plates   seams, rivets, a slightly different tone per plate
//   1 frames        bright machined metal
//   2 light strips  cyan light, as bright as the scene's light
//   3 markings      amber chevrons pointing down the tunnel, worn
//   4 pipes         dark copper
//   5 wreckage      scorched plate, cracks glowing with its damage
//
// Cost: llvmpipe shades several pixels at once and runs both sides of every if for all of
// them, so a chain of material branches paid for every material's noise at every pixel (ten
// value noises). What it does skip is the rest of a loop once none of those pixels is still
// in it. So the noises are made in one loop, as many turns as the material reads (one
// for plates and frames, three for chevrons, five for wreckage), each turn's coordinates
// picked by the material, and the branches below only combine what it made: a run of
// pixels pays for the most any of them needs, mostly one noise.

uniform vec4 ws_lightpos;
uniform vec4 diffcol;

in vec3 wsPosition;
in vec3 wsNormal;
in vec3 osPosition;
in vec2 surface;

out vec4 colour;

const float kPi = 3.14159265;

float hash(vec2 p) {
    p = fract(p * vec2(443.897, 441.423));
    p += dot(p, p.yx + 19.19);
    return fract((p.x + p.y) * p.x);
}

float noise(vec2 p) {
    vec2 i = floor(p);
    vec2 f = fract(p);
    f = f * f * (3.0 - 2.0 * f);
    return mix(mix(hash(i), hash(i + vec2(1.0, 0.0)), f.x),
               mix(hash(i + vec2(0.0, 1.0)), hash(i + vec2(1.0, 1.0)), f.x), f.y);
}

struct Look {
    vec3 albedo;
    vec3 emission;
    float gloss;    // Blinn exponent
    float specular; // strength of the highlight
};

void main() {
    int material = int(floor(surface.x));
    float shade = clamp(surface.y, 0.0, 1.0);

    // Position on the tube: which of the twelve facets, where across it (0..1), how far
    // along the segment.
    float around = atan(-osPosition.z, osPosition.x) / (2.0 * kPi) * 12.0 + 0.5;
    float facet = floor(around);
    float across = fract(around);
    float along = osPosition.y;
    float acrossUnits = (across - 0.5) * 9.3; // a facet is 9.3 units wide

    Look look = Look(vec3(0.16, 0.18, 0.21), vec3(0.0), 40.0, 0.35);
    float occlusion = shade;

    // The material's noise coordinates: the first (with its two finer octaves for a sum of
    // three) and, for wreckage, the two crack noises.
    vec2 first = material == 0   ? vec2(along * 0.35, around * 3.0)
                 : material == 1 ? vec2(around * 40.0, along * 2.0)
                 : material == 3 ? vec2(along * 0.9, acrossUnits * 0.9)
                                 : vec2(along * 0.5, around * 4.0);
    int turns = material == 0 || material == 1 ? 1 : material == 3 ? 3 : 5;
    if (material == 2 || material == 4) turns = 0;
    float octave0 = 0.0, octave1 = 0.0, octave2 = 0.0, coarseNoise = 0.0, fineNoise = 0.0;
    for (int k = 0; k < turns; ++k) {
        vec2 at = k == 0   ? first
                  : k == 1 ? first * 2.03
                  : k == 2 ? first * 4.01
                  : k == 3 ? vec2(along * 1.1, around * 8.0)
                           : vec2(along * 3.1 + 7.0, around * 21.0);
        float value = noise(at);
        octave0 = k == 0 ? value : octave0;
        octave1 = k == 1 ? value : octave1;
        octave2 = k == 2 ? value : octave2;
        coarseNoise = k == 3 ? value : coarseNoise;
        fineNoise = k == 4 ? value : fineNoise;
    }
    // fbm() of the first coordinates, term for term.
    float sum3 = 0.5 * octave0 + 0.3 * octave1 + 0.2 * octave2;

    if (material == 0) {
        // Plates 12 long, the seams between them and along the facet edges.
        float plate = floor(along / 12.0 + 0.5);
        float tone = 0.78 + 0.4 * hash(vec2(facet, plate));
        float seamAlong = abs(fract(along / 12.0 + 0.5) - 0.5) * 12.0;
        float seamAcross = min(across, 1.0 - across) * 9.3;
        float seam = min(seamAlong, seamAcross);
        float groove = smoothstep(0.05, 0.14, seam);
        // Rivets in rows beside the seams.
        vec2 rivetCell = vec2(fract(along / 1.5) - 0.5, abs(acrossUnits) - 4.25);
        float rivet = 1.0 - smoothstep(0.09, 0.14, length(rivetCell * vec2(1.5, 1.0)));
        float grime = octave0;
        look.albedo = vec3(0.15, 0.17, 0.2) * tone * (0.75 + 0.5 * grime);
        look.albedo = mix(look.albedo, vec3(0.42, 0.44, 0.46), rivet);
        look.specular = 0.25 + 0.5 * rivet + 0.2 * (1.0 - grime);
        occlusion *= mix(0.25, 1.0, groove);
    } else if (material == 1) {
        float brushed = octave0;
        look.albedo = vec3(0.36, 0.38, 0.41) * (0.85 + 0.3 * brushed);
        look.gloss = 90.0;
        look.specular = 0.9;
    } else if (material == 2) {
        look.albedo = vec3(0.05);
        look.emission = vec3(0.35, 0.85, 1.25) * 2.2 * diffcol.rgb;
    } else if (material == 3) {
        // Chevrons pointing down the tunnel (+Y), paint worn off in patches.
        float chevron = fract((along - abs(acrossUnits) * 0.8) / 2.4);
        float paint = step(0.5, chevron);
        float wear = smoothstep(0.35, 0.6, sum3);
        vec3 amber = vec3(0.95, 0.52, 0.06);
        vec3 black = vec3(0.03, 0.03, 0.035);
        look.albedo = mix(mix(black, amber, paint), vec3(0.15, 0.17, 0.2), wear * 0.6);
        look.specular = 0.2;
        look.gloss = 20.0;
    } else if (material == 4) {
        look.albedo = vec3(0.34, 0.17, 0.1);
        look.gloss = 60.0;
        look.specular = 0.7;
    } else {
        // Wreckage: its second coordinate is how broken it is, 0..1.
        float damage = shade;
        occlusion = 1.0;
        float soot = sum3;
        look.albedo = mix(vec3(0.13, 0.14, 0.16), vec3(0.04, 0.035, 0.03), damage * soot * 1.4);
        // Cracks along the ridges of two noises, the finer one branching off the coarse.
        float coarse = 1.0 - abs(coarseNoise * 2.0 - 1.0);
        float fine = 1.0 - abs(fineNoise * 2.0 - 1.0);
        float glow = (pow(coarse, 28.0) + 0.6 * pow(fine, 36.0) * coarse) * damage;
        look.emission = vec3(1.6, 0.45, 0.08) * glow * 2.5 * max(diffcol.r, 0.3);
        look.specular = 0.2 * (1.0 - damage);
    }

    vec3 n = normalize(wsNormal);
    if (!gl_FrontFacing) n = -n;
    vec3 toEye = -wsPosition;
    float eyeDistance = length(toEye);
    vec3 v = toEye / max(eyeDistance, 1e-4);

    vec3 toLight = ws_lightpos.xyz - wsPosition;
    float lightDistance = length(toLight);
    vec3 l = toLight / max(lightDistance, 1e-4);
    float falloff = 1.0 / (1.0 + pow(lightDistance / 30.0, 2.0));
    float diffuse = max(dot(n, l), 0.0);
    vec3 h = normalize(l + v);
    float highlight = diffuse > 0.0 ? pow(max(dot(n, h), 0.0), look.gloss) : 0.0;
    // A dim lamp at the eye keeps the nearest walls from going black between light pulses.
    float lamp = 0.16 * max(dot(n, v), 0.0) / (1.0 + pow(eyeDistance / 40.0, 2.0));
    vec3 ambient = vec3(0.025, 0.035, 0.05);

    vec3 lit = look.albedo * (ambient + lamp + diffuse * falloff * diffcol.rgb) * occlusion +
               highlight * look.specular * falloff * diffcol.rgb * occlusion + look.emission;
    // Far down the tube everything sinks into the dark.
    float fog = exp(-max(eyeDistance - 15.0, 0.0) * 0.016);
    vec3 c = 1.0 - exp(-lit * fog * 1.3);
    colour = vec4(c, 1.0);
}
