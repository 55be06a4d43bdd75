// key_editor.cpp - see key_editor.h.
#include "key_editor.h"

#include "sync_grid.h"
#include "track.h"
#include "transport.h"

#include <SDL_keycode.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

const std::string kNoTrack;

const TrackKey* keyAt(const KeyEditor& ed, const std::string& track, int32_t row) {
    const KeyTrack curve = editorCurve(ed, track);
    for (int32_t i = 0; i < curve.key_count; ++i)
        if (curve.keys[i].row == row) return &curve.keys[i];
    return nullptr;
}

// The pulse statement that makes the picked track's value at `row`, when no hand key sits
// there: keys a pulse makes are edited through their statement, never one by one.
int pulseLineAt(const KeyEditor& ed, const std::string& track, int32_t row) {
    if (findKeyLine(ed.text.text, track, row) >= 0) return -1;
    return findPulseLine(ed.text.text, track, row);
}

std::string pulseStatus(const KeyEditor& ed, int line, const EditResult& r) {
    if (!r.applied || line < 0 || size_t(line) >= ed.text.text.lines.size())
        return "edit " + r.message;
    const TimelineLine& l = ed.text.text.lines[size_t(line)];
    char values[64];
    std::snprintf(values, sizeof values, " base %g peak %g", double(l.value), double(l.peak));
    return "edit pulse " + l.track + " of line " + std::to_string(line + 1) + " rows " +
           std::to_string(l.row) + "-" + std::to_string(l.toRow) + values + " (" + r.message + ")";
}

// The section a new block of `track` goes to: the scene that reads it.
std::string sectionFor(const KeyEditor& ed, const std::string& track) {
    for (const EditorColumn& c : ed.columns)
        if (c.track == track) return c.group;
    return {};
}

std::string numberText(float v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", double(v));
    return text;
}

// "edit vol_lightits row 768 b24:0.00 = 2.5 linear (new key)": the track, the row and what it
// holds now, then what the engine said it did.
std::string keyStatus(const KeyEditor& ed, const std::string& track, int32_t row,
                      const EditResult& r) {
    std::string s =
        "edit " + track + " row " + std::to_string(row) + " " + barBeatText(msOfEditRow(row));
    if (const TrackKey* k = keyAt(ed, track, row))
        s += " = " + numberText(k->value) + " " + interpolationName(k->interpolation);
    else
        s += " no key";
    return s + " (" + r.message + ")";
}

EditorAction outcome(const EditResult& r, std::string status) {
    EditorAction a;
    a.handled = true;
    a.wrote = r.applied;
    a.status = r.applied ? std::move(status) : "edit refused: " + r.message;
    if (r.reloaded) a.status += " [the file had changed on disk and was read again first]";
    return a;
}

EditorAction refusal(const std::string& why) {
    EditorAction a;
    a.handled = true;
    a.status = "edit refused: " + why;
    return a;
}

bool isTypingKey(const EditorKeyPress& k, bool typing) {
    if (k.ctrl || k.alt) return false;
    if ((k.key >= SDLK_0 && k.key <= SDLK_9) || k.key == SDLK_MINUS) return true;
    if (k.key >= SDLK_KP_1 && k.key <= SDLK_KP_0) return true;
    return typing && (k.key == SDLK_PERIOD || k.key == SDLK_KP_PERIOD || k.key == SDLK_BACKSPACE);
}

char typedChar(int32_t key) {
    if (key >= SDLK_0 && key <= SDLK_9) return char('0' + (key - SDLK_0));
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return char('1' + (key - SDLK_KP_1));
    if (key == SDLK_KP_0) return '0';
    if (key == SDLK_MINUS || key == SDLK_KP_MINUS) return '-';
    return '.';
}

