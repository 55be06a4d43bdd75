// The timeline editor: every edit of the demo's own timeline rewrites only the lines it
// concerns and compiles to the same tracks but for the edited key, undo gives the text back
// byte for byte, the file is written atomically and an outside change is never overwritten.
#include "file_text.h"
#include "temp_dir.h"
#include "timeline.h"
#include "timeline_edit.h"
#include "timeline_words.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <dirent.h>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string kTimeline = TIMELINE; // timeline/demo.timeline
const std::string kOnsets = ONSETS;     // its onset file

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::stringstream s(text);
    for (std::string line; std::getline(s, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> wordsOf(const std::string& line) {
    std::vector<std::string> words;
    std::stringstream s(line);
    for (std::string word; s >> word;) words.push_back(word);
    return words;
}

// The lines two texts do not share at their start and end: (removed, added).
struct Diff {
    size_t first = 0;
    std::vector<std::string> removed, added;
};
Diff diffOf(const std::string& before, const std::string& after) {
    const std::vector<std::string> a = linesOf(before), b = linesOf(after);
    Diff d;
    while (d.first < a.size() && d.first < b.size() && a[d.first] == b[d.first]) ++d.first;
    size_t tail = 0;
    while (tail < a.size() - d.first && tail < b.size() - d.first &&
           a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
        ++tail;
    d.removed.assign(a.begin() + long(d.first), a.end() - long(tail));
    d.added.assign(b.begin() + long(d.first), b.end() - long(tail));
    return d;
}

using Keys = std::map<int32_t, std::pair<float, int32_t>>; // row -> value, interpolation
Keys keysOf(const Timeline& t, const std::string& track) {
    Keys keys;
    const auto found = t.tracks.find(track);
    if (found != t.tracks.end())
        for (const TrackKey& k : found->second) keys[k.row] = {k.value, k.interpolation};
    return keys;
}

// Every track of `after` equals `before`'s, except `track` at `rows` (all of it without rows).
void expectSameTracksBut(const Timeline& before, const Timeline& after, const std::string& track,
                         const std::set<int32_t>& rows, const std::string& what) {
    ASSERT_TRUE(after.errors.empty()) << what << ": " << after.errors[0];
    auto same = [](const std::vector<TrackKey>& a, const std::vector<TrackKey>& b) {
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(), [](const TrackKey& x, const TrackKey& y) {
                   return x.row == y.row && x.value == y.value &&
                          x.interpolation == y.interpolation;
               });
    };
    std::set<std::string> names;
    for (const auto& [name, keys] : before.tracks) names.insert(name);
    for (const auto& [name, keys] : after.tracks) names.insert(name);
    for (const std::string& name : names) {
        if (name == track && rows.empty()) continue; // the whole track is the edit's
        if (name == track) {
            Keys a = keysOf(before, name), b = keysOf(after, name);
            for (int32_t row : rows) a.erase(row), b.erase(row);
            EXPECT_TRUE(a == b) << what << ": track " << name << " changed";
            continue;
        }
        const auto a = before.tracks.find(name), b = after.tracks.find(name);
        EXPECT_TRUE(a != before.tracks.end() && b != after.tracks.end() &&
                    same(a->second, b->second))
            << what << ": track " << name << " changed";
    }
}

struct Demo {
    TimelineEditor ed;
    std::string text = contentOf(kTimeline);
    Demo() { editorUseText(ed, text, kTimeline); }
};

bool occupied(const Timeline& t, const std::string& track, int32_t row) {
    return keysOf(t, track).count(row) > 0;
}

std::set<std::string> entriesOf(const std::string& dir) {
    std::set<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) names.insert(e->d_name);
        closedir(d);
    }
    names.erase(".");
    names.erase("..");
    return names;
}

} // namespace

TEST(TimelineEdit, DemoTextScansBackByteForByte) {
    Demo d;
    ASSERT_TRUE(d.ed.compiled.errors.empty()) << d.ed.compiled.errors[0];
    EXPECT_EQ(editorText(d.ed), d.text);
    size_t keys = 0, pulses = 0, other = 0;
    for (const TimelineLine& l : d.ed.text.lines) {
        keys += l.kind == LINE_KEY;
        pulses += l.kind == LINE_PULSE;
        other += l.kind == LINE_OTHER;
    }
    EXPECT_GT(keys, 300u);
    EXPECT_EQ(pulses, 45u);
    EXPECT_EQ(other, 0u); // every statement of the demo is understood
    ASSERT_GE(findSection(d.ed.text, "vollight_scene"), 0);
    EXPECT_EQ(sectionOfTrack(d.ed.text, "vol_vblur"), findSection(d.ed.text, "vollight_scene"));
    EXPECT_EQ(sectionOfTrack(d.ed.text, "vollight_scene"), -1); // visibility, above the sections
}

