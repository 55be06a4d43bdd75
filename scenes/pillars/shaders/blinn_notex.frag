#version 330 compatibility
// Blinn-Phong without a texture: "diffcol" is the base colour, lit by a warm point light at
// "ws_lightpos" and by the violet sky. Stone detail comes from noise in object space:
// sediment bands, mottling, and a bumped normal, so the surface holds still as it moves.

uniform vec4 diffcol;
uniform vec4 ws_lightpos;

in vec3 worldPos;
in vec3 worldNormal;
in vec3 objectPos;
flat in vec3 eyePos;

layout(location = 0) out vec4 colour;

float hash(vec3 p) {
    p = fract(p * 0.3183099 + 0.1);
    p *= 17.0;
    return fract(p.x * p.y * p.z * (p.x + p.y + p.z));
}

float noise(vec3 p) {
    vec3 i = floor(p);
    vec3 f = fract(p);
    f = f * f * (3.0 - 2.0 * f);
    return mix(mix(mix(hash(i), hash(i + vec3(1, 0, 0)), f.x),
                   mix(hash(i + vec3(0, 1, 0)), hash(i + vec3(1, 1, 0)), f.x), f.y),
               mix(mix(hash(i + vec3(0, 0, 1)), hash(i + vec3(1, 0, 1)), f.x),
                   mix(hash(i + vec3(0, 1, 1)), hash(i + vec3(1, 1, 1)), f.x), f.y),
               f.z);
}

float rock(vec3 p) {
    return 0.6 * noise(p * 6.0) + 0.3 * noise(p * 13.0) + 0.1 * noise(p * 29.0);
}

void main() {
    vec3 n = normalize(worldNormal);
    // Bump: the gradient of the rock noise, taken off the normal.
    const float e = 0.01;
    float h = rock(objectPos);
    vec3 grad = vec3(rock(objectPos + vec3(e, 0, 0)), rock(objectPos + vec3(0, e, 0)),
                     rock(objectPos + vec3(0, 0, e))) - h;
    n = normalize(n - grad / e * 0.012);

    // Sediment bands along the height, wavering with the noise; dark cracks in the low spots.
    float bands = 0.5 + 0.5 * sin(objectPos.y * 22.0 + h * 5.0);
    vec3 tint = mix(vec3(1.05, 0.92, 0.85), vec3(0.78, 0.76, 0.92), bands);
    vec3 base = diffcol.rgb * tint * (0.7 + 0.6 * h) * mix(0.55, 1.0, smoothstep(0.25, 0.45, h));

    vec3 toLight = ws_lightpos.xyz - worldPos;
    float distance = length(toLight);
    vec3 l = toLight / distance;
    vec3 v = normalize(eyePos - worldPos);
    vec3 halfway = normalize(l + v);
    float attenuation = 1.0 / (1.0 + distance * distance * 0.00004);

    vec3 lamp = vec3(1.0, 0.62, 0.36) * 2.2 * attenuation;
    float diffuse = max(dot(n, l), 0.0);
    float specular = pow(max(dot(n, halfway), 0.0), 24.0) * 0.35 * step(0.0, dot(n, l));

    // Sky light: violet from above, teal bounce from below, a rim where the surface turns away.
    vec3 ambient = mix(vec3(0.05, 0.09, 0.12), vec3(0.30, 0.20, 0.45), 0.5 + 0.5 * n.y);
    float rim = pow(1.0 - max(dot(n, v), 0.0), 3.0);

    vec3 lit = base * (ambient + lamp * diffuse) + lamp * specular + rim * vec3(0.35, 0.18, 0.55);
    colour = vec4(lit, 1.0);
}
