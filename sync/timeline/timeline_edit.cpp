// timeline_edit.cpp - see timeline_edit.h.
//
// Every edit works on a copy of the scanned text: it replaces words of lines, inserts and
// erases whole lines, and the lines it changed are read again after each step
// (replaceTimelineLines), so later steps see the rows and line numbers as they are now. Only
// when the whole edit is built is it compiled, written and taken, as one undo step (the lines
// between the first and last that changed).
#include "timeline_edit.h"

#include "timeline_file.h"
#include "timeline_words.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <utility>

namespace {

using Build = std::function<bool(TimelineText& w, EditResult& r)>;

// ---- small helpers --------------------------------------------------------------------------

bool isNumberWord(const std::string& word) {
    return !word.empty() && word.find_first_not_of("0123456789+-") == std::string::npos;
}

std::string lineEndOf(const TimelineText& w, const std::string& text) {
    return text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0 ? "\r\n" : w.lineEnd;
}

// `row` as a bar for messages, whatever form the text uses.
std::string barOf(const TimelineText& w, size_t line, int32_t row) {
    return formatPosition(row, gridAt(w, line), FORM_BAR);
}

// The text of `line` with some of its words replaced (word index -> new text).
std::string withWords(const TimelineLine& line, std::vector<std::pair<int, std::string>> edits) {
    std::sort(edits.begin(), edits.end(),
              [](const auto& a, const auto& b) { return a.first > b.first; });
    std::string text = line.text;
    for (const auto& [index, word] : edits) {
        const TextWord& at = line.words[size_t(index)];
        replaceWord(text, at.begin, at.end, word);
    }
    return text;
}

// Inserts whole lines before line `at`; a last line without a line end gets one first.
void insertLines(TimelineText& w, size_t at, const std::vector<std::string>& texts) {
    if (at == w.lines.size() && at > 0 && w.lines[at - 1].text.back() != '\n') {
        std::vector<std::string> ended = {w.lines[at - 1].text + w.lineEnd};
        ended.insert(ended.end(), texts.begin(), texts.end());
        replaceTimelineLines(w, at - 1, 1, ended);
        return;
    }
    replaceTimelineLines(w, at, 0, texts);
}

void eraseLine(TimelineText& w, size_t at) {
    replaceTimelineLines(w, at, 1, {});
}

void setLine(TimelineText& w, size_t at, const std::string& text) {
    replaceTimelineLines(w, at, 1, {text});
}

// Why `track` has no key line at `row`, naming the pulse that writes a key there if one does.
std::string noKey(const TimelineText& w, const std::string& track, int32_t row) {
    const std::string why = "no key of " + track + " at " + barOf(w, w.lines.size(), row);
    const int pulse = findPulseLine(w, track, row);
    return pulse < 0 ? why
                     : why + " to edit: the pulse on line " + std::to_string(pulse + 1) +
                           " writes the keys there (edit the pulse)";
}

// A line number the caller took from the text before an outside change may now be another
// statement: an edit named by its line is not made on the text read again.
std::string lineMoved(int line) {
    return "the file changed outside and was read again; line " + std::to_string(line + 1) +
           " may hold something else now, so it was not edited";
}

bool rowInRange(int64_t row) {
    return row >= INT32_MIN && row <= INT32_MAX;
}

// ---- placing new lines ----------------------------------------------------------------------

// Where a new statement of `track` at `row` goes: after the last line of the track's block
// with an earlier row, else before its first line; for a track without lines, at the end of
// `section` (else of the text) after a blank line. `templ` is a key line to copy the columns
// from (-1: none).
size_t placeFor(const TimelineText& w, const std::string& track, int32_t row,
                const std::string& section, bool& blankBefore, int& templ) {
    blankBefore = false;
    templ = -1;
    const std::vector<int> lines = trackLines(w, track);
    if (!lines.empty()) {
        int after = -1;
        for (int i : lines)
            if (w.lines[size_t(i)].row < row) after = i;
        const size_t at = after >= 0 ? size_t(after) + 1 : size_t(lines[0]);
        // The nearest key line of the track gives the columns.
        long best = -1;
        for (int i : lines)
            if (w.lines[size_t(i)].kind == LINE_KEY &&
                (best < 0 || std::labs(i - long(at)) < std::labs(best - long(at))))
                best = i;
        templ = int(best);
        if (templ < 0) {
            for (size_t i = 0; i < w.lines.size(); ++i)
                if (w.lines[i].kind == LINE_KEY &&
                    w.lines[i].section == w.lines[size_t(lines[0])].section)
                    templ = int(i);
        }
        if (templ < 0)
            for (size_t i = 0; i < w.lines.size() && templ < 0; ++i)
                if (w.lines[i].kind == LINE_KEY) templ = int(i);
        return at;
    }
    const int s = section.empty() ? -1 : findSection(w, section);
    const size_t begin = s >= 0 ? size_t(w.sections[size_t(s)].line) : 0;
    const size_t end = s >= 0 && size_t(s) + 1 < w.sections.size()
                           ? size_t(w.sections[size_t(s) + 1].line)
                           : w.lines.size();
    size_t at = begin;
    for (size_t i = begin; i < end; ++i)
        if (w.lines[i].kind != LINE_BLANK) at = i + 1;
    blankBefore = at > 0 && w.lines[at - 1].kind != LINE_BLANK &&
                  w.lines[at - 1].kind != LINE_COMMENT && w.lines[at - 1].kind != LINE_SECTION;
    for (size_t i = begin; i < at; ++i)
        if (w.lines[i].kind == LINE_KEY) templ = int(i);
    for (size_t i = 0; i < w.lines.size() && templ < 0; ++i)
        if (w.lines[i].kind == LINE_KEY) templ = int(i);
    return at;
}

// A key line for a new key, in the columns and position form of key line `templ`.
std::string keyLine(const TimelineText& w, int templ, const std::string& track, int32_t row,
                    float value, int32_t interpolation, const TimelineGrid& grid) {
    if (templ < 0)
        return track + " " + formatPosition(row, grid, FORM_BAR) + " " + formatValue(value) + " " +
               formatInterpolation(interpolation, false) + w.lineEnd;
    const TimelineLine& t = w.lines[size_t(templ)];
    TimelineLine copy = t;
    copy.text = t.text.substr(0, t.words[3].end);
    std::string text =
        withWords(copy, {{0, track},
                         {1, formatPosition(row, grid, positionForm(t.word(1)))},
                         {2, formatValue(value)},
                         {3, formatInterpolation(interpolation, isNumberWord(t.word(3)))}});
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3); // the first line's mark
    return text + lineEndOf(w, t.text);
}