EditorAction typeKey(KeyEditor& ed, const EditorKeyPress& k) {
    EditorAction a;
    a.handled = true;
    if (k.key == SDLK_BACKSPACE) {
        if (!ed.typing.empty()) ed.typing.pop_back();
    } else if (ed.typing.size() < 24) {
        ed.typing += typedChar(k.key);
    }
    a.status = ed.typing.empty() ? "value: cancelled" : "value: " + ed.typing;
    return a;
}

// Enter: the typed value, or a key holding the curve's value where there is none yet.
EditorAction enterKey(KeyEditor& ed, int64_t ms) {
    const std::string& track = keyEditorTrack(ed);
    const int32_t row = editRowAt(ed, ms);
    if (const int line = pulseLineAt(ed, track, row); line >= 0) {
        ed.typing.clear();
        return refusal(track + " row " + std::to_string(row) + " is made by the pulse of line " +
                       std::to_string(line + 1) +
                       ": Ctrl+Up/Down shift its base and peak, Alt+Left/Right move it, Delete "
                       "removes it");
    }
    if (!ed.typing.empty()) {
        const std::string typed = ed.typing;
        ed.typing.clear();
        char* end = nullptr;
        const float v = std::strtof(typed.c_str(), &end);
        if (end == typed.c_str() || *end || !std::isfinite(v))
            return refusal("\"" + typed + "\" is not a number");
        return keyEditorSetValue(ed, v, ms);
    }
    if (keyAt(ed, track, row))
        return refusal(track + " already has a key on row " + std::to_string(row) +
                       ": type a value, or Ctrl+Up/Down");
    const KeyTrack curve = editorCurve(ed, track);
    return keyEditorSetValue(ed, keytrack_value(&curve, double(row)), ms);
}

EditorAction shiftKeys(KeyEditor& ed, int64_t ms, double delta) {
    const KeySelection sel = editorSelection(ed, ms);
    if (const int line = ed.selecting ? -1 : pulseLineAt(ed, sel.tracks[0], sel.fromRow);
        line >= 0) {
        const TimelineLine l = ed.text.text.lines[size_t(line)];
        const EditResult r = editSetPulse(ed.text, line, l.row, l.toRow, float(l.value + delta),
                                          float(l.peak + delta));
        return outcome(r, pulseStatus(ed, line, r));
    }
    const EditResult r = editShift(ed.text, sel, delta);
    if (sel.tracks.size() == 1 && sel.fromRow == sel.toRow)
        return outcome(r, keyStatus(ed, sel.tracks[0], sel.fromRow, r));
    return outcome(r, "edit " + r.message);
}

EditorAction moveKeys(KeyEditor& ed, int64_t ms, int direction) {
    const KeySelection sel = editorSelection(ed, ms);
    const int32_t rows = snapRows(ed.snap) * direction;
    if (const int line = ed.selecting ? -1 : pulseLineAt(ed, sel.tracks[0], sel.fromRow);
        line >= 0) {
        const TimelineLine l = ed.text.text.lines[size_t(line)];
        const EditResult r =
            editSetPulse(ed.text, line, l.row + rows, l.toRow + rows, l.value, l.peak);
        EditorAction a = outcome(r, pulseStatus(ed, line, r));
        if (r.applied) {
            a.seek = true;
            a.seekMs = msOfEditRow(sel.fromRow + rows);
        }
        return a;
    }
    const EditResult r = editMove(ed.text, sel, rows);
    EditorAction a = outcome(r, "edit " + r.message);
    if (r.applied && !ed.selecting) {
        // The playhead follows a single key, so the next nudge finds it.
        a.seek = true;
        a.seekMs = msOfEditRow(sel.fromRow + rows);
    } else if (r.applied) {
        ed.anchorRow += rows;
        a.seek = true;
        a.seekMs = msOfEditRow(editRowAt(ed, ms) + rows);
    }
    return a;
}

