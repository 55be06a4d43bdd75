// demolive_main.cpp - the development player: the demo in a window, with its music, to stop,
// scrub, loop and edit while it plays (usage in live_options.cpp, design in docs/live.md).
//
// The same start-up, plug-ins, dispatch and frame body as the player (demoInitialiseWith and
// demoFrame); what differs lives here. The demo is drawn into a 1280 x 720 framebuffer of our
// own and shown letterboxed in whatever size the window has, with the panel over it. Every
// transport change and every reload prints one "live: " status line on the standard output.
#include "demo.h"
#include "dispatch_scenes.h"
#include "file_utils.h"
#include "file_watch.h"
#include "gfx_context.h"
#include "gl_loader.h"
#include "gpu_timer.h"
#include "image.h"
#include "key_editor.h"
#include "live_options.h"
#include "live_sync.h"
#include "module_loader.h"
#include "music_energy.h"
#include "onset_list.h"
#include "panel.h"
#include "shader_reload.h"
#include "sound_module.h"
#include "transport.h"
#include "window.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <string>
#include <ctime>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string firstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

// The demo's own framebuffer: the picture every player draws, before it is letterboxed.
struct DemoTarget {
    GLuint framebuffer = 0, colour = 0, depth = 0;
    bool make() {
        glGenRenderbuffers(1, &colour);
        glBindRenderbuffer(GL_RENDERBUFFER, colour);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, kScreenWidth, kScreenHeight);
        glGenRenderbuffers(1, &depth);
        glBindRenderbuffer(GL_RENDERBUFFER, depth);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, kScreenWidth, kScreenHeight);
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                  depth);
        const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        return complete;
    }
};

class Live {
  public:
    LiveOptions options;
    std::string root, timelinePath, shotDir;

    int run();

  private:
    int64_t now() { return parts_.sound->get_time_ms(); }
    void status(const std::string& event);
    void note(const std::string& message); // for the panel's message list
    void seek(int64_t ms, const std::string& event);
    void setPaused(bool paused);
    void onKey(const SDL_KeyboardEvent& key);
    void seekScene(int direction);
    void toggleLoop();
    bool pumpEvents(); // false: quit
    void pollFiles();
    void reloadTimeline();
    void watchOnsetFile();
    void markSaved(const std::string& file);
    void drawFrame();
    void present();
    void writeShot();
    void collectGpuTimes();
    void applyEdit(const EditorAction& action);
    void followEdits();
    void loadOnsets();

    static void observeScene(cRenderModuleBase* scene, bool after);

    DemoParts parts_{};
    LiveSync sync_;
    FileWatch timelineWatch_;
    ShaderWatch shaders_;
    DemoTarget target_;
    GpuTimer gpu_;
    LoopRange loop_;
    bool paused_ = false;
    bool muted_ = false;
    bool quit_ = false;
    bool panelOk_ = false, panelShown_ = true;
    bool shotPending_ = false;
    int shots_ = 0;
    std::vector<SceneSpan> spans_;
    std::vector<std::string> messages_;
    std::string timelineError_;
    std::string shaderError_;
    // The save time of the file behind the last reload, until the first frame drawn with it
    // is shown: how long an edit takes to reach the screen, reported on the standard error.
    int64_t savedNs_ = 0;
    std::string savedFile_;
    Clock::time_point lastPoll_{};
    // Timings for the panel: the last frame's, and per scene the latest CPU and GPU figures.
    double cpuFrameMs_ = 0, gpuFrameMs_ = -1, fps_ = 0;
    Clock::time_point frameStart_{}, sceneStart_{};
    std::deque<Clock::time_point> frameTimes_;
    std::vector<PanelSceneTime> sceneTimes_;
    std::vector<cRenderModuleBase*> drawnScenes_;
    // The key editor: its view of the text, the onsets and the music's loudness for its strip,
    // and the tracks the scenes read this frame (kept, not rebuilt, from frame to frame).
    KeyEditor editor_;
    OnsetLists onsets_;
    MusicEnergyJob energy_;
    std::vector<TrackReader> readers_;

    static Live* self_;
};

Live* Live::self_ = nullptr;