// Inserts `text` (a statement of `track` at `row`) where placeFor says. Returns its line.
size_t insertStatement(TimelineText& w, const std::string& track, int32_t row,
                       const std::string& section,
                       const std::function<std::string(int templ, const TimelineGrid&)>& make) {
    bool blank = false;
    int templ = -1;
    const size_t at = placeFor(w, track, row, section, blank, templ);
    const std::string text = make(templ, gridAt(w, at));
    if (blank)
        insertLines(w, at, {w.lineEnd, text});
    else
        insertLines(w, at, {text});
    return at + (blank ? 1 : 0);
}

int32_t interpolationAround(const TimelineText& w, const std::string& track, int32_t row) {
    const TimelineLine* before = nullptr;
    const TimelineLine* after = nullptr;
    for (const TimelineLine& l : w.lines) {
        if (l.kind != LINE_KEY || l.track != track) continue;
        if (l.row < row && (!before || l.row > before->row)) before = &l;
        if (l.row > row && (!after || l.row < after->row)) after = &l;
    }
    return before ? before->interpolation : after ? after->interpolation : INTERP_STEP;
}

// The key of `track` at `row` set to `value` (and `interpolation` when 0..3), or a new line.
// Returns the line it wrote.
size_t putKey(TimelineText& w, const std::string& track, int32_t row, float value,
              int32_t interpolation, const std::string& section, bool& inserted) {
    const int found = findKeyLine(w, track, row);
    inserted = found < 0;
    if (found >= 0) {
        const TimelineLine& l = w.lines[size_t(found)];
        std::vector<std::pair<int, std::string>> words = {{2, formatValue(value)}};
        if (interpolation >= 0 && interpolation <= 3 && interpolation != l.interpolation)
            words.push_back({3, formatInterpolation(interpolation, isNumberWord(l.word(3)))});
        if (std::strtof(l.word(2).c_str(), nullptr) == value) words.erase(words.begin());
        setLine(w, size_t(found), withWords(l, words));
        return size_t(found);
    }
    const int32_t how = interpolation >= 0 && interpolation <= 3
                            ? interpolation
                            : interpolationAround(w, track, row);
    return insertStatement(w, track, row, section, [&](int templ, const TimelineGrid& grid) {
        return keyLine(w, templ, track, row, value, how, grid);
    });
}