// The next (direction > 0) or previous key of the picked track from the playhead's row.
EditorAction jumpKey(const KeyEditor& ed, int64_t ms, int direction) {
    EditorAction a;
    a.handled = true;
    const std::string& track = keyEditorTrack(ed);
    auto it = ed.text.compiled.tracks.find(track);
    const int32_t row = int32_t(std::llround(trackRowAtMs(ms)));
    const TrackKey* pick = nullptr;
    if (it != ed.text.compiled.tracks.end()) {
        for (const TrackKey& k : it->second) {
            if (direction > 0 && k.row > row) {
                pick = &k;
                break;
            }
            if (direction < 0 && k.row < row) pick = &k;
        }
    }
    if (!pick) {
        a.status = "no " + std::string(direction > 0 ? "next" : "previous") + " key on " +
                   (track.empty() ? "(no track)" : track);
        return a;
    }
    a.seek = true;
    a.seekMs = msOfEditRow(pick->row);
    a.status = "key " + track + " row " + std::to_string(pick->row) + " = " +
               numberText(pick->value) + " " + interpolationName(pick->interpolation);
    return a;
}

EditorAction jumpMark(const KeyEditor& ed, int64_t ms, int direction) {
    EditorAction a;
    a.handled = true;
    const int32_t row = int32_t(std::llround(trackRowAtMs(ms)));
    const TimelineMark* pick = nullptr;
    for (const TimelineMark& m : ed.text.compiled.marks) {
        const bool after = direction > 0 ? m.row > row : m.row < row;
        if (!after) continue;
        if (!pick || (direction > 0 ? m.row < pick->row : m.row > pick->row)) pick = &m;
    }
    if (!pick) {
        a.status = std::string("no ") + (direction > 0 ? "next" : "previous") + " bookmark";
        return a;
    }
    a.seek = true;
    a.seekMs = msOfEditRow(pick->row);
    a.status = "bookmark \"" + pick->name + "\"";
    return a;
}

EditorAction pickColumn(KeyEditor& ed, int direction) {
    EditorAction a;
    a.handled = true;
    if (ed.columns.empty()) {
        a.status = "no tracks to pick: no scene reads any here";
        return a;
    }
    const size_t n = ed.columns.size();
    ed.current = (ed.current + n + size_t(direction)) % n;
    a.status = "track " + ed.columns[ed.current].track + " (" + ed.columns[ed.current].group + ")";
    return a;
}

EditorAction paste(KeyEditor& ed, int64_t ms) {
    if (!ed.hasClip) return refusal("nothing copied");
    std::vector<std::string> targets;
    // The clip's tracks land on the picked column and those after it, in order.
    for (size_t i = 0; i < ed.clip.tracks.size(); ++i) {
        const size_t c = ed.current + i;
        if (c >= ed.columns.size()) return refusal("not enough columns after the picked one");
        targets.push_back(ed.columns[c].track);
    }
    const EditResult r =
        editPaste(ed.text, ed.clip, targets, editRowAt(ed, ms), sectionFor(ed, targets[0]));
    return outcome(r, "edit " + r.message);
}

// Keys that change the text: refused while the view is read-only.
bool editsText(const EditorKeyPress& k) {
    switch (k.key) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
    case SDLK_i:
    case SDLK_DELETE:
    case SDLK_x:
    case SDLK_b:
        return !k.ctrl && !k.alt;
    case SDLK_UP:
    case SDLK_DOWN:
    case SDLK_v:
    case SDLK_z:
    case SDLK_y:
        return k.ctrl;
    case SDLK_LEFT:
    case SDLK_RIGHT:
        return k.alt;
    default:
        return false;
    }
}

// Of those, the ones that work on the picked track (undo, redo and bookmarks do not).
bool needsTrack(const EditorKeyPress& k) {
    return editsText(k) && k.key != SDLK_b && k.key != SDLK_z && k.key != SDLK_y;
}

} // namespace

const char* snapName(Snap snap) {
    switch (snap) {
    case Snap::Beat:
        return "beat";
    case Snap::Bar:
        return "bar";
    default:
        return "row";
    }
}

