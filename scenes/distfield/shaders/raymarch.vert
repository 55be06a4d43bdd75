// raymarch.vert - the full-screen quad of the distance-field scene.
// Loaded with a defines text in front ("#define SCENE00" ...), so no #version line here: the
// default GLSL of the compatibility context, with explicit locations by extension.
#extension GL_ARB_explicit_attrib_location : require

layout(location = 0) in vec4 position;

varying vec2 uv;

void main() {
    uv = position.xy * 0.5 + 0.5;
    gl_Position = position;
}