// Lines of the tracks of `lines` that left their track's row order go to their place in it
// (placeFor), their positions rewritten when the tempo there differs. `lines` follows them.
void keepRowOrder(TimelineText& w, std::vector<int>& lines) {
    for (size_t pass = 0; pass <= lines.size(); ++pass) {
        bool moved = false;
        for (size_t k = 0; k < lines.size(); ++k) {
            const size_t i = size_t(lines[k]);
            const TimelineLine line = w.lines[i];
            const std::vector<int> block = trackLines(w, line.track);
            const size_t p = size_t(std::find(block.begin(), block.end(), int(i)) - block.begin());
            if ((p == 0 || w.lines[size_t(block[p - 1])].row <= line.row) &&
                (p + 1 >= block.size() || line.row <= w.lines[size_t(block[p + 1])].row))
                continue;
            eraseLine(w, i);
            for (int& other : lines)
                if (other > int(i)) --other;
            bool blank = false;
            int templ = -1;
            const size_t at = placeFor(w, line.track, line.row, {}, blank, templ);
            std::string text = line.text;
            if (text.back() != '\n') text += w.lineEnd;
            const TimelineGrid grid = gridAt(w, at);
            if (grid.bpm != line.grid.bpm || grid.rowsPerBeat != line.grid.rowsPerBeat) {
                TimelineLine again = line;
                again.text = text;
                if (line.kind == LINE_KEY)
                    text = withWords(
                        again, {{1, formatPosition(line.row, grid, positionForm(line.word(1)))}});
                else
                    text = withWords(
                        again, {{2, formatPosition(line.row, grid, positionForm(line.word(2)))},
                                {3, formatPosition(line.toRow, grid, positionForm(line.word(3)))}});
            }
            insertLines(w, at, {text});
            for (int& other : lines)
                if (other >= int(at)) ++other;
            lines[k] = int(at);
            moved = true;
        }
        if (!moved) break;
    }
}

std::vector<int> linesIn(const TimelineText& w, const KeySelection& s) {
    std::vector<int> found;
    for (size_t i = 0; i < w.lines.size(); ++i) {
        const TimelineLine& l = w.lines[i];
        if ((l.kind == LINE_KEY || l.kind == LINE_PULSE) && l.row >= s.fromRow &&
            l.row <= s.toRow &&
            std::find(s.tracks.begin(), s.tracks.end(), l.track) != s.tracks.end())
            found.push_back(int(i));
    }
    return found;
}

std::string counted(const TimelineText& w, const std::vector<int>& lines) {
    size_t keys = 0, pulses = 0;
    for (int i : lines) (w.lines[size_t(i)].kind == LINE_KEY ? keys : pulses)++;
    std::string text = std::to_string(keys) + (keys == 1 ? " key" : " keys");
    if (pulses) text += " and " + std::to_string(pulses) + (pulses == 1 ? " pulse" : " pulses");
    return text;
}

// `word` plus `delta` as a value word; false when the sum leaves the float range.
bool shifted(const std::string& word, double delta, std::string& out) {
    const double sum = std::strtod(word.c_str(), nullptr) + delta;
    if (!std::isfinite(sum) || std::fabs(sum) > 3.4028234e38) return false;
    out = formatValue(float(sum));
    return true;
}

// ---- the file and the history ---------------------------------------------------------------

void take(TimelineEditor& ed, const std::string& text) {
    scanTimelineText(text, ed.text);
    ed.compiled = Timeline();
    parseTimeline(text, ed.fileName, ed.compiled);
}

// Before any edit: an outside change to the file is loaded, never overwritten.
bool syncWithFile(TimelineEditor& ed, EditResult& r) {
    if (ed.path.empty()) return true;
    std::string content;
    if (!readTextFile(ed.path, content)) {
        r.message = "cannot read " + ed.path + ": " + std::strerror(errno) + "; nothing changed";
        return false;
    }
    if (content == ed.known) return true;
    take(ed, content);
    ed.known = content;
    ed.undo.clear();
    ed.redo.clear();
    r.reloaded = true;
    return true;
}