void Live::status(const std::string& event) {
    std::printf("%s\n", statusLine(now(), paused_, event).c_str());
    std::fflush(stdout);
}

void Live::note(const std::string& message) {
    messages_.push_back(message);
    if (messages_.size() > 50) messages_.erase(messages_.begin());
}

void Live::seek(int64_t ms, const std::string& event) {
    ms = std::clamp<int64_t>(ms, 0, kDemoEndMs);
    if (parts_.sound->stream) parts_.sound->set_time_ms(ms);
    status(event);
}

void Live::setPaused(bool paused) {
    if (paused == paused_) return;
    paused_ = paused;
    if (paused)
        parts_.sound->pause();
    else
        parts_.sound->start();
    status(paused ? "pause" : "play");
}

void Live::seekScene(int direction) {
    if (spans_.empty()) {
        status("no scene spans (no visibility track of a loaded scene is above 0)");
        return;
    }
    const int64_t t = now();
    const SceneSpan* pick = nullptr;
    if (direction > 0) {
        for (const SceneSpan& s : spans_)
            if (s.fromMs > t + 2) {
                pick = &s;
                break;
            }
        if (!pick) pick = &spans_.front(); // round to the first
    } else {
        for (auto it = spans_.rbegin(); it != spans_.rend(); ++it)
            if (it->fromMs < t - 2) {
                pick = &*it;
                break;
            }
        if (!pick) pick = &spans_.back();
    }
    seek(pick->fromMs, "scene " + pick->scene);
}

void Live::toggleLoop() {
    if (!loop_.on && loop_.toMs <= loop_.fromMs) {
        // No range yet: the bar the playhead is in.
        loop_.fromMs = barStartAt(now());
        loop_.toMs = seekTarget(loop_.fromMs, SeekUnit::Bar, +1);
    }
    loop_.on = !loop_.on;
    status(loop_.on ? "loop on " + barBeatText(loop_.fromMs) + "-" + barBeatText(loop_.toMs)
                    : "loop off");
}

void Live::onKey(const SDL_KeyboardEvent& key) {
    const SDL_Keycode k = key.keysym.sym;
    const bool shift = key.keysym.mod & KMOD_SHIFT, ctrl = key.keysym.mod & KMOD_CTRL;
    const bool alt = key.keysym.mod & KMOD_ALT;
    const int64_t t = now();
    // The key editor's keys first: none of them is a transport key without its modifier.
    const EditorAction edit = keyEditorKey(editor_, {int32_t(k), shift, ctrl, alt}, t);
    if (edit.handled) {
        applyEdit(edit);
        return;
    }
    auto step = [&](SeekUnit unit, int direction, const char* what) {
        seek(seekTarget(t, unit, direction),
             std::string("seek ") + (direction > 0 ? "+1 " : "-1 ") + what);
    };
    switch (k) {
    case SDLK_ESCAPE:
    case SDLK_q:
        quit_ = true;
        break;
    case SDLK_SPACE:
        setPaused(!paused_);
        break;
    case SDLK_LEFT:
    case SDLK_RIGHT: {
        const int direction = k == SDLK_RIGHT ? 1 : -1;
        if (ctrl)
            step(SeekUnit::Section, direction, "section");
        else if (shift)
            step(SeekUnit::Bar, direction, "bar");
        else
            step(SeekUnit::Beat, direction, "beat");
        break;
    }
    case SDLK_UP:
    case SDLK_DOWN:
        step(SeekUnit::Bar, k == SDLK_UP ? 1 : -1, "bar");
        break;
    case SDLK_PAGEUP:
    case SDLK_PAGEDOWN:
        step(SeekUnit::Section, k == SDLK_PAGEDOWN ? 1 : -1, "section");
        break;
    case SDLK_HOME:
        seek(0, "seek start");
        break;
    case SDLK_TAB:
        seekScene(shift ? -1 : 1);
        break;
    case SDLK_l:
        toggleLoop();
        break;
    case SDLK_LEFTBRACKET:
        loop_.fromMs = barStartAt(t);
        if (loop_.toMs <= loop_.fromMs) loop_.toMs = seekTarget(loop_.fromMs, SeekUnit::Bar, +1);
        status("loop from " + barBeatText(loop_.fromMs) + " to " + barBeatText(loop_.toMs));
        break;
    case SDLK_RIGHTBRACKET:
        loop_.toMs = seekTarget(t, SeekUnit::Bar, +1);
        if (loop_.fromMs >= loop_.toMs) loop_.fromMs = seekTarget(loop_.toMs, SeekUnit::Bar, -1);
        status("loop from " + barBeatText(loop_.fromMs) + " to " + barBeatText(loop_.toMs));
        break;
    case SDLK_m:
        muted_ = !muted_;
        parts_.sound->set_volume(muted_ ? 0 : 255);
        status(muted_ ? "mute" : "unmute");
        break;
    case SDLK_F1:
        panelShown_ = !panelShown_;
        status(panelShown_ ? "panel shown" : "panel hidden");
        break;
    case SDLK_F12:
    case SDLK_s:
        shotPending_ = true;
        break;
    default:
        break;
    }
}

