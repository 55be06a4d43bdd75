// The light-shafts plug-in on a real GL context (scene_harness.h): loaded by the real loader
// from a temporary root, drawn by a real graphics context seen through RecordingGfx, tracks
// written per frame, pixels read back from the frame.
#include "gl_loader.h"
#include "process_age.h"
#include "scene_harness.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <dlfcn.h>
#include <elf.h>
#include <fstream>
#include <iterator>
#include <link.h>
#include <string>
#include <vector>

namespace {

const char* const kVolumeProgram = "volshadow_depth";
const char* const kVolumeVertex = "data/shaders/volume_shadow_depth.vert";
const char* const kVolumeFragment = "data/shaders/volume_shadow_depth.frag";

// The volume program's fragment stage with every shadow-map look-up wrapped in max(..., 1): lit
// everywhere, the sampler still in use (so the scene's setTexture still finds it). Empty, after
// a failure, when it has no look-up to wrap.
std::string shadowlessFragment() {
    std::ifstream in(kVolumeFragment);
    std::string fragment((std::istreambuf_iterator<char>(in)), {});
    int found = 0;
    for (const std::string call : {"texture(shadowmap_tex,", "textureOffset(shadowmap_tex,"})
        for (size_t at = fragment.find(call); at != std::string::npos;
             at = fragment.find(call, at + 1)) {
            if (at > 0 && (std::isalnum(fragment[at - 1]) || fragment[at - 1] == '_')) continue;
            size_t end = at + call.size(), depth = 1;
            while (end < fragment.size() && depth > 0) {
                if (fragment[end] == '(') ++depth;
                if (fragment[end] == ')') --depth;
                ++end;
            }
            const std::string lookUp = fragment.substr(at, end - at);
            fragment.replace(at, lookUp.size(), "max(" + lookUp + ", 1.0)");
            at += 4;
            ++found;
        }
    if (found == 0) {
        ADD_FAILURE() << "the volume shader no longer samples shadowmap_tex";
        return std::string();
    }
    return fragment;
}

// The light alone, in 16-pixel blocks 80 pixels apart across and 32 down the frame, with the
// tubes' shadows and without them. Glow and streaks do not depend on the light's intensity,
// so each frame less the frame with the light off is the light alone; "without" is the same
// frame drawn with the volume program rebuilt with its shadow look-ups forced to "lit".
constexpr int kCols = 16, kRows = 22, kBlock = 16;
using Grid = std::array<std::array<float, kCols>, kRows>;
struct LightAlone {
    Grid shadowed;
    Grid unshadowed;
};

// The value of the pointer variable `name` in the loaded plug-in that holds `object`'s class.
// The plug-in's GL entry points are hidden from the dynamic symbol table, so the file's full
// one says where it is. Null, after a failure, when the file has no such symbol.
void* pointerInPlugin(const void* object, const char* name) {
    Dl_info info{};
    link_map* map = nullptr;
    if (!dladdr1(*static_cast<void* const*>(object), &info, reinterpret_cast<void**>(&map),
                 RTLD_DL_LINKMAP) ||
        !map) {
        ADD_FAILURE() << "the scene's class is in no loaded library";
        return nullptr;
    }
    std::ifstream in(info.dli_fname, std::ios::binary);
    const std::vector<char> file((std::istreambuf_iterator<char>(in)), {});
    const auto* header = reinterpret_cast<const Elf64_Ehdr*>(file.data());
    if (file.size() < sizeof(Elf64_Ehdr) ||
        header->e_shoff + header->e_shnum * sizeof(Elf64_Shdr) > file.size()) {
        ADD_FAILURE() << info.dli_fname << " has no section table";
        return nullptr;
    }
    const auto* sections = reinterpret_cast<const Elf64_Shdr*>(file.data() + header->e_shoff);
    for (size_t i = 0; i < header->e_shnum; ++i) {
        if (sections[i].sh_type != SHT_SYMTAB) continue;
        const char* names = file.data() + sections[sections[i].sh_link].sh_offset;
        const auto* symbols =
            reinterpret_cast<const Elf64_Sym*>(file.data() + sections[i].sh_offset);
        for (size_t k = 0; k < sections[i].sh_size / sizeof(Elf64_Sym); ++k)
            if (std::strcmp(names + symbols[k].st_name, name) == 0)
                return *reinterpret_cast<void* const*>(map->l_addr + symbols[k].st_value);
    }
    ADD_FAILURE() << name << " is not in the symbol table of " << info.dli_fname;
    return nullptr;
}

class Shafts : public SceneTest {
  protected:
    static void SetUpTestSuite() { openScene(PLUGIN, "shafts_scene"); }

