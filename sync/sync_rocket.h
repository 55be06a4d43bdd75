// sync_rocket.h - the sync source: named keyed tracks at the music time.
//
// The host makes one, calls init with "data\sync\" and the sound module, update once a frame,
// and hands it to scenes as iSync. getValue converts the time to rows of the soundtrack's grid
// (145 beats per minute, 8 rows per beat) and evaluates the named track. A name is looked up
// in a hash map; on its first request the track is read from disk (track.h) and remembered,
// also when its file is missing (it then reads 0 everywhere), so each name touches the disk
// once. Lookups of remembered names allocate nothing.
#pragma once

#include "isync.h"
#include "sync_grid.h"
#include "track.h"

#include <string_view>
#include <unordered_map>

class cSoundModule_bass;

// The compiled tracks' folder, relative to the demo's root, as the host gives it to init.
constexpr const char* kSyncPath = "data\\sync\\";

class cSyncRocket final : public iSync {
  public:
    cSyncRocket();
    ~cSyncRocket(); // frees the tracks; the host never destroys its source

    // False (after a line on the standard error) when the track set cannot be made.
    bool init(const char* basePath, cSoundModule_bass* sound);
    bool update(cSoundModule_bass* sound); // once a frame; nothing to do
    bool registerTrack(const char* name);
    float getValue(const char* name, const int64_t* timeMs) override;

    // Rows of the grid at `ms` milliseconds.
    double rowAt(int64_t ms) const { return (double(ms) * row_rate) / 1000.0; }

    const double bpm = 145.0;
    const double rows_per_beat = 8.0;
    const double row_rate; // rows per second

  private:
    cSoundModule_bass* sound_ = nullptr;
    TrackSet* trackSet_ = nullptr;
    // Keys view the tracks' own name copies, which live as long as the set: a lookup by
    // string_view needs no temporary string.
    std::unordered_map<std::string_view, KeyTrack*> registry_;
};
