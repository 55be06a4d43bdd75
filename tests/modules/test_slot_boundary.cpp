// The slot order of the scene interface and of the objects the host hands to scenes, checked
// across the real boundary: a plug-in built separately (plugins/test_slot_probe.cpp) calls
// every slot of the host's module input, sync source and MIDI source, and the host calls every
// scene slot of the plug-in's scene. Each side journals which function actually ran; a slot
// out of place on either side runs the wrong function and shows up here.
#include "imidi.h"
#include "imodule_input.h"
#include "isync.h"
#include "module_loader.h"
#include "slot_probe.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>
#include <optional>

namespace fs = std::filesystem;

namespace {

// Every operation journals its slot (and its arguments) and returns something recognisable.
std::vector<std::string> g_calls;

class RecordingSync final : public iSync {
  public:
    float getValue(const char* name, const int64_t* timeMs) override {
        g_calls.push_back("sync 0 " + std::string(name) + " " + std::to_string(*timeMs));
        return 0.75f;
    }
};

class RecordingMidi final : public iMidi {
  public:
    float getValue(uint8_t controller) override {
        g_calls.push_back("midi 0 " + std::to_string(controller));
        return 0.5f;
    }
};

class RecordingInput final : public iModuleInput {
  public:
    igfxContext* getGfx() override {
        g_calls.push_back("input 0");
        return gfx;
    }
    iSync* getSync() override {
        g_calls.push_back("input 1");
        return &sync;
    }
    iMidi* getMidi() override {
        g_calls.push_back("input 2");
        return &midi;
    }
    int64_t getTimeMs() override {
        g_calls.push_back("input 3");
        return 5000000000; // beyond 32 bits: a narrower return type would cut it
    }
    float getTimeSeconds() override {
        g_calls.push_back("input 4");
        return 2.5f;
    }
    float getBandEnergy(int32_t first, int32_t last, float threshold, int32_t count) override {
        g_calls.push_back("input 5 " + std::to_string(first) + " " + std::to_string(last) + " " +
                          std::to_string(threshold) + " " + std::to_string(count));
        return 1.25f;
    }
    int32_t getFft(float* buffer, int32_t& count, bool windowed) override {
        g_calls.push_back("input 6 " + std::to_string(count) + " " + std::to_string(windowed));
        buffer[0] = 3.5f;
        count = 256;
        return 7;
    }

    igfxContext* gfx = reinterpret_cast<igfxContext*>(&g_calls); // only compared
    RecordingSync sync;
    RecordingMidi midi;
};

// The probe plug-in, loaded through the loader like every scene.
class SlotBoundary : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        tempDir.emplace("slot_boundary");
        root = tempDir->path();
        fs::create_directories(root + "/bin/dll_cache");
        fs::copy_file(TEST_PLUGIN_DIR "renderTestSlots.so", root + "/bin/renderTestSlots.so");
        loader = new cModuleLoader(root + "/bin/", root + "/bin/dll_cache/", "render*.so");
        loader->loadAll();
    }
    static void TearDownTestSuite() { tempDir.reset(); }

    template <typename F> static F entry(const char* name) {
        return reinterpret_cast<F>(dlsym(loader->modules().at(0).library, name));
    }

    void SetUp() override {
        ASSERT_EQ(loader->modules().size(), 1u);
        g_calls.clear();
    }

    static std::optional<TempDir> tempDir;
    static std::string root;
    static cModuleLoader* loader;
};

std::optional<TempDir> SlotBoundary::tempDir;
std::string SlotBoundary::root;
cModuleLoader* SlotBoundary::loader = nullptr;

} // namespace

TEST_F(SlotBoundary, PluginReachesEachHostSlot) {
    auto probe = entry<ProbeHostSlotsFn>("ProbeHostSlots");
    ASSERT_NE(probe, nullptr);
    RecordingInput input;
    SlotProbeResults out{};
    probe(&input, &out);

    const std::vector<std::string> expected = {
        "input 0",        "input 1",
        "input 2",        "input 3",
        "input 4",        "input 5 3 9 " + std::to_string(kProbeThreshold) + " 512",
        "input 6 1024 1", "sync 0 probe 5000000000",
        "midi 0 42",
    };
    EXPECT_EQ(g_calls, expected);

    EXPECT_EQ(out.gfx, input.gfx);
    EXPECT_EQ(out.sync, static_cast<iSync*>(&input.sync));
    EXPECT_EQ(out.midi, static_cast<iMidi*>(&input.midi));
    EXPECT_EQ(out.timeMs, 5000000000);
    EXPECT_EQ(out.timeSeconds, 2.5f);
    EXPECT_EQ(out.bandEnergy, 1.25f);
    EXPECT_EQ(out.fftResult, 7);
    EXPECT_EQ(out.fftCount, 256);
    EXPECT_EQ(out.fftFirst, 3.5f);
    EXPECT_EQ(out.syncValue, 0.75f);
    EXPECT_EQ(out.midiValue, 0.5f);
}

TEST_F(SlotBoundary, HostReachesEachSceneSlot) {
    auto journal = entry<SceneJournalFn>("SceneJournal");
    auto lastInput = entry<LastSceneInputFn>("LastSceneInput");
    ASSERT_NE(journal, nullptr);
    ASSERT_NE(lastInput, nullptr);
    RecordingInput input, other;

    cRenderModuleBase* scene = loader->modules()[0].scene;
    ASSERT_NE(scene, nullptr);
    const std::string before = journal(); // earlier tests may have used the scene

    scene->initialise(&input);
    EXPECT_EQ(lastInput(), &input);
    scene->render(&other);
    EXPECT_EQ(lastInput(), &other);
    scene->release();
    EXPECT_STREQ(scene->name(), "slots");
    // The host never deletes its scenes, but the destructor's two slots come first and decide
    // where every other operation sits: a second scene goes through both.
    const ModuleRecord& module = loader->modules()[0];
    cRenderModuleBase* second = module.createScene();
    module.deleteScene(&second);
    EXPECT_EQ(second, nullptr);
    delete module.createScene(); // the deleting destructor, called from the host's side

    EXPECT_EQ(std::string(journal()).substr(before.size()),
              "initialise render release name destroy destroy ");
}
