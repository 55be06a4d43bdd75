// The plug-in side of the cross-boundary slot test: built like a scene plug-in, separately
// from the test, it calls through every slot of the host's objects (ProbeHostSlots) and
// journals which of its own scene operations the host reached (SceneJournal).
#include "imidi.h"
#include "imodule_input.h"
#include "isync.h"
#include "render_module_base.h"
#include "slot_probe.h"

#include <string>

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::string g_journal;
iModuleInput* g_lastInput = nullptr;

class SlotScene final : public cRenderModuleBase {
  public:
    ~SlotScene() override { g_journal += "destroy "; }
    void initialise(iModuleInput* input) override {
        g_journal += "initialise ";
        g_lastInput = input;
    }
    void render(iModuleInput* input) override {
        g_journal += "render ";
        g_lastInput = input;
    }
    void release() override { g_journal += "release "; }
    const char* name() override {
        g_journal += "name ";
        return "slots";
    }
};

} // namespace

DEMO_EXPORT_SCENE(SlotScene)

EXPORT void ProbeHostSlots(iModuleInput* input, SlotProbeResults* out) {
    out->gfx = input->getGfx();
    iSync* sync = input->getSync();
    iMidi* midi = input->getMidi();
    out->sync = sync;
    out->midi = midi;
    out->timeMs = input->getTimeMs();
    out->timeSeconds = input->getTimeSeconds();
    out->bandEnergy =
        input->getBandEnergy(kProbeBandFirst, kProbeBandLast, kProbeThreshold, kProbeBandCount);
    float spectrum[kProbeFftCount] = {};
    int32_t count = kProbeFftCount;
    out->fftResult = input->getFft(spectrum, count, true);
    out->fftCount = count;
    out->fftFirst = spectrum[0];
    out->syncValue = sync->getValue(kProbeTrack, &out->timeMs);
    out->midiValue = midi->getValue(kProbeController);
}

EXPORT const char* SceneJournal() {
    return g_journal.c_str();
}

EXPORT iModuleInput* LastSceneInput() {
    return g_lastInput;
}
