// live_sync.cpp - see live_sync.h.
#include "live_sync.h"

#include "sync_grid.h"
#include "sync_rocket.h"
#include "timeline.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// As many messages as fit the screen; the count of the rest follows them.
constexpr size_t kShownErrors = 8;

int64_t msOfRow(int32_t row) {
    return int64_t(msAtRow(row) + 0.5);
}

bool readText(const std::string& path, std::string& text, std::string& error) {
    if (readTextFile(path, text)) return true;
    error = path + ": cannot read: " + std::strerror(errno);
    return false;
}

} // namespace

LiveSync::LiveSync() = default;
LiveSync::~LiveSync() = default;

bool LiveSync::load(const std::string& path, std::string& error, size_t& trackCount) {
    error.clear();
    std::string text;
    if (!readText(path, text, error)) return false;
    Timeline timeline;
    const bool parsed = parseTimeline(text, path, timeline);
    if (!timeline.onsetFile.empty()) onsetFile_ = timeline.onsetFile;
    if (!parsed) {
        const size_t count = timeline.errors.size();
        for (size_t i = 0; i < count && i < kShownErrors; ++i)
            error += (i ? "\n" : "") + timeline.errors[i];
        if (count > kShownErrors)
            error += "\n" + path + ": " + std::to_string(count - kShownErrors) + " more errors";
        return false;
    }

    // Built aside in full, then swapped: the old tracks live until the new ones are complete.
    std::vector<std::unique_ptr<LiveTrack>> tracks;
    std::unordered_map<std::string_view, LiveTrack*> byName;
    for (auto& [name, keys] : timeline.tracks) {
        auto track = std::make_unique<LiveTrack>();
        track->name = name;
        track->keys = std::move(keys);
        tracks.push_back(std::move(track));
    }
    for (auto& track : tracks) {
        track->view.name = track->name.data();
        track->view.keys = track->keys.data();
        track->view.key_count = int32_t(track->keys.size());
        byName.emplace(track->name, track.get());
    }
    tracks_.swap(tracks);
    byName_.swap(byName);
    readThisFrame_.clear(); // it pointed into the old tracks
    readers_.clear();
    loaded_ = true;
    files_.reset();
    trackCount = tracks_.size();
    return true;
}

const LiveTrack* LiveSync::find(std::string_view name) const {
    auto it = byName_.find(name);
    return it == byName_.end() ? nullptr : it->second;
}

float LiveSync::valueAt(const LiveTrack& track, int64_t ms) {
    return keytrack_value(&track.view, trackRowAtMs(ms));
}

bool LiveSync::isSceneName(std::string_view name) const {
    for (const std::string& scene : sceneNames_)
        if (scene == name) return true;
    return false;
}

float LiveSync::getValue(const char* name, const int64_t* timeMs) {
    if (!name) return 0.0f;
    if (!solo_.empty() && isSceneName(name)) return solo_ == name ? 1.0f : 0.0f;
    const int64_t ms = timeMs ? *timeMs : 0;
    if (!loaded_) {
        if (!files_) {
            files_ = std::make_unique<cSyncRocket>();
            files_->init(kSyncPath, nullptr);
        }
        return files_->getValue(name, &ms);
    }
    auto it = byName_.find(name);
    if (it == byName_.end()) return 0.0f;
    LiveTrack* track = it->second;
    if (recording_ && track->readInFrame != frame_) {
        track->readInFrame = frame_;
        readThisFrame_.push_back(track);
        readers_.push_back(reader_);
    }
    return valueAt(*track, ms);
}

std::vector<SceneSpan> spansOfTrack(const std::string& scene, const std::vector<TrackKey>& keys) {
    std::vector<SceneSpan> spans;
    const size_t n = keys.size();
    bool open = false;
    int64_t from = 0;
    for (size_t i = 0; i < n; ++i) {
        const TrackKey& key = keys[i];
        const bool rises =
            key.interpolation != INTERP_STEP && i + 1 < n && keys[i + 1].value > 0.0f;
        const bool positive = key.value > 0.0f || rises;
        // Before the first key the track holds the first key's value.
        const int64_t at = i == 0 ? 0 : msOfRow(key.row);
        if (positive && !open) {
            open = true;
            from = i == 0 && key.value > 0.0f ? 0 : msOfRow(key.row);
        } else if (!positive && open) {
            open = false;
            spans.push_back({scene, from, at});
        }
    }
    if (open) spans.push_back({scene, from, -1});
    return spans;
}

std::vector<SceneSpan> LiveSync::spans() const {
    std::vector<SceneSpan> all;
    for (const std::string& scene : sceneNames_) {
        const LiveTrack* track = find(scene);
        if (!track) continue;
        for (SceneSpan& span : spansOfTrack(scene, track->keys)) all.push_back(std::move(span));
    }
    std::stable_sort(all.begin(), all.end(),
                     [](const SceneSpan& a, const SceneSpan& b) { return a.fromMs < b.fromMs; });
    return all;
}
