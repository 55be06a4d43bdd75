#version 330 compatibility
// A greeting panel: the image ("tex", straight alpha) tinted by "color", faded in from the
// dark far away and out again just before it reaches the eye (at the world's origin), and
// premultiplied for "over" blending. "glitch" (0..1) tears it: bands slide sideways, the
// colour channels split, scanlines and a flicker that change 20 times a second of
// "time_s". At glitch 0 the clock has no effect at all, so a still frame is the same at
// any wall-clock time.

uniform sampler2D tex;
uniform vec4 color;
uniform vec4 time_s;
uniform vec4 glitch;

in vec2 uv;
in vec3 wsPosition;

out vec4 colour;

float hash(vec2 p) {
    p = fract(p * vec2(443.897, 441.423));
    p += dot(p, p.yx + 19.19);
    return fract((p.x + p.y) * p.x);
}

void main() {
    float g = clamp(glitch.x, 0.0, 1.0);
    // Wall-clock seconds can be large: keep the tick within a range a float counts exactly.
    float tick = mod(floor(time_s.x * 20.0), 4096.0);

    vec2 at = uv;
    float band = floor(uv.y * 9.0);
    float hit = step(hash(vec2(band, tick)), 0.7 * g);
    at.x += hit * (hash(vec2(tick, band + 3.0)) - 0.5) * 0.5 * g;
    vec2 split = vec2(0.015 * g, 0.0);

    vec4 centre = texture(tex, at);
    vec4 left = texture(tex, at + split);
    vec4 right = texture(tex, at - split);
    // Premultiplied per tap, so the channels split cleanly at the letters' edges.
    vec3 rgb = vec3(left.r * left.a, centre.g * centre.a, right.b * right.a);
    float alpha = max(centre.a, max(left.a, right.a) * g);

    float scan = 1.0 - 0.4 * g * step(0.5, fract(uv.y * 40.0));
    float flicker = 1.0 - 0.6 * g * step(0.6, hash(vec2(tick, 11.0)));

    float distance = length(wsPosition);
    float fade = smoothstep(3.0, 9.0, distance) * exp(-max(distance - 30.0, 0.0) * 0.025);
    float k = fade * scan * flicker * color.a;
    alpha *= k;
    if (alpha < 0.003) discard; // leave no depth where nothing shows
    colour = vec4(rgb * color.rgb * k, alpha);
}