// The changed lines between two texts: everything between their common first and last lines.
TextChange changeBetween(const TimelineText& before, const TimelineText& after) {
    const auto& a = before.lines;
    const auto& b = after.lines;
    size_t head = 0;
    while (head < a.size() && head < b.size() && a[head].text == b[head].text) ++head;
    size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head &&
           a[a.size() - 1 - tail].text == b[b.size() - 1 - tail].text)
        ++tail;
    TextChange change;
    change.first = head;
    for (size_t i = head; i < a.size() - tail; ++i) change.before.push_back(a[i].text);
    for (size_t i = head; i < b.size() - tail; ++i) change.after.push_back(b[i].text);
    return change;
}

// Writes `text` (`scanned`, compiled as `compiled`) and makes it the editor's.
bool commit(TimelineEditor& ed, const std::string& text, TimelineText& scanned, Timeline& compiled,
            EditResult& r) {
    std::string error;
    if (!ed.path.empty() && !writeFileAtomic(ed.path, text, error)) {
        r.message = error + "; nothing changed";
        return false;
    }
    if (!ed.path.empty()) ed.known = text;
    ed.text = std::move(scanned);
    ed.compiled = std::move(compiled);
    r.applied = true;
    return true;
}

// `gesture` names edits that are one undo step while they follow each other (the drags of one
// key's value); empty for every other edit.
EditResult runEdit(TimelineEditor& ed, const Build& build, const std::string& gesture = {}) {
    EditResult r;
    if (!syncWithFile(ed, r)) return r;
    TimelineText w = ed.text;
    if (!build(w, r)) return r;
    const std::string text = joinTimelineText(w);
    if (text == joinTimelineText(ed.text)) {
        r.message = "no change (" + r.message + ")";
        r.line = -1;
        return r;
    }
    Timeline compiled;
    parseTimeline(text, ed.fileName, compiled);
    if (compiled.errors.size() > ed.compiled.errors.size()) {
        std::string error = compiled.errors[0];
        for (const std::string& e : compiled.errors)
            if (std::find(ed.compiled.errors.begin(), ed.compiled.errors.end(), e) ==
                ed.compiled.errors.end()) {
                error = e;
                break;
            }
        r.message = "not done, it would be an error: " + error;
        r.line = -1;
        return r;
    }
    TextChange change = changeBetween(ed.text, w);
    change.what = r.message;
    if (!commit(ed, text, w, compiled, r)) {
        r.line = -1;
        return r;
    }
    if (r.line < 0) r.line = int(change.first);
    TextChange* last = ed.undo.empty() ? nullptr : &ed.undo.back();
    if (!gesture.empty() && last && last->gesture == gesture && ed.redo.empty() &&
        last->first == change.first && last->after.size() == change.before.size()) {
        last->after = std::move(change.after); // the step now ends where this edit does
        last->what = change.what;
        return r;
    }
    change.gesture = gesture;
    ed.undo.push_back(std::move(change));
    ed.redo.clear();
    return r;
}

// Undo (`back`) or redo: one step of `from` applied to the text, moved onto `to`.
EditResult step(TimelineEditor& ed, bool back) {
    EditResult r;
    if (!syncWithFile(ed, r)) return r;
    std::vector<TextChange>& from = back ? ed.undo : ed.redo;
    std::vector<TextChange>& to = back ? ed.redo : ed.undo;
    if (from.empty()) {
        r.message = r.reloaded ? "the file changed outside and was read again; nothing to " +
                                     std::string(back ? "undo" : "redo")
                               : "nothing to " + std::string(back ? "undo" : "redo");
        return r;
    }
    const TextChange& change = from.back();
    const std::vector<std::string>& out = back ? change.after : change.before;
    const std::vector<std::string>& in = back ? change.before : change.after;
    TimelineText w = ed.text;
    replaceTimelineLines(w, change.first, out.size(), in);
    const std::string text = joinTimelineText(w);
    Timeline compiled;
    parseTimeline(text, ed.fileName, compiled);
    r.message = (back ? "undo: " : "redo: ") + change.what;
    if (!commit(ed, text, w, compiled, r)) return r;
    r.line = int(change.first);
    to.push_back(change);
    from.pop_back();
    return r;
}

