// live_sync.h - the development player's sync source: every track compiled in memory from the
// timeline text, and compiled again when the text changes.
//
// load() reads and compiles the whole text with the timeline library (sync/timeline) and, only when
// it has no error, swaps the new tracks in for the old ones in one step; with an error the last
// good tracks stay and the messages ("file:line: what") come back. The player calls it between
// frames, so a frame never mixes two timelines. Until a timeline has loaded once, tracks are
// read from the compiled files in data/sync/ as the player reads them (a release archive has no
// timeline text).
//
// Evaluation is the player's: 145 BPM, 8 rows a beat, keytrack_value on the keys. Names no
// track has read 0, as a missing track file does. For the panel, the source remembers which
// tracks were read since beginFrame, and with a solo scene set it reads 1 for that scene's
// visibility track and 0 for every other scene's.
#pragma once

#include "isync.h"
#include "track.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class cSyncRocket;

struct LiveTrack {
    std::string name;
    std::vector<TrackKey> keys;
    KeyTrack view; // points into name and keys, for keytrack_value
    uint32_t readInFrame = 0;
};

// Where a scene's visibility track is above 0: [fromMs, toMs), toMs -1 when it never ends.
struct SceneSpan {
    std::string scene;
    int64_t fromMs, toMs;
};

class LiveSync final : public iSync {
  public:
    LiveSync();
    ~LiveSync();

    // True and `trackCount` set when the text compiled and its tracks are now in use; false
    // with `error` set (one message a line) when it could not be read or has errors.
    bool load(const std::string& path, std::string& error, size_t& trackCount);
    bool loaded() const { return loaded_; }
    // The onset file the text's onsets statement names (empty without one): pulses compile
    // from it, so a change to it must reload the timeline too. Known from the last load that
    // got as far as that statement, even a failed one, so fixing the file is noticed.
    const std::string& onsetFile() const { return onsetFile_; }

    float getValue(const char* name, const int64_t* timeMs) override;

    // The scenes' visibility tracks, for the solo and the spans.
    void setSceneNames(const std::vector<std::string>& names) { sceneNames_ = names; }
    void setSolo(const std::string& scene) { solo_ = scene; }
    const std::string& solo() const { return solo_; }

    void beginFrame() {
        ++frame_;
        readThisFrame_.clear();
        readers_.clear();
        reader_ = nullptr;
    }
    // Only reads while recording is on are listed: the player turns it on while a scene
    // renders, so dispatch's look at every scene's visibility is left out.
    void setRecording(bool on) { recording_ = on; }
    // Tracks of the timeline read since beginFrame, in order of first read, and beside each the
    // scene that read it first (the name last given to setReader; null before any).
    const std::vector<const LiveTrack*>& readThisFrame() const { return readThisFrame_; }
    const std::vector<const char*>& readersThisFrame() const { return readers_; }
    void setReader(const char* scene) { reader_ = scene; }
    const LiveTrack* find(std::string_view name) const;
    // The value of `track` at `ms`, as getValue gives it.
    static float valueAt(const LiveTrack& track, int64_t ms);

    // Every span of every scene, in time order.
    std::vector<SceneSpan> spans() const;

  private:
    bool isSceneName(std::string_view name) const;

    std::vector<std::unique_ptr<LiveTrack>> tracks_;
    std::unordered_map<std::string_view, LiveTrack*> byName_; // keys view the tracks' names
    std::vector<const LiveTrack*> readThisFrame_;
    std::vector<const char*> readers_; // beside readThisFrame_
    const char* reader_ = nullptr;
    std::vector<std::string> sceneNames_;
    std::string solo_;
    uint32_t frame_ = 1;
    bool recording_ = true;
    bool loaded_ = false;
    std::string onsetFile_;
    std::unique_ptr<cSyncRocket> files_; // data/sync/, until a timeline loads
};

// The spans of one visibility track: where it is above 0. A segment whose interpolation
// slides from 0 or below up to a positive key counts from its start.
std::vector<SceneSpan> spansOfTrack(const std::string& scene, const std::vector<TrackKey>& keys);