// Set, insert, delete and move for every key line of the demo: each touches only its own line
// (or adds one line in the track's block) and the tracks compile as before but for that key.
TEST(TimelineEdit, EveryKeyLineEditTouchesOnlyItsLines) {
    Demo d;
    const Timeline original = d.ed.compiled;
    const TimelineEditor fresh = d.ed;
    size_t edits = 0;
    for (size_t i = 0; i < d.ed.text.lines.size(); ++i) {
        const TimelineLine line = d.ed.text.lines[i];
        if (line.kind != LINE_KEY) continue;
        const std::string& track = line.track;
        const std::string at = track + " line " + std::to_string(i + 1);

        // Set: the value word changes, the interpolation keeps its column.
        EditResult r = editSetKey(d.ed, track, line.row, line.value + 1.5f);
        ASSERT_TRUE(r.applied) << at << ": " << r.message;
        Diff diff = diffOf(d.text, editorText(d.ed));
        ASSERT_EQ(diff.removed.size(), 1u) << at;
        ASSERT_EQ(diff.added.size(), 1u) << at;
        EXPECT_EQ(diff.first, i) << at;
        // The interpolation keeps its column where the blanks before it allow.
        const long grow = long(formatValue(line.value + 1.5f).size() - line.word(2).size());
        const long gap = long(line.words[3].begin - line.words[2].end);
        if (gap > 1 && gap - grow >= 1) {
            EXPECT_EQ(diff.added[0].find(line.word(3)), line.words[3].begin) << at;
        }
        EXPECT_EQ(keysOf(d.ed.compiled, track).at(line.row).first, line.value + 1.5f) << at;
        expectSameTracksBut(original, d.ed.compiled, track, {line.row}, "set " + at);
        d.ed = fresh; // (undo is the random sequence's test; this is quicker)

        // Insert on the next free row: one new line right after this one when the track's
        // next line lies later, and the key compiles in.
        int32_t row = line.row + 1;
        while (occupied(original, track, row)) ++row;
        r = editSetKey(d.ed, track, row, 42.0f);
        ASSERT_TRUE(r.applied) << at << ": " << r.message;
        diff = diffOf(d.text, editorText(d.ed));
        EXPECT_TRUE(diff.removed.empty()) << at;
        ASSERT_EQ(diff.added.size(), 1u) << at;
        EXPECT_EQ(diff.added[0].find(track), 0u) << at;
        const std::vector<int> block = trackLines(d.ed.text, track);
        for (size_t k = 0; k + 1 < block.size(); ++k)
            if (block[k] == r.line) {
                EXPECT_LE(row, d.ed.text.lines[size_t(block[k + 1])].row) << at;
            }
        const Keys after = keysOf(d.ed.compiled, track);
        ASSERT_TRUE(after.count(row)) << at;
        EXPECT_EQ(after.at(row).first, 42.0f);
        if (row == line.row + 1) { // the segment it splits keeps its shape
            EXPECT_EQ(after.at(row).second, line.interpolation) << at;
        }
        expectSameTracksBut(original, d.ed.compiled, track, {row}, "insert " + at);
        d.ed = fresh;

        // Delete: the line goes, nothing else.
        r = editDeleteKey(d.ed, track, line.row);
        ASSERT_TRUE(r.applied) << at << ": " << r.message;
        diff = diffOf(d.text, editorText(d.ed));
        EXPECT_EQ(diff.first, i);
        EXPECT_EQ(diff.removed.size(), 1u) << at;
        EXPECT_TRUE(diff.added.empty()) << at;
        expectSameTracksBut(original, d.ed.compiled, track, {line.row}, "delete " + at);
        d.ed = fresh;

        // Move by one row onto a free row: only the position word changes, unless that row
        // passes the track's next line (a pulse starting there): then the two swap places.
        if (!occupied(original, track, line.row + 1)) {
            const std::vector<int> lines = trackLines(d.ed.text, track);
            const auto next = std::find(lines.begin(), lines.end(), int(i)) + 1;
            const size_t swapped =
                next != lines.end() && d.ed.text.lines[size_t(*next)].row <= line.row ? 2 : 1;
            r = editMove(d.ed, {{track}, line.row, line.row}, 1);
            ASSERT_TRUE(r.applied) << at << ": " << r.message;
            diff = diffOf(d.text, editorText(d.ed));
            ASSERT_EQ(diff.removed.size(), swapped) << at;
            ASSERT_EQ(diff.added.size(), swapped) << at;
            EXPECT_EQ(diff.first, i);
            EXPECT_EQ(keysOf(d.ed.compiled, track).at(line.row + 1).first, line.value) << at;
            expectSameTracksBut(original, d.ed.compiled, track, {line.row, line.row + 1},
                                "move " + at);
            d.ed = fresh;
        }
        ASSERT_EQ(editorText(d.ed), d.text) << at;
        ++edits;
    }
    EXPECT_GT(edits, 300u);
}