const char* interpolationName(int32_t interpolation) {
    switch (interpolation) {
    case INTERP_LINEAR:
        return "linear";
    case INTERP_SMOOTH:
        return "smooth";
    case INTERP_RAMP:
        return "ramp";
    default:
        return "step";
    }
}

KeyTrack editorCurve(const KeyEditor& ed, const std::string& track) {
    // keytrack_value only reads through the view; the casts satisfy the C struct's fields.
    auto it = ed.text.compiled.tracks.find(track);
    if (it == ed.text.compiled.tracks.end())
        return KeyTrack{const_cast<char*>(track.c_str()), nullptr, 0};
    return KeyTrack{const_cast<char*>(track.c_str()), const_cast<TrackKey*>(it->second.data()),
                    int32_t(it->second.size())};
}

int32_t snapRows(Snap snap) {
    const int32_t beat = int32_t(kRowsPerBeat);
    return snap == Snap::Row ? 1 : snap == Snap::Beat ? beat : beat * int32_t(kBeatsPerBar);
}

int32_t editRowAt(const KeyEditor& ed, int64_t ms) {
    const double row = trackRowAtMs(ms);
    const double unit = double(snapRows(ed.snap));
    return int32_t(std::llround(row / unit) * int64_t(unit));
}

int64_t msOfEditRow(int32_t row) {
    return std::llround(msAtRow(double(row)));
}

void keyEditorOpen(KeyEditor& ed, const std::string& path) {
    std::string error;
    ed.writable = editorOpen(ed.text, path, error);
    ed.readOnlyWhy.clear();
    if (!ed.writable)
        ed.readOnlyWhy = "no timeline text to edit (" + error +
                         "); the tracks come from data/sync/, so the view is read-only";
    ed.typing.clear();
    ed.selecting = false;
}

void keyEditorSetColumns(KeyEditor& ed, const std::vector<TrackReader>& read) {
    // Unchanged list: nothing to do (the usual case, frame after frame).
    size_t unpinned = 0;
    for (const EditorColumn& c : ed.columns) unpinned += c.pinned ? 0 : 1;
    if (unpinned == read.size()) {
        bool same = true;
        for (size_t i = 0, j = 0; i < ed.columns.size() && same; ++i) {
            if (ed.columns[i].pinned) continue;
            same = ed.columns[i].track == read[j].track && ed.columns[i].group == read[j].scene;
            ++j;
        }
        if (same) return;
    }
    const std::string picked = keyEditorTrack(ed);
    std::vector<EditorColumn> columns;
    for (const TrackReader& r : read) {
        std::string group(r.scene);
        if (group.empty()) {
            const int s = sectionOfTrack(ed.text.text, std::string(r.track));
            group = s >= 0 ? ed.text.text.sections[size_t(s)].name : "other";
        }
        columns.push_back({std::string(r.track), group, false});
    }
    for (const EditorColumn& c : ed.columns) {
        if (!c.pinned) continue;
        bool shown = false;
        for (EditorColumn& n : columns)
            if (n.track == c.track) shown = n.pinned = true;
        if (!shown) columns.push_back(c);
    }
    ed.columns.swap(columns);
    ed.current = 0;
    for (size_t i = 0; i < ed.columns.size(); ++i)
        if (ed.columns[i].track == picked) ed.current = i;
    if (ed.anchorColumn >= ed.columns.size()) ed.anchorColumn = ed.current;
}

bool keyEditorPin(KeyEditor& ed, const std::string& track, std::string& why) {
    why = trackNameProblem(track);
    if (!why.empty()) return false;
    for (size_t i = 0; i < ed.columns.size(); ++i)
        if (ed.columns[i].track == track) {
            ed.columns[i].pinned = true;
            ed.current = i;
            return true;
        }
    const int s = sectionOfTrack(ed.text.text, track);
    ed.columns.push_back(
        {track, s >= 0 ? ed.text.text.sections[size_t(s)].name : std::string("picked"), true});
    ed.current = ed.columns.size() - 1;
    return true;
}

