// module_loader.h - finds the scene plug-ins, loads copies of them and makes one scene each.
//
// The host makes one cModuleLoader at start-up with the plug-in directory, the cache
// directory (both absolute, ending in "/") and the pattern "render*.so", and calls loadAll
// once. loadAll empties the cache of "*.so", then for each plug-in in directory-listing order
// copies it into the cache, loads the copy (never the original, so a plug-in can be rebuilt
// while a player runs), binds DeleteScene and CreateScene and creates the plug-in's one scene.
// The cache directory must exist: the build makes it, the loader never does.
//
// Every plug-in found gets a record, also when it could not be loaded; only records with a
// scene take part in start-up and frame dispatch. The loader owns its records. Libraries stay
// loaded and scenes alive for the rest of the process, also after the loader is destroyed:
// scenes may be referenced elsewhere, and the design never unloads or deletes them.
#pragma once

#include "render_module_base.h"

#include <string>
#include <vector>

struct ModuleRecord {
    std::string fileName;                // bare name as found, e.g. "renderShafts.so"
    std::string cachePath;               // cache directory + file name; empty until loaded
    void* library = nullptr;             // the loaded copy; null when loading failed
    CreateSceneFn createScene = nullptr; // null when the library does not export it
    DeleteSceneFn deleteScene = nullptr; // never called: scenes are never deleted
    cRenderModuleBase* scene = nullptr;  // null when loading failed or CreateScene gave none
};

class cModuleLoader {
  public:
    cModuleLoader(std::string pluginDir, std::string cacheDir, std::string pattern);
    cModuleLoader(const cModuleLoader&) = delete;
    cModuleLoader& operator=(const cModuleLoader&) = delete;

    // Once, at start-up. Reports every failure on the standard error and carries on.
    void loadAll();

    // In the order the plug-ins were found; fixed once loadAll has returned.
    const std::vector<ModuleRecord>& modules() const { return modules_; }

    const std::string& pluginDir() const { return pluginDir_; }
    const std::string& cacheDir() const { return cacheDir_; }
    const std::string& pattern() const { return pattern_; }

  private:
    void emptyCache();
    ModuleRecord loadModule(const std::string& fileName);

    const std::string pluginDir_;
    const std::string cacheDir_;
    const std::string pattern_;
    std::vector<ModuleRecord> modules_;
};