// The key's interpolation set to `choose(its interpolation now)`, read after any reload.
EditResult setInterpolation(TimelineEditor& ed, const std::string& track, int32_t row,
                            const std::function<int32_t(int32_t)>& choose) {
    return runEdit(ed, [&](TimelineText& w, EditResult& r) {
        const int at = findKeyLine(w, track, row);
        if (at < 0) {
            r.message = noKey(w, track, row);
            return false;
        }
        const TimelineLine& l = w.lines[size_t(at)];
        const int32_t interpolation = choose(l.interpolation);
        if (interpolation < 0 || interpolation > 3) {
            r.message = "interpolation must be 0..3 (step, linear, smooth, ramp)";
            return false;
        }
        setLine(w, size_t(at),
                withWords(l, {{3, formatInterpolation(interpolation, isNumberWord(l.word(3)))}}));
        r.line = at;
        r.message = track + " " + barOf(w, size_t(at), row) + " " +
                    formatInterpolation(interpolation, false);
        return true;
    });
}

} // namespace

// ---- the text and its file ------------------------------------------------------------------

bool editorOpen(TimelineEditor& ed, const std::string& path, std::string& error) {
    ed = TimelineEditor();
    std::string content;
    if (!readTextFile(path, content)) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    ed.path = ed.fileName = path;
    ed.known = content;
    take(ed, content);
    return true;
}

void editorUseText(TimelineEditor& ed, const std::string& text, const std::string& fileName) {
    ed = TimelineEditor();
    ed.fileName = fileName;
    take(ed, text);
}

std::string editorText(const TimelineEditor& ed) {
    return joinTimelineText(ed.text);
}

bool editorCheckFile(TimelineEditor& ed, std::string& error) {
    EditResult r;
    if (!syncWithFile(ed, r)) error = r.message;
    return r.reloaded;
}

// ---- keys -----------------------------------------------------------------------------------

EditResult editSetKey(TimelineEditor& ed, const std::string& track, int32_t row, float value,
                      int32_t interpolation, const std::string& section) {
    return runEdit(ed, [&](TimelineText& w, EditResult& r) {
        const std::string problem = trackNameProblem(track);
        if (!problem.empty() || !std::isfinite(value)) {
            r.message = problem.empty() ? "a key's value must be a finite number" : problem;
            return false;
        }
        bool inserted = false;
        const size_t at = putKey(w, track, row, value, interpolation, section, inserted);
        const TimelineLine& l = w.lines[at];
        r.line = int(at);
        r.message = track + " " + barOf(w, at, row) + " = " + l.word(2) + " " +
                    formatInterpolation(l.interpolation, false) + (inserted ? " (new key)" : "");
        return true;
    });
}

EditResult editDragValue(TimelineEditor& ed, const std::string& track, int32_t row, float value) {
    return runEdit(
        ed,
        [&](TimelineText& w, EditResult& r) {
            const int at = findKeyLine(w, track, row);
            if (at < 0 || !std::isfinite(value)) {
                r.message = at < 0 ? noKey(w, track, row) : "a key's value must be a finite number";
                return false;
            }
            const TimelineLine& l = w.lines[size_t(at)];
            setLine(w, size_t(at), withWords(l, {{2, formatValue(value)}}));
            r.line = at;
            r.message = track + " " + barOf(w, size_t(at), row) + " = " + formatValue(value) + " " +
                        formatInterpolation(l.interpolation, false);
            return true;
        },
        "drag " + track + " " + std::to_string(row));
}

void editEndGesture(TimelineEditor& ed) {
    if (!ed.undo.empty()) ed.undo.back().gesture.clear();
}

EditResult editSetInterpolation(TimelineEditor& ed, const std::string& track, int32_t row,
                                int32_t interpolation) {
    return setInterpolation(ed, track, row, [&](int32_t) { return interpolation; });
}

EditResult editCycleInterpolation(TimelineEditor& ed, const std::string& track, int32_t row) {
    return setInterpolation(ed, track, row, [](int32_t now) { return (now + 1) % 4; });
}