bool Live::pumpEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) quit_ = true;
        if (panelOk_ && panelEvent(event)) continue;
        if (event.type == SDL_KEYDOWN) onKey(event.key);
    }
    return !quit_;
}

// An edit wrote the text: its tracks are compiled again at once, so the next frame shows it,
// and the file watch is told, so the save is not taken for someone else's.
void Live::applyEdit(const EditorAction& action) {
    if (action.wrote) {
        reloadTimeline();
        timelineWatch_.poll();
    }
    if (action.seek) seek(action.seekMs, "seek edit");
    if (!action.status.empty()) {
        note(action.status);
        status(action.status);
    }
}

// A save from outside (a text editor) reaches the editor's view too, not only the tracks.
void Live::followEdits() {
    std::string error;
    if (editor_.writable && editorCheckFile(editor_.text, error))
        note("key editor: the timeline changed on disk and was read again");
}

void Live::loadOnsets() {
    onsets_ = OnsetLists{};
    if (!sync_.onsetFile().empty()) readOnsets(sync_.onsetFile(), onsets_);
}

void Live::reloadTimeline() {
    std::string error;
    size_t count = 0;
    const auto start = Clock::now();
    const bool loaded = sync_.load(timelinePath, error, count);
    watchOnsetFile();
    if (loaded) {
        spans_ = sync_.spans();
        timelineError_.clear();
        loadOnsets();
        char took[32];
        std::snprintf(took, sizeof took, "%.1f", msSince(start));
        const std::string what = "reload timeline " + timelinePath + ": " + std::to_string(count) +
                                 " tracks in " + took + " ms";
        note(what);
        status(what);
        markSaved(timelinePath);
        return;
    }
    std::fprintf(stderr, "## ERROR: timeline not reloaded, the last good tracks stay:\n%s\n",
                 error.c_str());
    timelineError_ = error;
    note("timeline not reloaded: " + firstLine(error));
    status("timeline not reloaded (last good tracks kept): " + firstLine(error));
}

// The onset file joins the timeline's watch once a text names it; either one saved reloads.
void Live::watchOnsetFile() {
    if (!sync_.onsetFile().empty()) timelineWatch_.add(sync_.onsetFile());
}

void Live::markSaved(const std::string& file) {
    const FileStamp stamp = stampOf(file);
    savedNs_ = stamp.exists ? stamp.modifiedNs : 0;
    savedFile_ = file;
}