TEST(TimelineEdit, WordsKeepTheAuthorsFormsAndColumns) {
    const TimelineGrid grid; // 145 BPM, 8 rows a beat
    EXPECT_EQ(formatPosition(785, grid, FORM_BAR), "b24:2.125");
    EXPECT_EQ(formatPosition(784, grid, FORM_BAR), "b24:2");
    EXPECT_EQ(formatPosition(768, grid, FORM_BAR), "b24");
    EXPECT_EQ(formatPosition(767, grid, FORM_BAR), "b23:3.875");
    EXPECT_EQ(formatPosition(-3, grid, FORM_BAR), "-3");        // no bar before 0
    EXPECT_EQ(formatPosition(1, {145, 6}, FORM_BAR), "b0:0.2"); // fewest digits that hold it
    EXPECT_EQ(formatPosition(29, grid, FORM_MILLISECONDS), "1500ms");
    EXPECT_EQ(formatPosition(1160, grid, FORM_MINUTES), "1:00");
    EXPECT_EQ(formatPosition(1218, grid, FORM_MINUTES), "1:03");
    EXPECT_EQ(formatPosition(58, grid, FORM_SECONDS), "3s");
    EXPECT_EQ(positionForm("b24:2"), FORM_BAR);
    EXPECT_EQ(positionForm("1:02.5"), FORM_MINUTES);
    EXPECT_EQ(positionForm("12"), FORM_ROW);
    // Every candidate must name the same row when read back.
    for (int32_t row = 0; row < 2000; row += 7)
        for (PositionForm form :
             {FORM_ROW, FORM_BAR, FORM_SECONDS, FORM_MILLISECONDS, FORM_MINUTES}) {
            int32_t back = -1;
            ASSERT_TRUE(readPositionWord(formatPosition(row, {133, 6}, form), {133, 6}, back));
            EXPECT_EQ(back, row) << form;
        }
    EXPECT_EQ(formatValue(0.3f + 0.1f), "0.4");
    EXPECT_EQ(formatValue(-1e-3f), "-0.001");
    EXPECT_EQ(formatValue(3.14159274f), "3.1415927");

    std::string line = "cylborder         b8      0.30  step\n";
    replaceWord(line, 26, 30, "0.255");
    EXPECT_EQ(line, "cylborder         b8      0.255 step\n");
    replaceWord(line, 26, 31, "-10.25");
    EXPECT_EQ(line, "cylborder         b8      -10.25 step\n"); // one blank stays
    replaceWord(line, 26, 32, "0.3");
    EXPECT_EQ(line, "cylborder         b8      0.3 step\n"); // one blank is no column
    line = "cylborder         b8      0.30  step\n";
    replaceWord(line, 26, 30, "1");
    EXPECT_EQ(line, "cylborder         b8      1     step\n");
    line = "a\tb  # note\n";
    replaceWord(line, 2, 3, "bbb");
    EXPECT_EQ(line, "a\tbbb # note\n"); // a comment keeps its column too
}