    void SetUp() override {
        SceneTest::SetUp();
        for (const char* name : {"vol_var", "vol_circlerot", "vol_camrot", "vol_vofs", "vol_vblur"})
            h->values[name] = 0.0f;
        h->values["vol_lightits"] = 1.0f;
        h->values["vol_lutits"] = 1.0f;
    }

    // A frame; the first of the binary may create the targets the pool lacks.
    static std::string frame(int64_t timeMs = 43000) {
        const std::string log = h->frame(timeMs);
        const bool first = h->framesDrawn() == 1;
        EXPECT_EQ(h->clean(log, first), "") << log;
        if (first) firstLog = log;
        return log;
    }

    static LightAlone lightAlone(int64_t timeMs, float intensity);

    static inline std::string firstLog;
};

LightAlone Shafts::lightAlone(int64_t timeMs, float intensity) {
    auto grab = [&](float light) {
        h->values["vol_lightits"] = light;
        frame(timeMs);
        Grid g;
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kCols; ++c)
                g[r][c] = SceneHarness::brightness(40 + 80 * c, 24 + 32 * r, kBlock) / 3.0f;
        return g;
    };
    LightAlone out;
    const Grid dark = grab(0.0f);
    out.shadowed = grab(intensity);
    ShaderLibrary& library = h->real->shaderLibrary();
    std::vector<ShaderLibrary::BuildFailure> failures;
    TempDir dir("shafts_shadowless");
    const std::string shadowless = dir.file("shadowless.frag");
    std::ofstream(shadowless) << shadowlessFragment();
    EXPECT_TRUE(library.rebuild(kVolumeProgram, kVolumeVertex, "", shadowless, failures))
        << failures.size() << " build failures";
    out.unshadowed = grab(intensity);
    // The scene's own again, for the rest.
    EXPECT_TRUE(library.rebuild(kVolumeProgram, kVolumeVertex, "", kVolumeFragment, failures))
        << failures.size() << " build failures";
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c) {
            out.shadowed[r][c] -= dark[r][c];
            out.unshadowed[r][c] -= dark[r][c];
        }
    return out;
}

} // namespace

TEST_F(Shafts, InitialiseRegistersItsProgramsModelsAndRunsItsOwnLoader) {
    EXPECT_STREQ(h->scene->name(), "vollight_scene");
    for (const char* s : {"debugcol", "blinn_shadow", "depthout", "unlit", "volshadow_depth"})
        EXPECT_TRUE(h->real->hasShader(s, nullptr)) << s;
    for (const char* m : {"tube", "tlvlogo", "markersphere"})
        EXPECT_NE(h->real->model(m), nullptr) << m;
    EXPECT_EQ(h->initLog.find("ERROR"), std::string::npos) << h->initLog;
    EXPECT_EQ(h->initLog.find("not initialized"), std::string::npos) << h->initLog;
    // The plug-in's own pointers, not the host's, were filled: its copy of one holds what
    // ours (loaded for this context before the test) does.
    EXPECT_EQ(pointerInPlugin(h->scene, "dpgl_glUseProgram"),
              reinterpret_cast<void*>(glUseProgram));
}

TEST_F(Shafts, TheFirstFrameCreatesTwoTargetsAndLaterFramesNone) {
    frame();
    frame();
    // The chain holds four full-size targets at once (A, C, D and the blur's, then E) and three
    // of a quarter (B and the glow's or the streaks' two): one more of each than the pool has.
    EXPECT_EQ(SceneHarness::occurrences(firstLog, "allocated rendertarget runtime"), 2) << firstLog;
}

TEST_F(Shafts, VariantDecidesTubesAndLogo) {
    const float logoColour[4] = {1.75f, 1.75f, 1.75f, 1.0f};
    struct Case {
        float value;
        size_t tubes;
        bool logo;
    };
    for (const Case& c : {Case{0.49f, 10, true}, Case{0.5f, 14, false}, Case{2.2f, 14, false},
                          Case{9.0f, 10, true}}) {
        h->values["vol_var"] = c.value;
        frame();
        EXPECT_EQ(h->gfx->vectorsOf("unlit", "color").size(), c.tubes) << c.value;
        const auto diff = h->gfx->vectorsOf("blinn_shadow", "diffcol");
        const bool logo =
            std::find(diff.begin(), diff.end(),
                      std::array<float, 4>{logoColour[0], logoColour[1], logoColour[2],
                                           logoColour[3]}) != diff.end();
        EXPECT_EQ(logo, c.logo) << c.value;
    }
}