void Live::pollFiles() {
    // Often enough that a save shows within a frame or two; a stat per file costs microseconds.
    if (msSince(lastPoll_) < 50.0) return;
    lastPoll_ = Clock::now();
    if (!timelineWatch_.poll().empty()) {
        reloadTimeline();
        followEdits();
    }

    // One status line per changed file, whichever programs it is part of.
    std::vector<ShaderReload> results = shaders_.poll();
    while (!results.empty()) {
        const std::string file = results.front().file;
        std::string good, bad, message;
        for (auto it = results.begin(); it != results.end();) {
            if (it->file != file) {
                ++it;
                continue;
            }
            (it->ok ? good : bad) +=
                (it->ok ? good : bad).empty() ? it->program : " " + it->program;
            if (!it->ok && message.empty()) message = it->message;
            it = results.erase(it);
        }
        if (!bad.empty()) {
            std::fprintf(stderr,
                         "## ERROR: shader %s not reloaded (%s keep the last good program):\n%s",
                         file.c_str(), bad.c_str(), message.c_str());
            shaderError_ = message;
            note("shader not reloaded: " + firstLine(message));
            status("shader " + file +
                   " not reloaded (last good program kept): " + firstLine(message));
        } else {
            shaderError_.clear();
            note("reload shader " + file);
            status("reload shader " + file + " (" + good + ")");
            markSaved(file);
        }
    }
}

void Live::observeScene(cRenderModuleBase* scene, bool after) {
    Live& live = *self_;
    live.sync_.setRecording(!after);
    if (!after) {
        live.sync_.setReader(scene->name());
        live.gpu_.begin(scene);
        live.sceneStart_ = Clock::now();
        return;
    }
    live.gpu_.end();
    const double cpu = msSince(live.sceneStart_);
    live.drawnScenes_.push_back(scene);
    for (PanelSceneTime& t : live.sceneTimes_)
        if (t.scene == scene->name()) {
            t.cpuMs = cpu;
            return;
        }
    live.sceneTimes_.push_back({scene->name(), cpu, -1.0});
}

void Live::collectGpuTimes() {
    gpu_.collect([&](const std::vector<GpuTimer::Result>& results) {
        double frame = 0;
        for (const GpuTimer::Result& r : results) {
            frame += r.ms;
            const char* name = static_cast<cRenderModuleBase*>(const_cast<void*>(r.key))->name();
            for (PanelSceneTime& t : sceneTimes_)
                if (t.scene == name) t.gpuMs = r.ms;
        }
        gpuFrameMs_ = frame;
    });
}

void Live::drawFrame() {
    frameStart_ = Clock::now();
    drawnScenes_.clear();
    sync_.beginFrame();
    sync_.setRecording(false);
    glBindFramebuffer(GL_FRAMEBUFFER, target_.framebuffer);
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    parts_.gfx->setViewport(0, 0, kScreenWidth, kScreenHeight);
    gpu_.beginFrame();

    FrameSettings frame;
    frame.pumpMessages = false; // ours, above
    frame.waitForGpu = false;   // the timer queries are read later instead
    frame.present = false;      // letterboxed below
    demoFrame(frame);

    gpu_.endFrame();
    cpuFrameMs_ = msSince(frameStart_);
    // Scenes no longer drawn leave the list.
    sceneTimes_.erase(std::remove_if(sceneTimes_.begin(), sceneTimes_.end(),
                                     [&](const PanelSceneTime& t) {
                                         for (cRenderModuleBase* s : drawnScenes_)
                                             if (t.scene == s->name()) return false;
                                         return true;
                                     }),
                      sceneTimes_.end());
    if (shotPending_) writeShot();

    readers_.clear();
    const std::vector<const LiveTrack*>& read = sync_.readThisFrame();
    const std::vector<const char*>& by = sync_.readersThisFrame();
    for (size_t i = 0; i < read.size(); ++i)
        readers_.push_back({read[i]->name, by[i] ? std::string_view(by[i]) : std::string_view()});
    keyEditorSetColumns(editor_, readers_);
}

