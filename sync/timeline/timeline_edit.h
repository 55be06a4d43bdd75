// timeline_edit.h - the timeline editor's engine: edits of keys, pulses and marks that
// rewrite the timeline text, undo and redo, and the file kept in step with the disk.
//
// The text stays the truth. An edit rewrites only the lines it concerns: the word it changes
// in a key's own line (the columns after it kept where the blanks allow), or a new line placed
// in row order in the track's block, or the line it deletes; comments, blank lines and every
// other line stay byte for byte. Positions are written in the form the line (or its neighbour)
// already uses: bars and beats "b24:2", "b24:2.125" between beats, rows or times. Pulse
// statements are edited as statements (range, base, peak), never exploded into keys.
//
// Usage (demolive's track view; tests use a text in memory the same way):
//
//   TimelineEditor ed;
//   if (!editorOpen(ed, "timeline/demo.timeline", error)) ... // read-only view, say why
//   EditResult r = editSetKey(ed, "cam_x", row, 0.5f);     // insert or set, file written
//   if (r.reloaded) ... // the file had changed outside: it was read again first
//   status(r.message);  // "cam_x b24:2 = 0.5 linear (new key)" or why nothing changed
//   editUndo(ed);
//
// Every edit first reads the file: when its content differs from what the editor last read or
// wrote, the outside change is loaded (never overwritten), the undo history is dropped (its
// steps belong to the old text) and the edit applies to the new text, with `reloaded` set. The
// edited text is compiled (timeline.h) before it is written: an edit that would add an error
// (two keys on one row, a pulse ending before it starts) is refused with the compiler's
// message and changes nothing. Then the text is written atomically (timeline_file.h). An edit
// that cannot be written changes nothing either. Undo and redo write the file like any edit;
// undoing every edit gives back the text byte for byte.
//
// Keys are named by track and row; only hand keys (key lines) are edited as keys, the keys a
// pulse makes belong to its statement, which is named by its line (TimelineText lines, from
// 0). An edit named by a line is not made when the file had changed outside (that line may
// hold another statement now): the text is read again and the edit refused, `reloaded` set. A
// selection is rows [fromRow, toRow] of some tracks: the key lines on those rows, and the pulses
// whose range starts on them. The caller converts beats and bars to rows (8 a beat unless the
// text's tempo says otherwise). A track without any line gets its first key at the end of the
// section the caller names ("# ---- <name> ----", normally the scene that reads the track), or at
// the end of the text when there is no such section.
#pragma once

#include "timeline.h"
#include "timeline_text.h"

#include <cstdint>
#include <string>
#include <vector>

// One undo step: lines [first, first + before.size()) of the text before the edit became
// `after`.
struct TextChange {
    size_t first = 0;
    std::vector<std::string> before, after;
    std::string what;    // the edit's message
    std::string gesture; // drags of one key's value: the step the next drag joins
};

struct TimelineEditor {
    std::string path;     // the timeline file; empty while the text lives only in memory
    std::string fileName; // what messages call the text; onset files are found beside it
    TimelineText text;    // the current text, line by line
    Timeline compiled;    // the current text compiled: tracks (hand and pulse keys), marks, errors
    std::string known;    // the file's content as last read or written
    std::vector<TextChange> undo, redo;
};

struct EditResult {
    bool applied = false;  // the text changed (and, with a file, was written)
    bool reloaded = false; // the file had changed outside and was read again before the edit
    std::string message;   // what the edit did, or why it did nothing
    int line = -1;         // the first line the edit wrote (from 0), -1 when none
};

struct KeySelection {
    std::vector<std::string> tracks;
    int32_t fromRow = 0, toRow = 0; // both included
};

// What copyKeys took: key lines as values, pulses as their statement's text.
struct ClipItem {
    size_t track = 0;            // index into KeyClip::tracks
    int32_t row = 0;             // rows after the selection's first row (a pulse's from row)
    bool pulse = false;          //
    float value = 0;             // a key
    int32_t interpolation = 0;   // a key
    std::string statement;       // a pulse: its words as written, without comment or line end
    std::vector<TextWord> words; // a pulse: the words of `statement`
    int32_t toRow = 0;           // a pulse: the end of its range, after the selection's first row
};
struct KeyClip {
    std::vector<std::string> tracks; // the selection's tracks, in its order
    std::vector<ClipItem> items;
};

