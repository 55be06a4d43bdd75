#version 330 compatibility
// Dark chrome with an iridescent violet-to-gold sheen, reflecting a sky like the sphere's,
// lit by the scene's lamp above the centre; bands of light run along each ring ("uv".x goes round it) with "time_s".
// A surface still flying in ("away" above 0) glows hot and cools as it lands.

uniform vec4 ws_eye_pos;
uniform vec4 time_s;

in vec3 worldPos;
in vec3 worldNormal;
in vec2 uv;
in float away;

layout(location = 0) out vec4 colour;

vec3 skyColour(vec3 d) {
    vec3 zenith = vec3(0.16, 0.06, 0.32);
    vec3 horizon = vec3(0.95, 0.42, 0.38);
    vec3 nadir = vec3(0.02, 0.08, 0.12);
    return d.y > 0.0 ? mix(horizon, zenith, pow(d.y, 0.5)) : mix(horizon, nadir, pow(-d.y, 0.35));
}

void main() {
    vec3 n = normalize(worldNormal);
    vec3 v = normalize(ws_eye_pos.xyz - worldPos);
    if (dot(n, v) < 0.0) n = -n; // inner faces of open pieces light like outer ones
    vec3 r = reflect(-v, n);
    float facing = max(dot(n, v), 0.0);
    float fresnel = 0.08 + 0.92 * pow(1.0 - facing, 5.0);

    // Thin-film sheen: the hue turns with the viewing angle.
    vec3 film = 0.5 + 0.5 * cos(6.2831 * (vec3(0.0, 0.33, 0.67) + facing * 1.3 + uv.y * 0.4));
    vec3 metal = mix(vec3(0.50, 0.38, 0.80), vec3(1.0, 0.80, 0.48), film.g);

    // The scene's warm lamp hangs above the centre (the rocks are lit by it too); a cool fill
    // comes from the other side so no ring goes black.
    vec3 toLamp = vec3(0.0, 50.0, 0.0) - worldPos;
    vec3 l = normalize(toLamp);
    vec3 lamp = vec3(1.0, 0.62, 0.36) * (1.6 / (1.0 + dot(toLamp, toLamp) * 0.0004));
    float diffuse = max(dot(n, l), 0.0);
    float specular = pow(max(dot(n, normalize(l + v)), 0.0), 60.0);
    float fill = max(dot(n, normalize(vec3(-0.4, -0.6, 0.7))), 0.0);

    vec3 lit = metal * (0.30 + lamp * diffuse + vec3(0.25, 0.3, 0.55) * fill)
               + skyColour(r) * mix(0.45, 1.2, fresnel) * metal * 1.5 + specular * lamp * 2.0;

    // Pulses running round the rings.
    float band = fract(uv.x * 6.0 - time_s.x * 0.45 + uv.y * 0.5);
    float pulse = smoothstep(0.0, 0.04, band) * (1.0 - smoothstep(0.04, 0.14, band));
    lit += pulse * vec3(1.0, 0.45, 0.85) * 1.4;
    // Thin glowing seams along the ring edges.
    lit += smoothstep(0.9, 1.0, abs(uv.y * 2.0 - 1.0)) * vec3(0.9, 0.5, 1.0) * 0.6;

    // Heat of a surface still on its way in.
    float heat = clamp(away, 0.0, 1.0);
    lit = mix(lit, lit * 0.4 + vec3(1.6, 0.55, 0.18) * (0.4 + 0.6 * fresnel), heat);

    colour = vec4(lit, 1.0);
}
