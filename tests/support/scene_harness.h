// scene_harness.h - one scene plug-in on a real GL context, for a scene's tests.
//
// The plug-in is copied into a temporary root's bin/ and loaded by the real module loader,
// drawn by a real gfxContext on llvmpipe and seen through RecordingGfx, so a test can judge
// both what the pass chain asked for and the pixels it left. Tracks are constant .track files
// written per frame from `values` (or whole key lists from `keys`): each frame reads them anew.
//
// One GL context per process: make one harness in SetUpTestSuite and keep it for the binary.
//
//   class Pillars : public SceneTest {
//       static void SetUpTestSuite() { openScene(PLUGIN, "pillars"); }
//   };
//   h->values["cylborder"] = 0.1f;
//   std::string log = h->frame(4000);    // stdout and stderr of the frame
//   EXPECT_TRUE(h->clean(log).empty()); // pool, GL error, warnings, run-time targets
#pragma once

#include "gfx_context.h"
#include "gl_loader.h"
#include "module_input.h"
#include "module_loader.h"
#include "recording_gfx.h"
#include "render_module_base.h"
#include "sync_rocket.h"
#include "temp_dir.h"
#include "track.h"

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

class SceneHarness {
  public:
    // Opens the 1280 x 720 context, loads `pluginPath` and initialises its scene with no
    // tracks present (as the host does before any track is read). `tag` names the temporary
    // root. Fails the current test (and leaves `scene` null) when the plug-in does not load.
    SceneHarness(const std::string& pluginPath, const std::string& tag);

    // Draws one frame at `timeMs` the way the host does: default state, full viewport, clear,
    // push, render, pop, glFinish. Returns what the frame wrote to stdout and stderr.
    std::string frame(int64_t timeMs = 2000);

    // Draws again with the last frame's input, into whatever framebuffer and state are current
    // (push, render, pop): a caller's own target, or a second copy of the plug-in (`other`).
    void redraw(cRenderModuleBase* other = nullptr);

    // Frames drawn by frame() since the harness opened: 1 right after the scene's first.
    int framesDrawn() const { return frames_; }

    // Empty when the last frame was clean; otherwise one line per fault: targets still leased,
    // a GL error, a "##" warning, or a target created at run time (allowed only when
    // `firstFrame` says this was the scene's first frame).
    std::string clean(const std::string& log, bool firstFrame = false) const;

    // Mean colour (0..255) of a size x size block centred on (x, y), GL's bottom-up rows.
    static std::array<float, 3> mean(int x, int y, int size = 16);
    // The sum of that block's three mean channels, 0..765.
    static float brightness(int x, int y, int size = 16);

    // How often `what` occurs in `text` (overlapping occurrences count), e.g. a log line.
    static int occurrences(const std::string& text, const std::string& what);

    // Constant track values for the next frames; a name in `keys` wins over `values`.
    std::map<std::string, float> values;
    std::map<std::string, std::vector<TrackKey>> keys;

    std::string root;    // the temporary root (bin/, tracks*/)
    std::string initLog; // what initialise wrote
    gfxContext* real = nullptr;
    RecordingGfx* gfx = nullptr;
    cRenderModuleBase* scene = nullptr;
    cModuleInput* input = nullptr; // the last frame's module input
    GLenum glError = GL_NO_ERROR;  // the first GL error of the last frame

  private:
    std::unique_ptr<TempDir> dir_;
    std::unique_ptr<cModuleLoader> loader_;
    std::unique_ptr<cSyncRocket> initSync_, sync_;
    std::unique_ptr<cModuleInput> input_;
    int frames_ = 0;
};

// The fixture a scene's tests derive from: the binary's one harness, opened by the first suite
// to run (openScene in SetUpTestSuite), and no track value left over from the test before
// (a derived SetUp calls SceneTest::SetUp first, then sets its neutral values).
class SceneTest : public testing::Test {
  protected:
    static void openScene(const std::string& pluginPath, const std::string& tag) {
        if (!h) h = new SceneHarness(pluginPath, tag);
        ASSERT_NE(h->scene, nullptr);
    }
    void SetUp() override {
        h->values.clear();
        h->keys.clear();
    }

    static inline SceneHarness* h = nullptr;
    // The harness's constant track values; h exists before any fixture is made.
    std::map<std::string, float>& values = h->values;
};