EditResult editDeleteKey(TimelineEditor& ed, const std::string& track, int32_t row) {
    return runEdit(ed, [&](TimelineText& w, EditResult& r) {
        const int at = findKeyLine(w, track, row);
        if (at < 0) {
            r.message = noKey(w, track, row);
            return false;
        }
        r.message = track + " " + barOf(w, size_t(at), row) + " deleted";
        r.line = at;
        eraseLine(w, size_t(at));
        return true;
    });
}

// ---- selections -----------------------------------------------------------------------------

std::vector<int> selectedLines(const TimelineEditor& ed, const KeySelection& selection) {
    return linesIn(ed.text, selection);
}

EditResult editMove(TimelineEditor& ed, const KeySelection& selection, int32_t rows) {
    return runEdit(ed, [&](TimelineText& w, EditResult& r) {
        std::vector<int> lines = linesIn(w, selection);
        if (lines.empty()) {
            r.message = "nothing selected";
            return false;
        }
        r.message = "moved " + counted(w, lines) + " by " + std::to_string(rows) + " rows";
        for (int i : lines) {
            const TimelineLine& l = w.lines[size_t(i)];
            if (!rowInRange(int64_t(l.row) + rows) ||
                (l.kind == LINE_PULSE && !rowInRange(int64_t(l.toRow) + rows))) {
                r.message = "a key would move out of the rows -2147483648..2147483647";
                return false;
            }
            const int first = l.kind == LINE_KEY ? 1 : 2;
            std::vector<std::pair<int, std::string>> words = {
                {first, formatPosition(l.row + rows, l.grid, positionForm(l.word(size_t(first))))}};
            if (l.kind == LINE_PULSE)
                words.push_back(
                    {3, formatPosition(l.toRow + rows, l.grid, positionForm(l.word(3)))});
            setLine(w, size_t(i), withWords(l, words));
        }
        keepRowOrder(w, lines);
        r.line = *std::min_element(lines.begin(), lines.end());
        return true;
    });
}

EditResult editShift(TimelineEditor& ed, const KeySelection& selection, double delta) {
    return runEdit(ed, [&](TimelineText& w, EditResult& r) {
        const std::vector<int> lines = linesIn(w, selection);
        if (lines.empty()) {
            r.message = "nothing selected";
            return false;
        }
        for (int i : lines) {
            const TimelineLine& l = w.lines[size_t(i)];
            std::vector<std::pair<int, std::string>> words;
            for (int word : l.kind == LINE_KEY ? std::vector<int>{2}
                                               : std::vector<int>{l.baseWord, l.peakWord}) {
                std::string text;
                if (!shifted(l.word(size_t(word)), delta, text)) {
                    r.message = "a value would leave the range of a float";
                    return false;
                }
                words.push_back({word, text});
            }
            setLine(w, size_t(i), withWords(l, words));
        }
        r.message = "shifted " + counted(w, lines) + " by " + formatValue(float(delta));
        r.line = lines[0];
        return true;
    });
}

KeyClip copyKeys(const TimelineEditor& ed, const KeySelection& selection) {
    KeyClip clip;
    clip.tracks = selection.tracks;
    for (int i : linesIn(ed.text, selection)) {
        const TimelineLine& l = ed.text.lines[size_t(i)];
        ClipItem item;
        item.track = size_t(std::find(clip.tracks.begin(), clip.tracks.end(), l.track) -
                            clip.tracks.begin());
        item.row = int32_t(int64_t(l.row) - selection.fromRow);
        item.pulse = l.kind == LINE_PULSE;
        item.value = l.value;
        item.interpolation = l.interpolation;
        if (item.pulse) {
            // From its first word: neither indentation nor the first line's byte order mark.
            const size_t from = l.words[0].begin;
            item.statement = l.text.substr(from, l.words.back().end - from);
            for (const TextWord& word : l.words)
                item.words.push_back({word.begin - from, word.end - from});
            item.toRow = int32_t(int64_t(l.toRow) - selection.fromRow);
        }
        clip.items.push_back(item);
    }
    return clip;
}