TEST(TimelineEdit, KeysOfANewTrackAndOutOfOrderMoves) {
    Demo d;
    // A new track: a block at the end of the section the caller names, in its columns.
    EditResult r = editSetKey(d.ed, "cyl_newtrack", 4 * 32, 0.5f, INTERP_LINEAR, "cylinders_scene");
    ASSERT_TRUE(r.applied) << r.message;
    Diff diff = diffOf(d.text, editorText(d.ed));
    EXPECT_TRUE(diff.removed.empty());
    EXPECT_EQ(diff.added.size(), 2u);
    EXPECT_EQ(d.ed.text.lines[size_t(r.line)].text, "cyl_newtrack      b4      0.5   linear\n");
    EXPECT_EQ(d.ed.text.lines[size_t(r.line) - 1].kind, LINE_BLANK);
    EXPECT_EQ(d.ed.text.lines[size_t(r.line) - 2].track, "cyl_titleits"); // the section's last
    EXPECT_EQ(d.ed.text.lines[size_t(r.line) + 1].kind, LINE_BLANK);
    EXPECT_EQ(r.message, "cyl_newtrack b4 = 0.5 linear (new key)");
    // Its second key goes into its block, in row order.
    ASSERT_TRUE(editSetKey(d.ed, "cyl_newtrack", 2 * 32, 0.25f).applied);
    EXPECT_EQ(d.ed.text.lines[size_t(r.line)].text, "cyl_newtrack      b2      0.25  linear\n");
    editUndo(d.ed);
    editUndo(d.ed);
    // Without a section it goes to the end of the text.
    r = editSetKey(d.ed, "zz_new", 3, 1.0f);
    ASSERT_TRUE(r.applied) << r.message;
    EXPECT_EQ(size_t(r.line) + 1, d.ed.text.lines.size());
    editUndo(d.ed);
    EXPECT_EQ(editorText(d.ed), d.text);

    // kaos_rot b8 moved two bars, past its b9 key: the line moves below that one.
    const int line = findKeyLine(d.ed.text, "kaos_rot", 8 * 32);
    ASSERT_GE(line, 0);
    r = editMove(d.ed, {{"kaos_rot"}, 8 * 32, 8 * 32}, 64);
    ASSERT_TRUE(r.applied) << r.message;
    EXPECT_EQ(d.ed.text.lines[size_t(line)].text, "kaos_rot          b9      60    linear\n");
    EXPECT_EQ(d.ed.text.lines[size_t(line) + 1].text, "kaos_rot          b10     30    smooth\n");
    diff = diffOf(d.text, editorText(d.ed));
    EXPECT_EQ(diff.removed.size(), 2u); // the key and the one it passed swap places
    editUndo(d.ed);
    // A move onto another key is refused with the compiler's words and changes nothing.
    r = editMove(d.ed, {{"kaos_rot"}, 8 * 32, 8 * 32}, 32);
    EXPECT_FALSE(r.applied);
    EXPECT_NE(r.message.find("already has a key at row 288"), std::string::npos) << r.message;
    EXPECT_EQ(editorText(d.ed), d.text);
    // A pulse's key is not a key line: the message names the pulse.
    r = editDeleteKey(d.ed, "vol_vblur", 16 * 32 + 3 * 8);
    EXPECT_FALSE(r.applied);
    EXPECT_NE(r.message.find("the pulse on line"), std::string::npos) << r.message;
    const int pulse = findPulseLine(d.ed.text, "vol_vblur", 16 * 32 + 3 * 8);
    ASSERT_GE(pulse, 0);
    EXPECT_EQ(d.ed.text.lines[size_t(pulse)].row, 16 * 32 + 16); // pulse vol_vblur b16:2 b24
    // Interpolations cycle in the word's own form.
    r = editCycleInterpolation(d.ed, "kaos_rot", 8 * 32);
    ASSERT_TRUE(r.applied);
    EXPECT_EQ(d.ed.text.lines[size_t(line)].text, "kaos_rot          b8      30    ramp\n");
    r = editCycleInterpolation(d.ed, "kaos_rot", 8 * 32);
    EXPECT_EQ(d.ed.text.lines[size_t(line)].text, "kaos_rot          b8      30    step\n");
}

// Texts other than the demo's: Windows line ends, a byte order mark, no line end at the end,
// a second tempo, rows and times as positions.
TEST(TimelineEdit, OtherTextsKeepTheirForms) {
    TimelineEditor ed;
    const std::string text = "\xEF\xBB\xBF"
                             "a 0 1 step\r\na 32 2 linear";
    editorUseText(ed, text, "t.timeline");
    ASSERT_TRUE(editSetKey(ed, "a", 16, 5).applied);
    ASSERT_TRUE(editSetKey(ed, "a", 0, 3).applied);
    ASSERT_TRUE(editSetKey(ed, "b", 4, 1, INTERP_SMOOTH).applied);
    EXPECT_EQ(editorText(ed), "\xEF\xBB\xBF"
                              "a 0 3 step\r\na 16 5 step\r\na 32 2 linear\r\n\r\n"
                              "b 4 1 smooth\r\n");
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(editUndo(ed).applied);
    EXPECT_EQ(editorText(ed), text);

    // A key moved past a tempo statement is written on the grid it lands under.
    editorUseText(ed, "a b0 0 step\na b1 1 step\ntempo 120 4\na b4 2 step\nc 1.5s 1 step\n",
                  "t.timeline");
    EditResult r = editMove(ed, {{"a"}, 32, 32}, 40);
    ASSERT_TRUE(r.applied) << r.message;
    EXPECT_EQ(editorText(ed),
              "a b0 0 step\ntempo 120 4\na b4 2 step\na b4:2 1 step\nc 1.5s 1 step\n");
    EXPECT_EQ(keysOf(ed.compiled, "a").count(72), 1u);
    r = editMove(ed, {{"c"}, 0, 100}, 3);
    ASSERT_TRUE(r.applied) << r.message;
    EXPECT_EQ(ed.text.lines.back().text, "c 1.875s 1 step\n"); // 15 rows of 8 a second
}