// ---- the text and its file ------------------------------------------------------------------

// Reads and scans the file at `path`. False with `error` set when it cannot be read (`ed` is
// then empty: nothing to edit). A text with compile errors opens; its errors are in
// ed.compiled, and edits may not add to them.
bool editorOpen(TimelineEditor& ed, const std::string& path, std::string& error);
// Edits `text` in memory only; `fileName` names it in messages and places its onset file.
void editorUseText(TimelineEditor& ed, const std::string& text, const std::string& fileName);
// The current text.
std::string editorText(const TimelineEditor& ed);
// Reads the file again when its content changed outside (what every edit does first); true
// when it did. False without a reload, and with `error` set when the file cannot be read.
bool editorCheckFile(TimelineEditor& ed, std::string& error);

// ---- keys -----------------------------------------------------------------------------------

// Sets the value (and, when `interpolation` is 0..3, the interpolation) of the key of `track`
// at `row`, or inserts that key: in row order inside the track's block, or as a new block at
// the end of `section` when the track has no lines yet. A new key without an interpolation
// takes the one of the key before it on the track (the segment it splits keeps its shape),
// else of the key after it, else step.
EditResult editSetKey(TimelineEditor& ed, const std::string& track, int32_t row, float value,
                      int32_t interpolation = -1, const std::string& section = {});
// Sets the value of an existing key while it is dragged: drags of one key that follow each
// other are one undo step (each still written, so the picture follows), until another edit or
// editEndGesture (on releasing the mouse) ends the gesture.
EditResult editDragValue(TimelineEditor& ed, const std::string& track, int32_t row, float value);
void editEndGesture(TimelineEditor& ed);
EditResult editSetInterpolation(TimelineEditor& ed, const std::string& track, int32_t row,
                                int32_t interpolation);
// step -> linear -> smooth -> ramp -> step.
EditResult editCycleInterpolation(TimelineEditor& ed, const std::string& track, int32_t row);
EditResult editDeleteKey(TimelineEditor& ed, const std::string& track, int32_t row);

// ---- selections -----------------------------------------------------------------------------

// The key and pulse lines in `selection`, in text order.
std::vector<int> selectedLines(const TimelineEditor& ed, const KeySelection& selection);
// Moves the selection by `rows` (negative: earlier). A line whose new row leaves its track's
// row order moves to its place in the block; the others change only their position words.
EditResult editMove(TimelineEditor& ed, const KeySelection& selection, int32_t rows);
// Adds `delta` to the values of the selection's keys and to its pulses' base and peak.
EditResult editShift(TimelineEditor& ed, const KeySelection& selection, double delta);
KeyClip copyKeys(const TimelineEditor& ed, const KeySelection& selection);
// Pastes `clip` with its first row at `row`, the clip's tracks onto `tracks` (as many, in the
// same order; the same tracks or others). A key lands on an existing key line of its row (its
// value and interpolation set) or on a new line; a pulse becomes a new statement for its
// target track. `section` places tracks without lines, as for editSetKey.
EditResult editPaste(TimelineEditor& ed, const KeyClip& clip,
                     const std::vector<std::string>& tracks, int32_t row,
                     const std::string& section = {});

// ---- pulses, marks, lines -------------------------------------------------------------------

// Rewrites the pulse statement on `line`: its range [fromRow, toRow) and its base and peak.
// Its hits, attack, decay and shape stay as written.
EditResult editSetPulse(TimelineEditor& ed, int line, int32_t fromRow, int32_t toRow, float base,
                        float peak);
// The keys the pulse on `line` compiles to on its own (pulse.h), to be shown; empty with
// `error` set when the line is no pulse or does not compile.
std::vector<TrackKey> pulseKeys(const TimelineEditor& ed, int line, std::string& error);
// Adds `mark POSITION "name"` at `row`: among the marks in row order, or, for the first one,
// after the tempo and onsets statements at the top. Runs of blanks in `name` become one space.
EditResult editAddMark(TimelineEditor& ed, int32_t row, const std::string& name);
// Deletes the key, pulse or mark statement on `line`.
EditResult editDeleteLine(TimelineEditor& ed, int line);

// ---- history --------------------------------------------------------------------------------

EditResult editUndo(TimelineEditor& ed);
EditResult editRedo(TimelineEditor& ed);