EditResult editPaste(TimelineEditor& ed, const KeyClip& clip,
                     const std::vector<std::string>& tracks, int32_t row,
                     const std::string& section) {
    return runEdit(ed, [&](TimelineText& w, EditResult& r) {
        if (tracks.size() != clip.tracks.size() || clip.items.empty()) {
            r.message = clip.items.empty()
                            ? "nothing to paste"
                            : "the clip holds " + std::to_string(clip.tracks.size()) +
                                  " tracks, not " + std::to_string(tracks.size());
            return false;
        }
        for (const std::string& track : tracks)
            if (!trackNameProblem(track).empty()) {
                r.message = trackNameProblem(track);
                return false;
            }
        size_t keys = 0, pulses = 0;
        for (const ClipItem& item : clip.items) {
            const std::string& track = tracks[item.track];
            const int64_t at = int64_t(row) + item.row;
            const int64_t to = int64_t(row) + item.toRow;
            if (!rowInRange(at) || !rowInRange(to)) {
                r.message = "a key would land outside the rows -2147483648..2147483647";
                return false;
            }
            if (!item.pulse) {
                bool inserted = false;
                putKey(w, track, int32_t(at), item.value, item.interpolation, section, inserted);
                ++keys;
                continue;
            }
            TimelineLine source;
            source.text = item.statement;
            source.words = item.words;
            insertStatement(w, track, int32_t(at), section, [&](int, const TimelineGrid& grid) {
                return withWords(
                           source,
                           {{1, track},
                            {2, formatPosition(int32_t(at), grid, positionForm(source.word(2)))},
                            {3, formatPosition(int32_t(to), grid, positionForm(source.word(3)))}}) +
                       w.lineEnd;
            });
            ++pulses;
        }
        r.message =
            "pasted " + std::to_string(keys) + (keys == 1 ? " key" : " keys") +
            (pulses ? " and " + std::to_string(pulses) + (pulses == 1 ? " pulse" : " pulses")
                    : std::string()) +
            " at " + barOf(w, w.lines.size(), row) + " onto " + tracks[0] +
            (tracks.size() > 1 ? " and " + std::to_string(tracks.size() - 1) + " more" : "");
        return true;
    });
}

// ---- pulses, marks, lines -------------------------------------------------------------------

EditResult editSetPulse(TimelineEditor& ed, int line, int32_t fromRow, int32_t toRow, float base,
                        float peak) {
    return runEdit(ed, [&](TimelineText& w, EditResult& r) {
        if (r.reloaded) {
            r.message = lineMoved(line);
            return false;
        }
        if (line < 0 || size_t(line) >= w.lines.size() ||
            w.lines[size_t(line)].kind != LINE_PULSE) {
            r.message = "line " + std::to_string(line + 1) + " is not a pulse";
            return false;
        }
        if (!std::isfinite(base) || !std::isfinite(peak)) {
            r.message = "a pulse's base and peak must be finite numbers";
            return false;
        }
        const TimelineLine& l = w.lines[size_t(line)];
        std::vector<std::pair<int, std::string>> words;
        if (fromRow != l.row)
            words.push_back({2, formatPosition(fromRow, l.grid, positionForm(l.word(2)))});
        if (toRow != l.toRow)
            words.push_back({3, formatPosition(toRow, l.grid, positionForm(l.word(3)))});
        if (std::strtof(l.word(size_t(l.baseWord)).c_str(), nullptr) != base)
            words.push_back({l.baseWord, formatValue(base)});
        if (std::strtof(l.word(size_t(l.peakWord)).c_str(), nullptr) != peak)
            words.push_back({l.peakWord, formatValue(peak)});
        const std::string track = l.track;
        setLine(w, size_t(line), withWords(l, words));
        std::vector<int> moved = {line};
        keepRowOrder(w, moved);
        const TimelineLine& now = w.lines[size_t(moved[0])];
        r.line = moved[0];
        r.message = "pulse " + track + " " + barOf(w, size_t(moved[0]), fromRow) + " " +
                    barOf(w, size_t(moved[0]), toRow) + " base " + now.word(size_t(now.baseWord)) +
                    " peak " + now.word(size_t(now.peakWord));
        return true;
    });
}