// A drag is one undo step however many values it wrote; the next drag is another.
TEST(TimelineEdit, ADragIsOneUndoStep) {
    Demo d;
    for (int i = 1; i <= 20; ++i)
        ASSERT_TRUE(editDragValue(d.ed, "kaos_rot", 8 * 32, float(i)).applied);
    editEndGesture(d.ed);
    for (int i = 1; i <= 5; ++i)
        ASSERT_TRUE(editDragValue(d.ed, "kaos_rot", 8 * 32, 100.0f + float(i)).applied);
    EXPECT_EQ(d.ed.undo.size(), 2u);
    const int line = findKeyLine(d.ed.text, "kaos_rot", 8 * 32);
    EXPECT_EQ(d.ed.text.lines[size_t(line)].text, "kaos_rot          b8      105   smooth\n");
    ASSERT_TRUE(editUndo(d.ed).applied);
    EXPECT_EQ(d.ed.text.lines[size_t(line)].text, "kaos_rot          b8      20    smooth\n");
    ASSERT_TRUE(editUndo(d.ed).applied);
    EXPECT_EQ(editorText(d.ed), d.text);
    EXPECT_FALSE(editDragValue(d.ed, "kaos_rot", 8 * 32 + 1, 1).applied); // no key there
}

TEST(TimelineEdit, SelectionsShiftCopyAndPaste) {
    Demo d;
    const Timeline original = d.ed.compiled;
    // The cut and the backbeat of vol_vblur from bar 24 to 28: two keys and a pulse.
    const KeySelection cut{{"vol_vblur"}, 24 * 32, 28 * 32 - 1};
    ASSERT_EQ(selectedLines(d.ed, cut).size(), 3u);

    EditResult r = editShift(d.ed, cut, 10);
    ASSERT_TRUE(r.applied) << r.message;
    Diff diff = diffOf(d.text, editorText(d.ed));
    ASSERT_EQ(diff.added.size(), 3u);
    EXPECT_EQ(diff.added[0], "vol_vblur         b24     60    linear");
    EXPECT_EQ(diff.added[1], "vol_vblur         b24:1   10    step");
    EXPECT_EQ(diff.added[2], "pulse vol_vblur b24:2 b28       beats 1,3  base 10 peak 34 decay 3");
    editUndo(d.ed);

    // Pasted onto a new track four bars on: the same curve, shifted, in new lines only.
    const KeyClip clip = copyKeys(d.ed, cut);
    r = editPaste(d.ed, clip, {"vol_vblur2"}, 40 * 32, "vollight_scene");
    ASSERT_TRUE(r.applied) << r.message;
    diff = diffOf(d.text, editorText(d.ed));
    EXPECT_TRUE(diff.removed.empty());
    ASSERT_EQ(diff.added.size(), 4u); // a blank line, two keys, the pulse
    EXPECT_EQ(d.ed.text.lines[size_t(r.line) - 1].text, "\n");
    EXPECT_EQ(d.ed.text.lines[size_t(r.line)].text, "vol_vblur2        b40     50    linear\n");
    EXPECT_EQ(d.ed.text.lines[size_t(r.line) + 2].text,
              "pulse vol_vblur2 b40:2 b44       beats 1,3  base 0 peak 24 decay 3\n");
    const Keys from = keysOf(original, "vol_vblur");
    const Keys to = keysOf(d.ed.compiled, "vol_vblur2");
    for (const auto& [row, key] : to) {
        ASSERT_TRUE(from.count(row - 16 * 32)) << row;
        EXPECT_EQ(from.at(row - 16 * 32), key) << row;
    }
    EXPECT_EQ(to.size(), 2 + 7 * 2u); // the cut, and seven snares rising and falling
    expectSameTracksBut(original, d.ed.compiled, "vol_vblur2", {}, "paste");
    editUndo(d.ed);
    EXPECT_EQ(editorText(d.ed), d.text);

    // Onto the same track, over its own key: that key's line is set, the rest inserted.
    const KeyClip one = copyKeys(d.ed, {{"kaos_rot"}, 8 * 32, 9 * 32});
    r = editPaste(d.ed, one, {"kaos_rot"}, 0);
    ASSERT_TRUE(r.applied) << r.message;
    diff = diffOf(d.text, editorText(d.ed));
    EXPECT_EQ(diff.removed, std::vector<std::string>{"kaos_rot          b0      -40   linear"});
    EXPECT_EQ(diff.added, (std::vector<std::string>{"kaos_rot          b0      30    smooth",
                                                    "kaos_rot          b1      60    linear"}));
}