const std::string& keyEditorTrack(const KeyEditor& ed) {
    return ed.current < ed.columns.size() ? ed.columns[ed.current].track : kNoTrack;
}

KeySelection editorSelection(const KeyEditor& ed, int64_t ms) {
    KeySelection sel;
    const int32_t row = editRowAt(ed, ms);
    if (!ed.selecting || ed.columns.empty()) {
        if (!keyEditorTrack(ed).empty()) sel.tracks.push_back(keyEditorTrack(ed));
        sel.fromRow = sel.toRow = row;
        return sel;
    }
    const size_t a = std::min(ed.anchorColumn, ed.columns.size() - 1);
    for (size_t c = std::min(a, ed.current); c <= std::max(a, ed.current); ++c)
        sel.tracks.push_back(ed.columns[c].track);
    sel.fromRow = std::min(ed.anchorRow, row);
    sel.toRow = std::max(ed.anchorRow, row);
    return sel;
}

EditorAction keyEditorSetValue(KeyEditor& ed, float value, int64_t ms) {
    if (!ed.writable) return refusal(ed.readOnlyWhy);
    const std::string& track = keyEditorTrack(ed);
    if (track.empty()) return refusal("no track picked");
    const int32_t row = editRowAt(ed, ms);
    const EditResult r = editSetKey(ed.text, track, row, value, -1, sectionFor(ed, track));
    return outcome(r, keyStatus(ed, track, row, r));
}

EditorAction keyEditorDragValue(KeyEditor& ed, float value, int64_t ms) {
    if (!ed.writable) return refusal(ed.readOnlyWhy);
    const std::string& track = keyEditorTrack(ed);
    if (track.empty()) return refusal("no track picked");
    const int32_t row = editRowAt(ed, ms);
    if (findKeyLine(ed.text.text, track, row) < 0) return keyEditorSetValue(ed, value, ms);
    const EditResult r = editDragValue(ed.text, track, row, value);
    return outcome(r, keyStatus(ed, track, row, r));
}

void keyEditorEndDrag(KeyEditor& ed) {
    editEndGesture(ed.text);
}

EditorAction keyEditorAddMark(KeyEditor& ed, const std::string& name, int64_t ms) {
    if (!ed.writable) return refusal(ed.readOnlyWhy);
    const int32_t row = editRowAt(ed, ms);
    const std::string shown = name.empty() ? "mark " + std::to_string(++ed.marksAdded) : name;
    const EditResult r = editAddMark(ed.text, row, shown);
    return outcome(r, "edit " + r.message);
}

