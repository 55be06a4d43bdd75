// key_editor.h - demolive's key editor: what the track view shows (which tracks are columns,
// which one is picked, snap and zoom, a value being typed, a selection, the clipboard) and the
// edits its keys ask for, carried out on the timeline text by the editor engine
// (sync/timeline/timeline_edit.h), which rewrites only the lines an edit concerns.
//
// The playhead is the cursor: an edit applies at the playhead's row, snapped to a row, a beat
// or a bar. Everything here is plain data and functions without SDL or GL, so the tests drive
// it as demolive does:
//
//   KeyEditor ed;
//   keyEditorOpen(ed, "timeline/demo.timeline");        // read-only with a reason if it fails
//   keyEditorSetColumns(ed, readThisFrame);             // tracks the drawn scenes read
//   EditorAction a = keyEditorKey(ed, {SDLK_RETURN}, playheadMs);
//   if (a.wrote) reload the tracks from the text;       // the next frame shows the edit
//   if (!a.status.empty()) print "live: ... <status>";
//
// Keys (docs/live.md has the table): , . pick the column; digits - . type a value, Enter sets
// it (Enter alone inserts a key holding the curve's value); Ctrl+Up/Down add or take the step
// (Ctrl+1..4: 0.1, 1, 10, 100); i cycles the interpolation; Delete or x deletes; Alt+Left/Right
// move by the snap; g cycles the snap; v starts or ends a selection; Ctrl+C / Ctrl+V copy and
// paste; Ctrl+Z / Ctrl+Y (or Ctrl+Shift+Z) undo and redo; n / p jump to the next or previous
// key; b adds a bookmark; ' and ; jump to the next or previous bookmark; z / Z zoom.
#pragma once

#include "timeline_edit.h"
#include "track.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class Snap { Row, Beat, Bar };

struct EditorColumn {
    std::string track;
    std::string group;   // the scene that read it this frame, else the section its keys sit in
    bool pinned = false; // picked by name: stays when no scene reads it
};

// A track read while a scene drew, and by which scene (views into the sync source's names and
// the plug-in's, valid for the frame).
struct TrackReader {
    std::string_view track, scene;
};

struct KeyEditor {
    TimelineEditor text;
    bool writable = false;
    std::string readOnlyWhy; // why edits are refused, shown in the view

    std::vector<EditorColumn> columns;
    size_t current = 0; // index into columns
    Snap snap = Snap::Row;
    int rowsPerLine = 1; // zoom: 1, 2, 4 or 8 rows a line of the view
    int stepIndex = 1;   // into kEditorSteps
    std::string typing;  // a value being typed; empty when none

    bool selecting = false; // a selection runs from the anchor to the playhead
    int32_t anchorRow = 0;
    size_t anchorColumn = 0;

    KeyClip clip;
    bool hasClip = false;
    int marksAdded = 0;
};

inline constexpr float kEditorSteps[4] = {0.1f, 1.0f, 10.0f, 100.0f};

struct EditorKeyPress {
    int32_t key = 0; // an SDL keycode
    bool shift = false, ctrl = false, alt = false;
};

struct EditorAction {
    bool handled = false; // the key belongs to the editor; demolive does nothing else with it
    bool wrote = false;   // the timeline file changed: reload its tracks
    bool seek = false;    // jump the playhead to seekMs
    int64_t seekMs = 0;
    std::string status; // for the status line; empty: nothing to say
};

// Opens the timeline text for editing; without it (a release archive, an unreadable file) the
// editor is read-only and says why. Columns, snap and zoom are kept across a reopen.
void keyEditorOpen(KeyEditor& ed, const std::string& path);
// The columns from the tracks the scenes read this frame, in order of first read, then the
// pinned ones; the picked column follows its track by name. Cheap when nothing changed.
void keyEditorSetColumns(KeyEditor& ed, const std::vector<TrackReader>& read);
// Adds `track` as a pinned column and picks it; false with `why` when the name cannot be a
// track name.
bool keyEditorPin(KeyEditor& ed, const std::string& track, std::string& why);
// The picked column's track, or "" when there is none.
const std::string& keyEditorTrack(const KeyEditor& ed);

// The compiled keys of `track` (hand keys and a pulse's) as the player reads them, for
// keytrack_value; no keys when the text has none. Valid until the next edit or reload.
KeyTrack editorCurve(const KeyEditor& ed, const std::string& track);

// The row an edit at `ms` applies to: the playhead's nearest row, snapped.
int32_t editRowAt(const KeyEditor& ed, int64_t ms);
// The millisecond a seek to `row` lands on, so that the playhead reads as that row.
int64_t msOfEditRow(int32_t row);
// Rows one snap step covers: 1, 8 or 32.
int32_t snapRows(Snap snap);
const char* snapName(Snap snap);
const char* interpolationName(int32_t interpolation);

// The selection the next edit applies to: rows [anchor, playhead] of the columns between the
// anchor's and the picked one, or the playhead's row of the picked column.
KeySelection editorSelection(const KeyEditor& ed, int64_t ms);

// Carries out a key. Keys the editor does not use come back with handled = false.
EditorAction keyEditorKey(KeyEditor& ed, const EditorKeyPress& key, int64_t ms);
// Sets the value of the picked track's key at the playhead's row (inserting it): the panel's
// value field, dragged or typed.
EditorAction keyEditorSetValue(KeyEditor& ed, float value, int64_t ms);
// The value field dragged: each step is written (the picture follows the mouse), and the steps
// of one drag undo as one edit; keyEditorEndDrag on release. A row without a key gets one first.
EditorAction keyEditorDragValue(KeyEditor& ed, float value, int64_t ms);
void keyEditorEndDrag(KeyEditor& ed);
// Adds a bookmark at the playhead's row; an empty name makes one ("mark 3").
EditorAction keyEditorAddMark(KeyEditor& ed, const std::string& name, int64_t ms);