TEST(TimelineEdit, PulsesAreEditedAsStatements) {
    Demo d;
    const Timeline original = d.ed.compiled;
    size_t pulses = 0;
    for (size_t i = 0; i < d.ed.text.lines.size(); ++i) {
        const TimelineLine line = d.ed.text.lines[i];
        if (line.kind != LINE_PULSE) continue;
        ++pulses;
        // What the pulse makes on its own is what the track has in its range.
        std::string error;
        const std::vector<TrackKey> made = pulseKeys(d.ed, int(i), error);
        ASSERT_FALSE(made.empty()) << error;
        const Keys compiled = keysOf(original, line.track);
        for (const TrackKey& k : made)
            if (k.row < line.toRow) {
                EXPECT_TRUE(compiled.count(k.row)) << line.text << k.row;
            }

        // A new peak rewrites that one word of that one line.
        EditResult r = editSetPulse(d.ed, int(i), line.row, line.toRow, line.value, line.peak * 2);
        ASSERT_TRUE(r.applied) << line.text << r.message;
        const Diff diff = diffOf(d.text, editorText(d.ed));
        ASSERT_EQ(diff.added.size(), 1u);
        EXPECT_EQ(diff.first, i);
        std::vector<std::string> words = wordsOf(diff.removed[0]);
        words[size_t(line.peakWord)] = formatValue(line.peak * 2);
        EXPECT_EQ(wordsOf(diff.added[0]), words) << "only the peak changes";
        std::set<int32_t> rows;
        for (const TrackKey& k : made) rows.insert(k.row);
        expectSameTracksBut(original, d.ed.compiled, line.track, rows, "pulse " + line.text);
        ASSERT_TRUE(editUndo(d.ed).applied);
    }
    EXPECT_EQ(pulses, 45u);
    EXPECT_EQ(editorText(d.ed), d.text);

    // A range moved by a beat, and one that would end before it starts.
    const int line = int(trackLines(d.ed.text, "vol_vblur")[2]); // pulse b16:2 b24
    ASSERT_EQ(d.ed.text.lines[size_t(line)].kind, LINE_PULSE);
    EditResult r = editSetPulse(d.ed, line, 16 * 32 + 24, 24 * 32, 0, 24);
    ASSERT_TRUE(r.applied) << r.message;
    EXPECT_EQ(d.ed.text.lines[size_t(line)].text,
              "pulse vol_vblur b16:3 b24       beats 1,3  base 0 peak 24 decay 3\n");
    r = editSetPulse(d.ed, line, 24 * 32, 16 * 32, 0, 24);
    EXPECT_FALSE(r.applied);
    EXPECT_NE(r.message.find("not after its start"), std::string::npos) << r.message;
    // Deleting the statement deletes its line, not keys.
    r = editDeleteLine(d.ed, line);
    ASSERT_TRUE(r.applied) << r.message;
    EXPECT_EQ(diffOf(d.text, editorText(d.ed)).added.size(), 0u);
}

