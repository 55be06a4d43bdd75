// timeline_words.h - single words of timeline statements written back the way an author
// writes them, and put into a line without disturbing its columns.
//
// The timeline editor (timeline_edit.h) rewrites a key's position, value or interpolation in
// place. A position keeps the form its line already uses (a bar "b24:2", a row "768", a time
// "12.5s", "1500ms" or "1:02.5"), with as few digits as still name the same row; a value is the
// shortest decimal that reads back as the same float. All functions are pure.
#pragma once

#include "timeline.h"

#include <cstdint>
#include <string>

enum PositionForm { FORM_ROW, FORM_BAR, FORM_SECONDS, FORM_MILLISECONDS, FORM_MINUTES };

// The form `word` is written in (a word that is none of them counts as a row).
PositionForm positionForm(const std::string& word);
// `row` on `grid` in `form`, e.g. row 785 at 8 rows a beat as a bar is "b24:2.125". A form
// that cannot hold the row (a bar or minutes before row 0) gives the row itself.
std::string formatPosition(int32_t row, const TimelineGrid& grid, PositionForm form);
// The shortest "%g" text that reads back as exactly `value`.
std::string formatValue(float value);
// "step", "linear", "smooth", "ramp", or their digit when `asNumber`.
std::string formatInterpolation(int32_t interpolation, bool asNumber);
// Replaces bytes [begin, end) of `line` by `text`. When another word (or a comment) follows
// after two or more spaces (a column), those spaces grow or shrink so that it keeps its column,
// as far as one space between them allows. A single space or tabs are left as they are.
void replaceWord(std::string& line, size_t begin, size_t end, const std::string& text);