EditorAction keyEditorKey(KeyEditor& ed, const EditorKeyPress& k, int64_t ms) {
    EditorAction a;
    const bool typing = !ed.typing.empty();
    if (isTypingKey(k, typing)) return typeKey(ed, k);
    if (typing && k.key == SDLK_ESCAPE) {
        ed.typing.clear();
        a.handled = true;
        a.status = "value: cancelled";
        return a;
    }
    if (editsText(k) && !ed.writable) return refusal(ed.readOnlyWhy);
    const std::string& track = keyEditorTrack(ed);
    if (needsTrack(k) && track.empty()) return refusal("no track picked");

    switch (k.key) {
    case SDLK_COMMA:
    case SDLK_PERIOD:
        if (k.ctrl || k.alt) return a;
        return pickColumn(ed, k.key == SDLK_PERIOD ? 1 : -1);
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return enterKey(ed, ms);
    case SDLK_i: {
        if (k.ctrl || k.alt) return a;
        const int32_t row = editRowAt(ed, ms);
        const EditResult r = editCycleInterpolation(ed.text, track, row);
        return outcome(r, keyStatus(ed, track, row, r));
    }
    case SDLK_DELETE:
    case SDLK_x: {
        if (k.ctrl || k.alt) return a;
        const KeySelection sel = editorSelection(ed, ms);
        if (const int line = ed.selecting ? -1 : pulseLineAt(ed, track, sel.fromRow); line >= 0) {
            const EditResult r = editDeleteLine(ed.text, line);
            return outcome(r, "edit deleted the pulse of line " + std::to_string(line + 1) + " (" +
                                  r.message + ")");
        }
        if (!ed.selecting) {
            const EditResult r = editDeleteKey(ed.text, track, sel.fromRow);
            return outcome(r, keyStatus(ed, track, sel.fromRow, r));
        }
        // A selection: its lines, last first, so earlier line numbers stay true; one undo each.
        std::vector<int> lines = selectedLines(ed.text, sel);
        if (lines.empty()) return refusal("no keys in the selection");
        EditResult last;
        for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
            last = editDeleteLine(ed.text, *it);
            if (!last.applied) break;
        }
        return outcome(last, "edit deleted " + std::to_string(lines.size()) + " lines");
    }
    case SDLK_UP:
    case SDLK_DOWN:
        if (!k.ctrl) return a;
        return shiftKeys(ed, ms, (k.key == SDLK_UP ? 1.0 : -1.0) * kEditorSteps[ed.stepIndex]);
    case SDLK_LEFT:
    case SDLK_RIGHT:
        if (!k.alt) return a;
        return moveKeys(ed, ms, k.key == SDLK_RIGHT ? 1 : -1);
    case SDLK_1:
    case SDLK_2:
    case SDLK_3:
    case SDLK_4:
        if (!k.ctrl) return a;
        ed.stepIndex = int(k.key - SDLK_1);
        a.handled = true;
        a.status = "step " + numberText(kEditorSteps[ed.stepIndex]);
        return a;
    case SDLK_g:
        if (k.ctrl || k.alt) return a;
        ed.snap = ed.snap == Snap::Row ? Snap::Beat : ed.snap == Snap::Beat ? Snap::Bar : Snap::Row;
        a.handled = true;
        a.status = std::string("snap ") + snapName(ed.snap);
        return a;
    case SDLK_z:
        if (k.ctrl) {
            const EditResult r = k.shift ? editRedo(ed.text) : editUndo(ed.text);
            return outcome(r, "edit " + r.message);
        }
        if (k.alt) return a;
        ed.rowsPerLine =
            k.shift ? std::min(ed.rowsPerLine * 2, 8) : std::max(ed.rowsPerLine / 2, 1);
        a.handled = true;
        a.status = "zoom " + std::to_string(ed.rowsPerLine) + " rows a line";
        return a;
    case SDLK_y: {
        if (!k.ctrl) return a;
        const EditResult r = editRedo(ed.text);
        return outcome(r, "edit " + r.message);
    }
    case SDLK_v:
        if (k.ctrl) return paste(ed, ms);
        if (k.alt) return a;
        ed.selecting = !ed.selecting;
        ed.anchorRow = editRowAt(ed, ms);
        ed.anchorColumn = ed.current;
        a.handled = true;
        a.status =
            ed.selecting ? "selection from row " + std::to_string(ed.anchorRow) : "selection off";
        return a;
    case SDLK_c: {
        if (!k.ctrl) return a;
        const KeySelection sel = editorSelection(ed, ms);
        ed.clip = copyKeys(ed.text, sel);
        ed.hasClip = !ed.clip.items.empty();
        a.handled = true;
        a.status = "copied " + std::to_string(ed.clip.items.size()) + " keys and pulses";
        return a;
    }
    case SDLK_n:
    case SDLK_p:
        if (k.ctrl || k.alt) return a;
        return jumpKey(ed, ms, k.key == SDLK_n ? 1 : -1);
    case SDLK_b:
        if (k.ctrl || k.alt) return a;
        return keyEditorAddMark(ed, {}, ms);
    case SDLK_QUOTE:
    case SDLK_SEMICOLON:
        if (k.ctrl || k.alt) return a;
        return jumpMark(ed, ms, k.key == SDLK_QUOTE ? 1 : -1);
    default:
        return a;
    }
}