TEST(TimelineEdit, MarksAreAddedAndIgnoredByCompile) {
    Demo d;
    const Timeline original = d.ed.compiled;
    EditResult r = editAddMark(d.ed, 32 * 32, "drop  one");
    ASSERT_TRUE(r.applied) << r.message;
    Diff diff = diffOf(d.text, editorText(d.ed));
    EXPECT_EQ(diff.added.size(), 2u); // the mark and a blank line
    EXPECT_EQ(d.ed.text.lines[size_t(r.line)].text, "mark b32 \"drop one\"\n");
    EXPECT_EQ(d.ed.text.lines[size_t(r.line) - 1].kind, LINE_BLANK);
    EXPECT_EQ(d.ed.text.lines[size_t(r.line) - 2].kind, LINE_ONSETS);
    r = editAddMark(d.ed, 16 * 32, "build");
    ASSERT_TRUE(r.applied) << r.message;
    r = editAddMark(d.ed, 72 * 32 + 4, "drop two");
    ASSERT_TRUE(r.applied) << r.message;
    ASSERT_EQ(d.ed.compiled.marks.size(), 3u);
    EXPECT_EQ(d.ed.compiled.marks[0].name, "build"); // in row order in the text
    EXPECT_EQ(d.ed.compiled.marks[1].row, 32 * 32);
    EXPECT_EQ(d.ed.text.lines[size_t(r.line)].text, "mark b72:0.5 \"drop two\"\n");
    expectSameTracksBut(original, d.ed.compiled, "", {}, "marks");
    // Every other edit keeps them byte for byte.
    const std::string withMarks = editorText(d.ed);
    ASSERT_TRUE(editSetKey(d.ed, "kaos_rot", 8 * 32, 31).applied);
    diff = diffOf(withMarks, editorText(d.ed));
    EXPECT_EQ(diff.added.size(), 1u);
    EXPECT_NE(editAddMark(d.ed, 0, "a \"quote\"").message.find("may not hold"), std::string::npos);
    EXPECT_FALSE(editAddMark(d.ed, 0, "hash # sign").applied);
}

// Any sequence of edits undone gives the text back byte for byte, and redone the same end.
TEST(TimelineEdit, UndoOfARandomSequenceGivesTheTextBack) {
    Demo d;
    std::mt19937 random(2028);
    std::vector<std::string> tracks;
    for (const auto& [name, keys] : d.ed.compiled.tracks) tracks.push_back(name);
    size_t applied = 0;
    KeyClip clip;
    for (int n = 0; n < 150; ++n) {
        const std::string track = tracks[random() % tracks.size()];
        const std::vector<TrackKey>& keys = d.ed.compiled.tracks.at(track);
        const int32_t row = keys[random() % keys.size()].row + int32_t(random() % 5) - 2;
        const KeySelection s{{track}, row - 40, row + 40};
        EditResult r;
        switch (random() % 9) {
        case 0:
            r = editSetKey(d.ed, track, row, float(random() % 100) / 8);
            break;
        case 1:
            r = editDeleteKey(d.ed, track, row);
            break;
        case 2:
            r = editCycleInterpolation(d.ed, track, row);
            break;
        case 3:
            r = editMove(d.ed, s, int32_t(random() % 200) - 100);
            break;
        case 4:
            r = editShift(d.ed, s, 0.1);
            break;
        case 5:
            clip = copyKeys(d.ed, s);
            break;
        case 6:
            if (!clip.tracks.empty())
                r = editPaste(d.ed, clip, {tracks[random() % tracks.size()]}, row);
            break;
        case 7:
            r = editAddMark(d.ed, row, "m" + std::to_string(n));
            break;
        case 8: {
            const std::vector<int> lines = trackLines(d.ed.text, track);
            const int line = lines[random() % lines.size()];
            const TimelineLine& l = d.ed.text.lines[size_t(line)];
            if (l.kind == LINE_PULSE)
                r = editSetPulse(d.ed, line, l.row + 8, l.toRow + 8, l.value, l.peak + 1);
            else
                r = editDeleteLine(d.ed, line);
        } break;
        }
        applied += r.applied;
        ASSERT_TRUE(d.ed.compiled.errors.empty()) << r.message << ": " << d.ed.compiled.errors[0];
        // The lines read again one by one after each step are what a whole scan reads.
        TimelineText fresh;
        scanTimelineText(editorText(d.ed), fresh);
        ASSERT_EQ(fresh.lines.size(), d.ed.text.lines.size());
        for (size_t i = 0; i < fresh.lines.size(); ++i) {
            const TimelineLine &a = fresh.lines[i], &b = d.ed.text.lines[i];
            ASSERT_TRUE(a.kind == b.kind && a.row == b.row && a.toRow == b.toRow &&
                        a.track == b.track && a.section == b.section && a.name == b.name &&
                        a.grid.bpm == b.grid.bpm)
                << r.message << ", line " << i + 1;
        }
        ASSERT_EQ(fresh.sections.size(), d.ed.text.sections.size());
        for (size_t i = 0; i < fresh.sections.size(); ++i)
            ASSERT_EQ(fresh.sections[i].line, d.ed.text.sections[i].line) << r.message;
    }
    EXPECT_GT(applied, 60u);
    const std::string end = editorText(d.ed);
    while (!d.ed.undo.empty()) ASSERT_TRUE(editUndo(d.ed).applied);
    EXPECT_EQ(editorText(d.ed), d.text);
    EXPECT_FALSE(editUndo(d.ed).applied);
    while (!d.ed.redo.empty()) ASSERT_TRUE(editRedo(d.ed).applied);
    EXPECT_EQ(editorText(d.ed), end);
}

