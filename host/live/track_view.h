// track_view.h - the panel's key editor view, drawn with Dear ImGui: the tracks as columns of
// rows around the playhead, grouped by the scene that reads them, with keys, interpolations and
// each track's curve; and the strip under the demo's timeline with the bars around the playhead,
// the music's loudness, the kick and snare onsets and the bookmarks.
#pragma once

#include "key_editor.h"
#include "music_energy.h"
#include "onset_list.h"

#include <cstdint>
#include <string>

struct TrackViewInput {
    const KeyEditor* editor = nullptr;
    const OnsetLists* onsets = nullptr;
    const MusicEnergy* energy = nullptr; // null until decoded
    int64_t timeMs = 0;
};

struct TrackViewRequests {
    bool setValue = false;  // a number typed into the value field: set the key at the playhead
    bool dragValue = false; // the value field dragged to `value`: one undo step per drag
    bool endDrag = false;   // the drag ended
    float value = 0;
    bool pin = false; // a track was named in the field: show it as a column
    std::string pinName;
    bool addMark = false; // a bookmark at the playhead, named in the field (may be empty)
    std::string markName;
};

// The 4 bars around the playhead: beats, loudness, onsets, bookmarks.
void drawNearStrip(const TrackViewInput& in);
// The columns of rows, the value field and the name fields; fills the available region.
void drawTrackView(const TrackViewInput& in, TrackViewRequests& asked);