TEST_F(Shafts, LightIntensityColoursTheShaftsAndTheMarker) {
    h->values["vol_lightits"] = 2.0f;
    frame();
    const auto fog = h->gfx->vectorsOf("volshadow_depth", "fogColor");
    ASSERT_EQ(fog.size(), 1u);
    EXPECT_FLOAT_EQ(fog[0][0], 2.0f * 121.0f / 255.0f);
    EXPECT_FLOAT_EQ(fog[0][1], 2.0f * 85.0f / 255.0f);
    EXPECT_FLOAT_EQ(fog[0][2], 2.0f);
    EXPECT_FLOAT_EQ(fog[0][3], 1.0f);
    // The grade's opacity is its own track.
    const auto lut = h->gfx->vectorsOf("post_rgb_lut", "opasity");
    ASSERT_EQ(lut.size(), 1u);
    EXPECT_FLOAT_EQ(lut[0][0], 1.0f);
}

// The volume's jitter clock is wall-clock milliseconds counted from the program's start,
// where a float still holds every one; counted from the machine's boot it would not.
TEST_F(Shafts, TheJitterClockCountsFromTheProgramsStart) {
    frame();
    const double age = process_age_seconds();
    const auto time = h->gfx->vectorsOf("volshadow_depth", "time_ms");
    ASSERT_EQ(time.size(), 1u);
    EXPECT_GE(time[0][0], 0.0f);
    EXPECT_EQ(time[0][0], time[0][3]);
    EXPECT_LE(time[0][0], age * 1000.0) << "milliseconds, more than this process has run";
}

TEST_F(Shafts, PassChainEndsInGradeOffsetFringesAndBlit) {
    frame();
    std::vector<std::string> order;
    for (const RecordingGfx::Quad& q : h->gfx->quads)
        if (order.empty() || order.back() != q.shader) order.push_back(q.shader);
    // The second add is of a picture the size of the one under it (the same-size program);
    // the grade, the offset without a smear and the blit out follow.
    const std::vector<std::string> tail = {"overlay_comp",     "add_comp",         "add_comp_texel",
                                           "post_rgb_lut",     "vertoffset_texel", "coloffset",
                                           "passthrough_texel"};
    ASSERT_GE(order.size(), tail.size());
    std::string last;
    for (size_t i = order.size() - tail.size(); i < order.size(); ++i) last += " " + order[i];
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), order.end() - tail.size()))
        << "last passes:" << last;
}

// The point of the scene, in the golden frame of the wide view (bar 20, graded as it is
// shown): the vanes' shadows stream out beside lit shafts. In a column, a lit shaft lies
// within 96 pixels of a gap a third as bright or darker, and the gap is dark because of a
// shadow: drawn without shadows, the light there is at least 60 % of the shaft's (so neither
// the beam's rim nor the air outside it counts). Several columns must hold such a pair: the
// shafts are a pattern, not one edge.
TEST_F(Shafts, TheWideViewShowsLitShaftsBesideShadowedGaps) {
    h->values["vol_var"] = 0.0f;
    h->values["vol_circlerot"] = -14.5f;
    h->values["vol_camrot"] = 79.0f;
    h->values["vol_lutits"] = 1.0f;
    const LightAlone light = lightAlone(33103, 1.05f);
    int columns = 0;
    float best = 0.0f;
    for (int c = 0; c < kCols; ++c) {
        bool found = false;
        for (int r = 0; r < kRows; ++r)
            for (int q = std::max(0, r - 3); q <= std::min(kRows - 1, r + 3); ++q) {
                const float shaft = light.shadowed[r][c], gap = light.shadowed[q][c];
                if (shaft < 40.0f || gap * 3.0f > shaft) continue;
                if (light.unshadowed[q][c] < 0.6f * shaft) continue;
                found = true;
                best = std::max(best, shaft - gap);
            }
        columns += found;
    }
    EXPECT_GE(columns, 3) << "columns with a lit shaft beside a shadowed gap; best " << best;
}

// Inside the ring (set-up 1) the shadows take light out of most of the beam: blocks bright
// without shadows that the shadows darken by 15 % or more.
TEST_F(Shafts, TheTubesShadowsTakeLightOutOfTheVolume) {
    h->values["vol_var"] = 1.0f;
    h->values["vol_circlerot"] = 29.3f;
    h->values["vol_camrot"] = 12.0f;
    h->values["vol_lutits"] = 0.0f;
    const LightAlone light = lightAlone(43000, 1.1f);
    int darkened = 0, inBeam = 0;
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c) {
            const float free = light.unshadowed[r][c], lit = light.shadowed[r][c];
            if (free < 30.0f) continue;
            ++inBeam;
            if (lit <= 0.85f * free) ++darkened;
        }
    EXPECT_GE(inBeam, 20);
    EXPECT_GE(darkened, 10) << "of " << inBeam << " blocks in the beam";
}
