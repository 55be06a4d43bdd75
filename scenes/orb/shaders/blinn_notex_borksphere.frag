#version 330 compatibility
// Blinn-Phong without a texture for the shards: "diffcol" is the surface colour (its alpha
// the output's), lit by a point light at "ws_lightpos" with a cool fill from below, both
// sides of a shard lit (an opened shell shows its inside). Premultiplied output.

uniform vec4 diffcol;
uniform vec4 ws_lightpos;

in vec3 worldPos;
in vec3 worldNormal;
in vec3 eyePos;

out vec4 fragColour;

void main() {
    vec3 n = normalize(worldNormal);
    vec3 v = normalize(eyePos - worldPos);
    if (dot(n, v) < 0.0) n = -n;
    vec3 l = normalize(ws_lightpos.xyz - worldPos);
    vec3 h = normalize(l + v);
    float diffuse = max(dot(n, l), 0.0);
    float fill = 0.5 - 0.5 * n.y;
    float specular = pow(max(dot(n, h), 0.0), 64.0) * step(0.0, dot(n, l));
    vec3 c = diffcol.rgb * (0.08 + 0.85 * diffuse) + vec3(0.1, 0.14, 0.22) * fill * 0.3 +
             vec3(specular * 0.6);
    fragColour = vec4(c * diffcol.a, diffcol.a);
}