void Live::writeShot() {
    shotPending_ = false;
    std::vector<uint8_t> rgba(size_t(kScreenWidth) * kScreenHeight * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kScreenWidth, kScreenHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    double sum[3] = {0, 0, 0};
    for (size_t i = 0; i < rgba.size(); i += 4) {
        for (int c = 0; c < 3; ++c) sum[c] += rgba[i + c];
        rgba[i + 3] = 255; // the screen ignores alpha; a PNG would show it
    }
    const double n = double(kScreenWidth) * kScreenHeight;
    char name[64];
    std::snprintf(name, sizeof name, "/live_shot_%04d.png", ++shots_);
    const std::string file = shotDir + name;
    if (!saveImagePng(file, kScreenWidth, kScreenHeight, rgba.data())) {
        status("shot not written: " + file);
        return;
    }
    const uint8_t* centre =
        &rgba[(size_t(kScreenHeight / 2) * kScreenWidth + kScreenWidth / 2) * 4];
    char what[160];
    std::snprintf(what, sizeof what, " mean %.0f %.0f %.0f centre %d %d %d", sum[0] / n, sum[1] / n,
                  sum[2] / n, centre[0], centre[1], centre[2]);
    status("shot " + file + what);
}

void Live::present() {
    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(parts_.window->handle(), &width, &height);
    // The largest 16:9 rectangle the window holds, centred; black around it.
    const double scale = std::min(double(width) / kScreenWidth, double(height) / kScreenHeight);
    const int w = int(kScreenWidth * scale), h = int(kScreenHeight * scale);
    const int x = (width - w) / 2, y = (height - h) / 2;

    // The graphics context's state cache believes what it last set; what is changed behind
    // its back here is put back as it was.
    GLboolean mask[4];
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDisable(GL_SCISSOR_TEST);

    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDrawBuffer(GL_BACK);
    glReadBuffer(GL_BACK);
    glViewport(0, 0, width, height);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, target_.framebuffer);
    glBlitFramebuffer(0, 0, kScreenWidth, kScreenHeight, x, y, x + w, y + h, GL_COLOR_BUFFER_BIT,
                      GL_LINEAR);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    if (panelOk_) {
        PanelView view;
        view.timeMs = now();
        view.endMs = kDemoEndMs;
        view.paused = paused_;
        view.loopOn = loop_.on;
        view.loopFromMs = loop_.fromMs;
        view.loopToMs = loop_.toMs;
        view.spans = &spans_;
        view.fps = fps_;
        view.cpuFrameMs = cpuFrameMs_;
        view.gpuFrameMs = gpuFrameMs_;
        view.scenes = &sceneTimes_;
        view.messages = &messages_;
        view.error = !timelineError_.empty() ? &timelineError_ : &shaderError_;
        view.showPanel = panelShown_;
        view.trackView.editor = &editor_;
        view.trackView.onsets = &onsets_;
        view.trackView.energy = energy_.ready() ? &energy_.energy() : nullptr;
        view.trackView.timeMs = view.timeMs;
        const PanelRequests asked = panelDraw(view);
        if (asked.togglePause) setPaused(!paused_);
        if (asked.toggleLoop) toggleLoop();
        if (asked.seek) seek(asked.seekMs, "seek panel");
        const TrackViewRequests& edit = asked.trackView;
        if (edit.setValue) applyEdit(keyEditorSetValue(editor_, edit.value, view.timeMs));
        if (edit.dragValue) applyEdit(keyEditorDragValue(editor_, edit.value, view.timeMs));
        if (edit.endDrag) keyEditorEndDrag(editor_);
        if (edit.addMark) applyEdit(keyEditorAddMark(editor_, edit.markName, view.timeMs));
        if (edit.pin) {
            std::string why;
            if (keyEditorPin(editor_, edit.pinName, why))
                status("track " + edit.pinName + " shown");
            else
                status("track not shown: " + why);
        }
    }

    glColorMask(mask[0], mask[1], mask[2], mask[3]);
    if (scissor) glEnable(GL_SCISSOR_TEST);
    parts_.window->swapBuffers();
    if (savedNs_) {
        glFinish(); // shown means drawn
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        const int64_t ns = int64_t(now.tv_sec) * 1000000000LL + now.tv_nsec;
        std::fprintf(stderr, "# %s: on screen %.0f ms after the save\n", savedFile_.c_str(),
                     double(ns - savedNs_) / 1e6);
        savedNs_ = 0;
    }
    parts_.gfx->setViewport(0, 0, kScreenWidth, kScreenHeight);
}

