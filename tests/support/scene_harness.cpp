// A scene plug-in on a real context for tests: see scene_harness.h.
#include "scene_harness.h"

#include "gl_test_context.h"
#include "render_state.h"
#include "window.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

void writeTrack(const std::string& base, const std::string& name,
                const std::vector<TrackKey>& keys) {
    const std::string path = base + "_" + name + ".track";
    EXPECT_EQ(keytrack_write(path.c_str(), keys.data(), int32_t(keys.size())), 0) << path;
}

} // namespace

SceneHarness::SceneHarness(const std::string& pluginPath, const std::string& tag) {
    static const WindowDesc desc{1280, 720, 1280, 720, false, false, false};
    dir_ = std::make_unique<TempDir>(tag);
    root = dir_->path();
    fs::create_directories(root + "/bin/dll_cache");
    fs::copy_file(pluginPath, root + "/bin/" + fs::path(pluginPath).filename().string());

    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    real = new gfxContext(); // kept for the process: plug-ins hold its textures and programs
    real->init(&desc);
    gfx = new RecordingGfx(real);
    loader_ =
        std::make_unique<cModuleLoader>(root + "/bin/", root + "/bin/dll_cache/", "render*.so");
    loader_->loadAll();
    initSync_ = std::make_unique<cSyncRocket>();
    initSync_->init((root + "/none/").c_str(), nullptr);
    cModuleInput setup;
    setup.setGfx(gfx);
    setup.setSync(initSync_.get());
    if (loader_->modules().size() == 1 && loader_->modules()[0].scene)
        loader_->modules()[0].scene->initialise(&setup);
    initLog = testing::internal::GetCapturedStdout();
    initLog += testing::internal::GetCapturedStderr();
    if (loader_->modules().size() != 1 || !loader_->modules()[0].scene) {
        ADD_FAILURE() << pluginPath << " did not load as one scene:\n" << initLog;
        return;
    }
    scene = loader_->modules()[0].scene;
}

std::string SceneHarness::frame(int64_t timeMs) {
    // A fresh directory per frame: the sync source reads its files once, at init.
    const std::string tracks = root + "/tracks" + std::to_string(++frames_) + "/";
    fs::create_directories(tracks);
    for (const auto& v : values)
        if (!keys.count(v.first)) writeTrack(tracks, v.first, {{0, v.second, INTERP_STEP}});
    for (const auto& k : keys) writeTrack(tracks, k.first, k.second);
    sync_ = std::make_unique<cSyncRocket>();
    sync_->init(tracks.c_str(), nullptr);
    input_ = std::make_unique<cModuleInput>();
    input_->setGfx(gfx);
    input_->setSync(sync_.get());
    input_->setFixedTimeMs(timeMs);
    input = input_.get();

    *real->renderState() = rs::defaultWord();
    real->setViewport(0, 0, 1280, 720);
    real->setClearColor(0, 0, 0, 0);
    real->setClearDepth(1);
    real->clear(3);
    while (glGetError() != GL_NO_ERROR) {
    }
    gfx->clearJournal();
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    if (scene) redraw();
    glFinish();
    glError = glGetError();
    std::string out = testing::internal::GetCapturedStdout();
    return out + testing::internal::GetCapturedStderr();
}

void SceneHarness::redraw(cRenderModuleBase* other) {
    real->pushRenderState();
    (other ? other : scene)->render(input);
    real->popRenderState();
}

std::string SceneHarness::clean(const std::string& log, bool firstFrame) const {
    std::string faults;
    if (real->renderTargetPool().outstanding() != 0)
        faults += std::to_string(real->renderTargetPool().outstanding()) +
                  " render targets still leased\n";
    if (glError != GL_NO_ERROR) faults += "GL error " + std::to_string(glError) + "\n";
    if (log.find("##") != std::string::npos) faults += "warnings:\n" + log;
    if (!firstFrame && log.find("allocated rendertarget runtime") != std::string::npos)
        faults += "render targets created after the first frame:\n" + log;
    return faults;
}

std::array<float, 3> SceneHarness::mean(int x, int y, int size) {
    std::vector<unsigned char> px(size_t(size) * size * 4);
    glReadPixels(x - size / 2, y - size / 2, size, size, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    std::array<float, 3> m{0, 0, 0};
    for (size_t i = 0; i < px.size(); i += 4)
        for (int c = 0; c < 3; ++c) m[c] += px[i + c];
    for (float& v : m) v /= float(size * size);
    return m;
}

float SceneHarness::brightness(int x, int y, int size) {
    const std::array<float, 3> m = mean(x, y, size);
    return m[0] + m[1] + m[2];
}

int SceneHarness::occurrences(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}
