// bench_fetch_kinds - what one read of a 1280 x 720 RGBA8 picture costs, by kind of read.
//
// Every post pass reads pictures; which GLSL read it uses decides most of its cost on a
// software rasteriser. Each row draws a full-screen pass making 1 or 8 reads of one kind and
// compares it with the same pass writing a constant (what drawing a full-screen quad costs at
// all), timed alternately in one process:
//   texture      a filtered read (bilinear, the targets' filter) at a place between texels
//   texelFetch   an unfiltered read of one texel
//   gather       textureGather of one channel (four texels)
//   if never     a filtered read inside an `if` no pixel takes (is the untaken side skipped?)
//   loop never   the same inside a loop no pixel enters
// Also: the constant pass with the depth test or blending off, and drawn as one triangle
// instead of two, against the pass as the post library draws it.
//   xvfb-run -a -s "-screen 0 1280x720x24" build/bench/postfx/bench_fetch_kinds [runs]
#include "bench_common.h"
#include "fetch_floor.h"
#include "gl_loader.h"
#include "postfx.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char* kHead = "#version 330 compatibility\n"
                    "#extension GL_ARB_gpu_shader5 : enable\n"
                    "uniform sampler2D s0;\n"
                    "in vec2 uv;\n"
                    "layout(location = 0) out vec4 fragColor;\n";

// The read of one kind at horizontal offset `off` texels, as one GLSL statement.
std::string read(const std::string& kind, float off) {
    const std::string at = "uv + vec2(" + std::to_string(off) + " / 1280.0, 0.0)";
    if (kind == "constant") return "sum += vec4(uv * " + std::to_string(off) + ", 0.0, 1.0);";
    if (kind == "texture") return "sum += texture(s0, " + at + ");";
    if (kind == "texelFetch")
        return "sum += texelFetch(s0, ivec2(gl_FragCoord.xy) + ivec2(" + std::to_string(int(off)) +
               ", 0), 0);";
    if (kind == "gather") return "sum += textureGather(s0, " + at + ", 1);";
    if (kind == "if never") return "if (uv.x > 2.0) sum += texture(s0, " + at + ");";
    return "for (int k = 0; k < int(uv.x * 0.5); ++k) sum += texture(s0, " + at + ");";
}

