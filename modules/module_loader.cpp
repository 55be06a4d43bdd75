// module_loader.cpp - see module_loader.h.
#include "module_loader.h"

#include "file_utils.h"

#include <dlfcn.h>

#include <cstdio>
#include <utility>

namespace {

// The cache only ever holds plug-in copies, whatever their pattern.
constexpr const char* kCachePattern = "*.so";

// ---- log lines: every text the loader writes ------------------------------------------------

void reportNoPlugins(const std::string& searchPattern) {
    std::fprintf(stderr, "## WARNING: didn't find any dlls in \"%s\"\n", searchPattern.c_str());
    std::fprintf(stderr, "# cwd: %s\n", get_current_dir().c_str());
}

// `reason` is dlerror()'s text, or null when the system gave none.
void reportLoadFailed(const std::string& cachePath, const char* reason) {
    std::fprintf(stderr, "## ERROR: code module-load failed: \"%s\"\n", cachePath.c_str());
    if (reason && *reason) std::fprintf(stderr, "##        %s\n", reason);
    std::fprintf(stderr, "##        cwd: \"%s\"\n", get_current_dir().c_str());
}

void reportBindFailed(const std::string& cachePath, const char* entryPoint, const char* reason) {
    std::fprintf(stderr, "## ERROR: code module-bind failed: \"%s\" in \"%s\"\n", entryPoint,
                 cachePath.c_str());
    if (reason && *reason) std::fprintf(stderr, "##        %s\n", reason);
}

void reportNoScene(const std::string& cachePath) {
    std::fprintf(stderr, "## ERROR: code module \"%s\": CreateScene returned no scene\n",
                 cachePath.c_str());
}

// ---- binding --------------------------------------------------------------------------------

// The exported symbol, or null with the system's reason reported. dlerror is cleared first
// so that its text belongs to this lookup.
void* bindEntryPoint(void* library, const std::string& cachePath, const char* name) {
    dlerror();
    void* address = dlsym(library, name);
    if (!address) reportBindFailed(cachePath, name, dlerror());
    return address;
}

} // namespace

cModuleLoader::cModuleLoader(std::string pluginDir, std::string cacheDir, std::string pattern)
    : pluginDir_(std::move(pluginDir)), cacheDir_(std::move(cacheDir)),
      pattern_(std::move(pattern)) {}

void cModuleLoader::loadAll() {
    emptyCache();

    const std::string searchPattern = pluginDir_ + pattern_;
    std::vector<std::string> names;
    find_files(searchPattern, names);
    if (names.empty()) {
        reportNoPlugins(searchPattern);
        return;
    }
    modules_.reserve(modules_.size() + names.size());
    for (const std::string& name : names) modules_.push_back(loadModule(name));
}

// A stale copy that cannot be deleted is reported by file_delete; loading goes on and may
// then pick up that copy, as designed.
void cModuleLoader::emptyCache() {
    std::vector<std::string> stale;
    find_files(cacheDir_ + kCachePattern, stale);
    for (const std::string& name : stale) file_delete(cacheDir_ + name);
}

ModuleRecord cModuleLoader::loadModule(const std::string& fileName) {
    ModuleRecord record;
    record.fileName = fileName;

    // A failed copy is reported by file_copy; the load below then fails on the missing file.
    const std::string source = pluginDir_ + fileName;
    file_copy(source, cacheDir_ + file_name(source), true);

    const std::string cachePath = cacheDir_ + fileName;
    dlerror();
    void* library = dlopen(cachePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        reportLoadFailed(cachePath, dlerror());
        return record;
    }
    record.library = library;
    record.cachePath = cachePath;

    // An entry point that could not be bound is never called. DeleteScene is only bound (the
    // host never deletes a scene), so its absence costs the plug-in nothing but the report.
    record.deleteScene =
        reinterpret_cast<DeleteSceneFn>(bindEntryPoint(library, cachePath, "DeleteScene"));
    record.createScene =
        reinterpret_cast<CreateSceneFn>(bindEntryPoint(library, cachePath, "CreateScene"));
    if (!record.createScene) return record;

    record.scene = record.createScene();
    if (!record.scene) reportNoScene(cachePath);
    return record;
}
