#version 330 compatibility
// Radial blur as light streaming from the middle of the frame: each pixel gathers the
// picture along the line towards the centre, nearer samples weighing more, and the gathered
// light goes in behind what is already there (most of it where the picture is opaque), so
// the logo stays sharp and its light fans out around it.
//   "multiplier": the strength; it lengthens the streaks and brightens them. At 0 (or below)
//                 the picture passes unchanged.
//   "dist":       the reach of the light in pixels: at that distance from the centre the
//                 streaks are half as bright as at the centre.
//   "time_s":     seconds; the centre drifts a little, so the streaks are never quite still.
//   "tex0siz":    the picture's size, (w, h, 1/w, 1/h).

uniform sampler2D tex0;
uniform vec4 tex0siz;
uniform vec4 time_s;
uniform vec4 dist;
uniform vec4 multiplier;

in vec2 uv;

out vec4 colour;

const int kTaps = 24; // a multiple of 4 (the loop below)

// A fixed per-pixel offset in [0, 1) that turns the banding of few taps into fine noise.
float dither(vec2 pixel) {
    return fract(52.9829189 * fract(dot(pixel, vec2(0.06711056, 0.00583715))));
}

void main() {
    // The pixel's own texel, read unfiltered: the quad's coordinates fall on texel centres, so
    // a filtered read of four texels gave the same value.
    vec4 picture = texelFetch(tex0, ivec2(uv * tex0siz.xy), 0);
    float strength = multiplier.x;
    // The tap count, not an early return, switches the glow off: a software rasteriser runs
    // a loop whose bound is the same for every pixel only as often as that bound says, but
    // may step through a skipped branch all the same.
    int taps = strength > 0.0 ? kTaps : 0;
    float t = time_s.x;
    vec2 centre = vec2(0.5) + vec2(sin(t * 0.37), cos(t * 0.29)) * vec2(0.02, 0.03);
    vec2 toCentre = centre - uv;
    float radius = length(toCentre * tex0siz.xy);
    // The streaks reach a share of the way to the centre, growing with the strength.
    float reach = min(0.9, 0.45 * strength);
    vec2 step = toCentre * reach / float(kTaps);
    float offset = dither(gl_FragCoord.xy);

    // Weights fall off as exp(-3 k / kTaps), one factor per tap; their sum over the taps is a
    // geometric series, worked out once here rather than added up tap by tap.
    float w = exp(-3.0 * offset / float(kTaps));
    float fade = exp(-3.0 / float(kTaps));
    float weights = taps > 0 ? w * (1.0 - pow(fade, float(kTaps))) / (1.0 - fade) : 0.0;
    // The taps walk along the line in texels, one add a tap. Each reads the texel it lands in
    // unfiltered: the dither already scatters the taps over the line, so blending four
    // texels per tap changed nothing a streak shows (golden frames within 0.25 levels), and
    // was most of what the pass cost on llvmpipe.
    // Every tap lies between the pixel and the centre, so inside the picture.
    vec2 at = (uv + step * offset) * tex0siz.xy;
    vec2 stride = step * tex0siz.xy;
    vec4 gathered = vec4(0.0);
    // Four taps a turn: llvmpipe pays for each turn of a loop whose bound is not a constant
    // (the masks of its pixels), and that cost as much as the taps themselves. kTaps is a
    // multiple of four, so the taps are the same.
    for (int i = 0; i < taps; i += 4) {
        for (int j = 0; j < 4; ++j) {
            vec4 s = texelFetch(tex0, ivec2(at), 0);
            // Bright samples throw more light than dim ones.
            float bright = dot(s.rgb, vec3(0.3, 0.5, 0.2));
            gathered += s * (w * (0.35 + bright));
            w *= fade;
            at += stride;
        }
    }
    gathered /= max(weights, 1e-6);

    float falloff = dist.x / (dist.x + radius);
    vec4 light = gathered * 1.6 * clamp(strength, 0.0, 2.0) * falloff;
    vec4 result = picture + light * (1.0 - 0.75 * picture.a);
    colour = vec4(min(result.rgb, vec3(1.0)), min(result.a, 1.0));
}