// A pass making `count` reads of `kind`, 1.37 texels apart (distinct texels, between centres).
FetchFloor makeKind(igfxContext* gfx, TextureHandle* picture, const std::string& kind, int count) {
    std::string glsl = std::string(kHead) + "void main() {\n    vec4 sum = vec4(0.0);\n";
    for (int i = 0; i < count; ++i)
        glsl += "    " + read(kind, float(i) * 1.37f - float(count) * 0.6f) + "\n";
    glsl += "    fragColor = sum;\n}\n";
    const std::string name = "kind_" + std::to_string(count) + "_" + kind;
    loadFloorShader(gfx, name, glsl);
    return {name, {{"sampler2D", picture}}, {"s0"}};
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 15;
    gfxContext* gfx = makeBenchContext();
    TextureHandle* picture = makeStripedPicture(gfx, true);
    RenderTargetHandle out = gfx->acquireRenderTarget(1280, 720);
    iRenderTarget* target = out.target;

    std::printf("one full-screen pass against the same pass writing a constant, %d runs\n", runs);
    printFloorHeader();
    const FetchFloor constant = makeKind(gfx, picture, "constant", 1);
    auto drawConstant = [&] { drawFetchFloor(gfx, constant, target); };
    // Fixed-function state a post pass leaves on: does turning it off save anything?
    printFloorRow(compareWithFloor(
        "constant, depth test off", runs,
        [&] {
            glDisable(GL_DEPTH_TEST);
            drawConstant();
            glEnable(GL_DEPTH_TEST);
        },
        drawConstant));
    printFloorRow(compareWithFloor(
        "constant, blending off", runs,
        [&] {
            glDisable(GL_BLEND);
            drawConstant();
            glEnable(GL_BLEND);
        },
        drawConstant));
    printFloorRow(compareWithFloor(
        "constant, one triangle", runs,
        [&] {
            beginPass(gfx, constant.shader, &target);
            static const float positions[12] = {-1, -1, 0, 1, 3, -1, 0, 1, -1, 3, 0, 1};
            static const float uvs[6] = {0, 0, 2, 0, 0, 2};
            static const uint32_t indices[3] = {0, 1, 2};
            gfx->drawIndexedTrianglesUV(indices, positions, uvs, 3);
            target->unbind(gfx);
            gfx->popRenderState();
        },
        drawConstant));

    for (int count : {1, 8})
        for (const char* kind : {"texture", "texelFetch", "gather", "if never", "loop never"}) {
            const FetchFloor pass = makeKind(gfx, picture, kind, count);
            const std::string label = std::to_string(count) + " x " + kind;
            printFloorRow(compareWithFloor(
                label.c_str(), runs, [&] { drawFetchFloor(gfx, pass, target); }, drawConstant));
        }

    // The same filtered reads from a 512 x 512 texture stored as it is loaded with compression
    // asked for (the driver picks DXT1 for a compressed RGB) and stored plainly, magnified over
    // the screen as a scene's textures are.
    std::vector<unsigned char> texels(size_t(512) * 512 * 4);
    for (size_t i = 0; i < texels.size(); ++i) texels[i] = static_cast<unsigned char>(i * 7 % 251);
    TextureHandle* plain =
        gfx->createTexture2D(512, 512, kFormatBGRA, kFormatRGB8, 1, texels.data());
    // Made here rather than through the context, which stores compressed loads plain on this
    // driver for exactly this reason.
    GLuint compressedName = 0;
    glGenTextures(1, &compressedName);
    glBindTexture(GL_TEXTURE_2D, compressedName);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_COMPRESSED_RGB, 512, 512, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                 texels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    TextureHandle compressedHandle{GL_TEXTURE_2D, compressedName,       512,
                                   512,           kFormatCompressedRGB, false};
    TextureHandle* compressed = &compressedHandle;
    for (int count : {1, 8}) {
        const FetchFloor plainPass = makeKind(gfx, plain, "texture", count);
        const FetchFloor compressedPass{plainPass.shader, {{"sampler2D", compressed}}, {"s0"}};
        const std::string label = std::to_string(count) + " x texture, DXT1 / plain";
        printFloorRow(compareWithFloor(
            label.c_str(), runs, [&] { drawFetchFloor(gfx, compressedPass, target); },
            [&] { drawFetchFloor(gfx, plainPass, target); }));
    }

    // Shadow-map lookups as the light shafts make them: a 1024 x 1024 16-bit depth texture
    // with comparison on, read by a filtered comparison (four texels compared and weighed)
    // and by a gather of the four comparisons, against the constant pass.
    TextureHandle* depth =
        gfx->createTexture2D(1024, 1024, kFormatDepth, kFormatDepth16, 2, nullptr);
    glBindTexture(GL_TEXTURE_2D, depth->name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_R_TO_TEXTURE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_FUNC, GL_LEQUAL);
    glBindTexture(GL_TEXTURE_2D, 0);
    for (const char* kind : {"texture", "textureGather"}) {
        std::string glsl = "#version 330 compatibility\n#extension GL_ARB_gpu_shader5 : enable\n"
                           "uniform sampler2DShadow s0;\nin vec2 uv;\n"
                           "layout(location = 0) out vec4 fragColor;\nvoid main() {\n"
                           "    vec4 sum = vec4(0.0);\n";
        for (int i = 0; i < 8; ++i) {
            const std::string at = "uv + vec2(" + std::to_string(i * 3) + ".0 / 1024.0, 0.0)";
            glsl += std::string(kind) == "texture"
                        ? "    sum += vec4(texture(s0, vec3(" + at + ", 0.5)));\n"
                        : "    sum += textureGather(s0, " + at + ", 0.5);\n";
        }
        glsl += "    fragColor = sum;\n}\n";
        const std::string name = std::string("kind_shadow_") + kind;
        loadFloorShader(gfx, name, glsl);
        const FetchFloor pass{name, {{"sampler2DShadow", depth}}, {"s0"}};
        const std::string label = std::string("8 x ") + kind + ", depth compare";
        printFloorRow(compareWithFloor(
            label.c_str(), runs, [&] { drawFetchFloor(gfx, pass, target); }, drawConstant));
    }
    return 0;
}
