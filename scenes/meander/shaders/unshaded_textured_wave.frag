#version 330 compatibility
// No lights of the scene's: the panels ("tex") are shown at "color".rgb of their brightness
// (the scene keeps them dim behind the trail) and the line layer ("tex_lines") glows at
// "color".a times a strength that rises on the wave crests and with the wave height. The
// relief is shaded by a light fixed to the viewer: the wave's normal goes into view space
// through "ws_to_vs" (rotation only; the model's uniform scale does not turn it).

uniform sampler2D tex;
uniform sampler2D tex_lines;
uniform vec4 color;
uniform vec4 wave_h;
uniform mat4 ws_to_vs;

in vec2 uv;
in vec3 msPos;
in float crest;

out vec4 fragColour;

void main() {
    // The displaced surface's facet normal; the sphere is seen from inside, so it faces the
    // viewer whichever way the cross product turns.
    vec3 n = normalize(cross(dFdx(msPos), dFdy(msPos)));
    vec3 nvs = normalize(mat3(ws_to_vs) * n);
    if (nvs.z < 0.0) nvs = -nvs;
    float facing = nvs.z;
    float lit = max(dot(nvs, normalize(vec3(-0.35, 0.55, 0.75))), 0.0);

    vec3 panels = texture(tex, uv).rgb;
    vec3 lines = texture(tex_lines, uv).rgb;
    float energy = clamp(wave_h.x, 0.0, 1.5);
    float onCrest = smoothstep(0.2, 1.0, crest);

    vec3 colour = panels * color.rgb * (1.5 + 4.5 * lit);
    colour += lines * color.a * (2.0 + 8.0 * onCrest * energy);
    // Grazing walls fade into the haze, so the sphere reads as deep rather than as a wall.
    colour = mix(vec3(0.03, 0.035, 0.05), colour, smoothstep(0.05, 0.45, facing));
    fragColour = vec4(colour, 1.0);
}