int Live::run() {
    self_ = this;
    panelShown_ = options.panel;
    sync_.setSolo(options.solo);

    // The timeline first: a text that does not compile at start-up still lets the demo run,
    // from the compiled tracks in data/sync/, until a good one is saved.
    timelineWatch_.add(timelinePath);
    {
        std::string error;
        size_t count = 0;
        const bool loaded = sync_.load(timelinePath, error, count);
        watchOnsetFile();
        if (loaded) {
            std::printf("live: timeline %s: %zu tracks\n", timelinePath.c_str(), count);
            loadOnsets();
        } else {
            std::fprintf(stderr,
                         "## ERROR: timeline not loaded, playing data/sync/ until it is:\n%s\n",
                         error.c_str());
            timelineError_ = error;
            note("timeline not loaded: " + firstLine(error));
        }
    }

    keyEditorOpen(editor_, timelinePath);
    if (!editor_.writable)
        std::printf("live: key editor read-only: %s\n", editor_.readOnlyWhy.c_str());

    DemoSetup setup;
    setup.fullScreen = options.fullScreen;
    setup.show = true;
    setup.loadingScreen = false;
    setup.sync = &sync_;
    demoInitialiseWith(setup);
    parts_ = demoParts();
    if (!parts_.sound->file_image.empty()) energy_.start(parts_.sound->file_image);
    SDL_Window* window = parts_.window->handle();
    SDL_SetWindowTitle(window, "demolive");
    SDL_SetWindowResizable(window, SDL_TRUE);
    SDL_GL_SetSwapInterval(1); // a tool has no reason to draw faster than the screen shows

    std::vector<std::string> names;
    for (const ModuleRecord& m : *parts_.modules) {
        if (!m.scene) continue;
        names.push_back(m.scene->name());
    }
    sync_.setSceneNames(names);
    spans_ = sync_.spans();
    if (!options.solo.empty() && std::find(names.begin(), names.end(), options.solo) == names.end())
        std::fprintf(stderr,
                     "## WARNING: --solo %s: no loaded scene has that name; nothing is drawn\n",
                     options.solo.c_str());

    if (!target_.make()) {
        std::fputs("demolive: cannot make the 1280x720 framebuffer\n", stderr);
        return 1;
    }
    shaders_.init(&parts_.gfx->shaderLibrary(), root);
    if (!gpu_.init()) std::puts("# demolive: no timer queries; GPU times are not shown");
    setSceneObserver(observeScene);
    panelOk_ = panelInit(window, parts_.window->context());

    loop_.on = options.loop;
    loop_.fromMs = options.loopFromMs;
    loop_.toMs = options.loopToMs;
    paused_ = options.paused;
    const int64_t start = loop_.on ? std::max(options.startMs, loop_.fromMs) : options.startMs;
    if (parts_.sound->stream) parts_.sound->set_time_ms(std::min(start, kDemoEndMs));
    if (!paused_) parts_.sound->start();
    status(std::string("start") + (options.solo.empty() ? "" : " solo " + options.solo) +
           (loop_.on ? " loop " + barBeatText(loop_.fromMs) + "-" + barBeatText(loop_.toMs) : ""));

    while (pumpEvents()) {
        pollFiles();
        const int64_t t = now();
        if (loop_.wraps(t)) {
            seek(loop_.fromMs, "loop");
        } else if (!paused_ && t > kDemoEndMs) {
            setPaused(true);
            status("end of demo");
        }
        drawFrame();
        present();
        collectGpuTimes();

        frameTimes_.push_back(Clock::now());
        while (frameTimes_.size() > 1 && msSince(frameTimes_.front()) > 1000.0)
            frameTimes_.pop_front();
        fps_ = double(frameTimes_.size());
        // Paused, the picture only changes with an edit: no need to burn both cores on it.
        if (paused_) SDL_Delay(10);
    }
    status("quit");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    Live live;
    const int answered = answerCommandLine(parseLiveOptions(argc, argv, live.options), "demolive",
                                           PROJECT_VERSION, kLiveUsage);
    if (answered >= 0) return answered;
    setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
    // Paths from the command line and the screenshots belong to the caller's directory; the
    // demo works from its root.
    live.shotDir = absolute_path(".");
    live.root = program_root_dir();
    live.timelinePath = live.options.timeline.empty() ? live.root + "/timeline/demo.timeline"
                                                      : absolute_path(live.options.timeline);
    set_current_dir(live.root);
    return live.run();
}
