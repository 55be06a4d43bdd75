// timeline_text.h - a timeline file as lines that know what they say, for the editor.
//
// scanTimelineText splits the text into lines, each kept byte for byte with its line end, and
// reads every line the way the compiler does (timeline.h): a key of a track at a row, a pulse
// with its range and values, a mark, a tempo or onsets statement, a section comment
// "# ---- <name> ----", a comment, a blank line, or anything else (a line the compiler would
// refuse is "other" and never rewritten). Words are byte ranges of the line, so an edit can
// replace one word and leave every other byte of the line alone. Joining the lines' texts gives
// the scanned text back exactly. Lines are indexed from 0 here; messages count them from 1.
#pragma once

#include "timeline.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum TimelineLineKind {
    LINE_BLANK,   // nothing but blanks
    LINE_COMMENT, // only a comment
    LINE_SECTION, // a comment "# ---- <name> ----": the start of a section
    LINE_TEMPO,
    LINE_ONSETS,
    LINE_KEY,   // track position value interpolation
    LINE_PULSE, // pulse track from to hits ... base V peak V ...
    LINE_MARK,  // mark position "name"
    LINE_OTHER  // a statement the compiler refuses
};

struct TextWord {
    size_t begin, end; // bytes of the line's text
};

struct TimelineLine {
    std::string text; // the line with its line end ("\n", "\r\n"; none on a last line without)
    TimelineLineKind kind = LINE_OTHER;
    std::vector<TextWord> words; // the statement's words, before any "#"
    TimelineGrid grid;           // the tempo in effect after this line (its own, for tempo)
    int section = -1;            // index of the section the line lies in; -1 above the first
    std::string track;           // key, pulse
    int32_t row = 0;             // key: its row; pulse: its from row; mark: its row
    int32_t toRow = 0;           // pulse: the end of its range (exclusive)
    float value = 0;             // key: its value; pulse: its base
    float peak = 0;              // pulse
    int32_t interpolation = 0;   // key
    int baseWord = -1;           // pulse: index of the word holding the base value
    int peakWord = -1;           // pulse: index of the word holding the peak value
    std::string name;            // mark: its name; section: its name

    std::string word(size_t i) const {
        return text.substr(words[i].begin, words[i].end - words[i].begin);
    }
};

struct TimelineSection {
    std::string name; // between "# ----" and "----", blanks trimmed
    int line;         // the section comment's line
};

struct TimelineText {
    std::vector<TimelineLine> lines;
    std::vector<TimelineSection> sections; // in text order
    std::string lineEnd = "\n";            // for new lines: "\r\n" when the first line has it
};

// Replaces `out` by the lines of `text`.
void scanTimelineText(const std::string& text, TimelineText& out);
// The text again: every line's text joined.
std::string joinTimelineText(const TimelineText& text);
// Replaces lines [first, first + count) by lines of the texts given (each one line with its
// line end), and reads only those again when neither side holds a tempo or section line (the
// lines after them then mean what they meant); otherwise the whole text is scanned again. What
// the editor does after every step, so a long text stays quick to edit.
void replaceTimelineLines(TimelineText& text, size_t first, size_t count,
                          const std::vector<std::string>& texts);

// ---- queries --------------------------------------------------------------------------------

// The first key line of `track` at `row`, or -1.
int findKeyLine(const TimelineText& text, const std::string& track, int32_t row);
// The pulse line of `track` whose range [from, to] holds `row` (its closing cut sits on `to`),
// the last in text order when several do; -1 when none.
int findPulseLine(const TimelineText& text, const std::string& track, int32_t row);
// The key and pulse lines of `track`, in text order.
std::vector<int> trackLines(const TimelineText& text, const std::string& track);
// The section named `name`, or -1.
int findSection(const TimelineText& text, const std::string& name);
// The section of the first key or pulse line of `track`: -1 when it has none or that line lies
// above the first section.
int sectionOfTrack(const TimelineText& text, const std::string& track);
// The grid positions are read on at a new line inserted before line `at` (at = line count:
// after the last).
TimelineGrid gridAt(const TimelineText& text, size_t at);
