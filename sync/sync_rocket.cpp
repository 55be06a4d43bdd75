// sync_rocket.cpp - see sync_rocket.h.
#include "sync_rocket.h"

#include <cstdio>

cSyncRocket::cSyncRocket() : row_rate(kRowsPerSecond) {}

cSyncRocket::~cSyncRocket() {
    trackset_destroy(trackSet_);
}

bool cSyncRocket::init(const char* basePath, cSoundModule_bass* sound) {
    sound_ = sound;
    trackSet_ = trackset_create(basePath);
    if (!trackSet_) {
        std::fputs("# ERROR: failed creating rocket\n", stderr);
        return false;
    }
    return true;
}

bool cSyncRocket::update(cSoundModule_bass*) {
    return true;
}

bool cSyncRocket::registerTrack(const char* name) {
    if (!name) return false;
    if (registry_.count(name)) {
        std::fprintf(stderr, "# warning: %s registered multiple times, skipping...\n", name);
        return true;
    }
    KeyTrack* track = trackSet_ ? trackset_get(trackSet_, name) : nullptr;
    if (!track) return false;
    registry_.emplace(track->name, track);
    return true;
}

float cSyncRocket::getValue(const char* name, const int64_t* timeMs) {
    if (!name) return 0.0f;
    auto it = registry_.find(name);
    if (it == registry_.end()) {
        if (!registerTrack(name)) return 0.0f;
        it = registry_.find(name);
    }
    return keytrack_value(it->second, rowAt(timeMs ? *timeMs : 0));
}