std::vector<TrackKey> pulseKeys(const TimelineEditor& ed, int line, std::string& error) {
    const auto& lines = ed.text.lines;
    if (line < 0 || size_t(line) >= lines.size() || lines[size_t(line)].kind != LINE_PULSE) {
        error = "line " + std::to_string(line + 1) + " is not a pulse";
        return {};
    }
    // The pulse alone, after the statements that shape it: the tempo and the onset file.
    std::string text;
    for (size_t i = 0; i < size_t(line); ++i)
        if (lines[i].kind == LINE_TEMPO || lines[i].kind == LINE_ONSETS) text += lines[i].text;
    text += lines[size_t(line)].text;
    Timeline alone;
    if (!parseTimeline(text, ed.fileName, alone)) {
        error = alone.errors[0];
        return {};
    }
    const auto found = alone.tracks.find(lines[size_t(line)].track);
    return found == alone.tracks.end() ? std::vector<TrackKey>() : found->second;
}

EditResult editAddMark(TimelineEditor& ed, int32_t row, const std::string& name) {
    return runEdit(ed, [&](TimelineText& w, EditResult& r) {
        std::string clean; // runs of blanks as one space, as the compiler reads them back
        for (size_t i = 0; i < name.size();) {
            if (name[i] == ' ') {
                while (i < name.size() && name[i] == ' ') ++i;
                if (!clean.empty() && i < name.size()) clean += ' ';
                continue;
            }
            clean += name[i++];
        }
        const std::string problem = markNameProblem(clean);
        if (!problem.empty()) {
            r.message = problem;
            return false;
        }
        int firstMark = -1, lastBefore = -1, lastTop = -1, firstStatement = -1;
        for (size_t i = 0; i < w.lines.size(); ++i) {
            const TimelineLine& l = w.lines[i];
            if (l.kind == LINE_MARK) {
                if (firstMark < 0) firstMark = int(i);
                if (l.row <= row) lastBefore = int(i);
            }
            if (l.kind == LINE_KEY || l.kind == LINE_PULSE || l.kind == LINE_OTHER)
                if (firstStatement < 0) firstStatement = int(i);
            if ((l.kind == LINE_TEMPO || l.kind == LINE_ONSETS) && firstStatement < 0)
                lastTop = int(i);
        }
        // The position in the form the marks (else the keys) use.
        int formLine = firstMark;
        for (size_t i = 0; i < w.lines.size() && formLine < 0; ++i)
            if (w.lines[i].kind == LINE_KEY) formLine = int(i);
        const PositionForm form =
            formLine < 0 ? FORM_BAR : positionForm(w.lines[size_t(formLine)].word(1));
        auto markLine = [&](size_t at) {
            return "mark " + formatPosition(row, gridAt(w, at), form) + " \"" + clean + "\"" +
                   w.lineEnd;
        };
        size_t at;
        if (firstMark >= 0) {
            at = lastBefore >= 0 ? size_t(lastBefore) + 1 : size_t(firstMark);
            insertLines(w, at, {markLine(at)});
        } else if (lastTop >= 0) {
            at = size_t(lastTop) + 1;
            insertLines(w, at, {w.lineEnd, markLine(at)});
            ++at;
        } else if (firstStatement >= 0) {
            at = size_t(firstStatement);
            insertLines(w, at, {markLine(at), w.lineEnd});
        } else {
            at = w.lines.size();
            insertLines(w, at, {markLine(at)});
        }
        r.line = int(at);
        r.message = "mark " + barOf(w, at, row) + " \"" + clean + "\"";
        return true;
    });
}

EditResult editDeleteLine(TimelineEditor& ed, int line) {
    return runEdit(ed, [&](TimelineText& w, EditResult& r) {
        if (r.reloaded) {
            r.message = lineMoved(line);
            return false;
        }
        if (line < 0 || size_t(line) >= w.lines.size() ||
            (w.lines[size_t(line)].kind != LINE_KEY && w.lines[size_t(line)].kind != LINE_PULSE &&
             w.lines[size_t(line)].kind != LINE_MARK)) {
            r.message = "line " + std::to_string(line + 1) + " is not a key, pulse or mark";
            return false;
        }
        const TimelineLine& l = w.lines[size_t(line)];
        const std::string statement =
            l.text.substr(l.words[0].begin, l.words.back().end - l.words[0].begin);
        r.message = "deleted line " + std::to_string(line + 1) + ": " + shownText(statement);
        r.line = line;
        eraseLine(w, size_t(line));
        return true;
    });
}

// ---- history --------------------------------------------------------------------------------

EditResult editUndo(TimelineEditor& ed) {
    return step(ed, true);
}

EditResult editRedo(TimelineEditor& ed) {
    return step(ed, false);
}