// The file: written atomically with its mode kept, an outside change loaded before the next
// edit and never overwritten, a file that went away not made again.
TEST(TimelineEdit, TheFileIsWrittenAtomicallyAndOutsideChangesWin) {
    TempDir dir("timeline_edit");
    const std::string path = dir.file("demo.timeline");
    const std::string text = contentOf(kTimeline);
    writeFile(path, text);
    writeFile(dir.file("demo.onsets"), contentOf(kOnsets));
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    TimelineEditor ed;
    std::string error;
    ASSERT_TRUE(editorOpen(ed, path, error)) << error;

    EditResult r = editSetKey(ed, "kaos_rot", 8 * 32, 31);
    ASSERT_TRUE(r.applied) << r.message;
    EXPECT_FALSE(r.reloaded);
    EXPECT_EQ(contentOf(path), editorText(ed));
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(entriesOf(dir.path()), (std::set<std::string>{"demo.timeline", "demo.onsets"}));

    // A text editor saves a change: the next edit reads it first and keeps it.
    const std::string outside = contentOf(path) + "# a note from the text editor\n";
    writeFile(path, outside);
    EXPECT_TRUE(editorCheckFile(ed, error)) << error;
    EXPECT_EQ(editorText(ed), outside);
    EXPECT_FALSE(editorCheckFile(ed, error)); // only once
    writeFile(path, outside + "extra_track 0 1 step\n");
    r = editSetKey(ed, "kaos_rot", 9 * 32, 61);
    ASSERT_TRUE(r.applied) << r.message;
    EXPECT_TRUE(r.reloaded);
    const std::string now = contentOf(path);
    EXPECT_NE(now.find("# a note from the text editor\nextra_track 0 1 step\n"), std::string::npos);
    EXPECT_NE(now.find("kaos_rot          b9      61    linear"), std::string::npos);
    EXPECT_TRUE(ed.compiled.tracks.count("extra_track"));
    // The history before the outside change is gone; this edit's step remains.
    ASSERT_TRUE(editUndo(ed).applied);
    EXPECT_EQ(contentOf(path), outside + "extra_track 0 1 step\n");
    EXPECT_FALSE(editUndo(ed).applied);

    // An edit named by a line is not made on a text changed outside: the line may be another.
    const int pulse = findPulseLine(ed.text, "vol_vblur", 16 * 32 + 3 * 8);
    ASSERT_GE(pulse, 0);
    writeFile(path, "# a line above everything\n" + contentOf(path));
    r = editDeleteLine(ed, pulse);
    EXPECT_FALSE(r.applied);
    EXPECT_TRUE(r.reloaded);
    EXPECT_EQ(ed.text.lines[0].text, "# a line above everything\n");
    EXPECT_EQ(contentOf(path), editorText(ed));

    // A file that went away is not made again.
    ASSERT_EQ(unlink(path.c_str()), 0);
    r = editSetKey(ed, "kaos_rot", 8 * 32, 1);
    EXPECT_FALSE(r.applied);
    EXPECT_NE(r.message.find("cannot read"), std::string::npos) << r.message;
    EXPECT_NE(access(path.c_str(), F_OK), 0);

    // Through a link, the file it points to is replaced and the link stays.
    writeFile(path, text);
    const std::string link = dir.file("link.timeline");
    ASSERT_EQ(symlink(path.c_str(), link.c_str()), 0);
    ASSERT_TRUE(editorOpen(ed, link, error)) << error;
    ASSERT_TRUE(editSetKey(ed, "kaos_rot", 8 * 32, 32).applied);
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(contentOf(path), editorText(ed));
    EXPECT_EQ(entriesOf(dir.path()),
              (std::set<std::string>{"demo.timeline", "demo.onsets", "link.timeline"}));
}
