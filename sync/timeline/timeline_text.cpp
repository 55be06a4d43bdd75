// timeline_text.cpp - see timeline_text.h.
#include "timeline_text.h"

#include <cstring>

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// The words of `line` from `from` up to a '#' or the line end, split as forEachStatement splits
// them; `comment` is where a '#' starts (npos without one).
std::vector<TextWord> wordsOfLine(const std::string& line, size_t from, size_t& comment) {
    std::vector<TextWord> words;
    comment = std::string::npos;
    size_t p = from;
    const size_t end = line.size() - (!line.empty() && line.back() == '\n' ? 1 : 0);
    for (;;) {
        while (p < end && isBlank(line[p])) ++p;
        if (p == end) break;
        if (line[p] == '#') {
            comment = p;
            break;
        }
        const size_t start = p;
        while (p < end && !isBlank(line[p]) && line[p] != '#') ++p;
        words.push_back({start, p});
    }
    return words;
}

std::string trimmed(const std::string& s) {
    size_t a = 0, b = s.size();
    while (a < b && isBlank(s[a])) ++a;
    while (b > a && isBlank(s[b - 1])) --b;
    return s.substr(a, b - a);
}

// "# ---- name ----" (any blanks around the dashes): the name, or false.
bool sectionName(const std::string& line, size_t comment, std::string& name) {
    const std::string body = trimmed(line.substr(comment + 1, line.find('\n') - comment - 1));
    if (body.size() < 9 || body.compare(0, 4, "----") != 0 ||
        body.compare(body.size() - 4, 4, "----") != 0)
        return false;
    name = trimmed(body.substr(4, body.size() - 8));
    return !name.empty() && name.find_first_not_of('-') != std::string::npos;
}

// A key line as the compiler reads it: four words, a usable track name, position, value and
// interpolation.
bool readKey(TimelineLine& l, const std::vector<std::string>& w) {
    if (w.size() != 4 || !trackNameProblem(w[0]).empty()) return false;
    l.track = w[0];
    return readPositionWord(w[1], l.grid, l.row) && readValueWord(w[2], l.value) &&
           readInterpolationWord(w[3], l.interpolation);
}

// Only the parts the editor rewrites are checked here (track, range, base, peak); the rest of
// a pulse is the compiler's to judge.
bool readPulse(TimelineLine& l, const std::vector<std::string>& w) {
    if (w.size() < 6 || w.size() % 2 || !trackNameProblem(w[1]).empty()) return false;
    l.track = w[1];
    if (!readPositionWord(w[2], l.grid, l.row) || !readPositionWord(w[3], l.grid, l.toRow))
        return false;
    for (size_t i = 6; i + 1 < w.size(); i += 2) {
        if (w[i] == "base" && readValueWord(w[i + 1], l.value)) l.baseWord = int(i + 1);
        if (w[i] == "peak" && readValueWord(w[i + 1], l.peak)) l.peakWord = int(i + 1);
    }
    return l.baseWord > 0 && l.peakWord > 0;
}

void scanLine(TimelineLine& l, size_t from) {
    size_t comment;
    l.words = wordsOfLine(l.text, from, comment);
    if (l.words.empty()) {
        l.kind = comment == std::string::npos           ? LINE_BLANK
                 : sectionName(l.text, comment, l.name) ? LINE_SECTION
                                                        : LINE_COMMENT;
        return;
    }
    std::vector<std::string> w;
    for (size_t i = 0; i < l.words.size(); ++i) w.push_back(l.word(i));
    bool good = false;
    if (w[0] == "tempo") {
        good = readTempoStatement(w, l.grid);
        l.kind = LINE_TEMPO;
    } else if (w[0] == "onsets") {
        good = w.size() == 2;
        l.kind = LINE_ONSETS;
    } else if (w[0] == "pulse") {
        good = readPulse(l, w);
        l.kind = LINE_PULSE;
    } else if (w[0] == "mark") {
        good = readMarkName(w, l.name) && readPositionWord(w[1], l.grid, l.row);
        l.kind = LINE_MARK;
    } else {
        good = readKey(l, w);
        l.kind = LINE_KEY;
    }
    if (!good) l.kind = LINE_OTHER;
}

// The line's own reading, on the grid and in the section of the line before it.
void scanInPlace(TimelineText& t, size_t i) {
    TimelineLine& line = t.lines[i];
    line.grid = i > 0 ? t.lines[i - 1].grid : TimelineGrid();
    line.section = i > 0 ? t.lines[i - 1].section : -1;
    line.track.clear();
    line.name.clear();
    line.baseWord = line.peakWord = -1;
    // A byte order mark only counts at the very start, as the compiler has it.
    scanLine(line, i == 0 && line.text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0);
    if (line.kind == LINE_SECTION) ++line.section; // sections are numbered in text order
}

bool shapesLater(const TimelineLine& line) {
    return line.kind == LINE_TEMPO || line.kind == LINE_SECTION;
}

} // namespace

void scanTimelineText(const std::string& text, TimelineText& out) {
    out = TimelineText();
    for (size_t p = 0; p < text.size();) {
        const char* nl = static_cast<const char*>(std::memchr(&text[p], '\n', text.size() - p));
        const size_t end = nl ? size_t(nl - text.data()) + 1 : text.size();
        out.lines.emplace_back();
        out.lines.back().text = text.substr(p, end - p);
        scanInPlace(out, out.lines.size() - 1);
        if (out.lines.back().kind == LINE_SECTION)
            out.sections.push_back({out.lines.back().name, int(out.lines.size()) - 1});
        p = end;
    }
    if (!out.lines.empty()) {
        const std::string& first = out.lines[0].text;
        if (first.size() >= 2 && first.compare(first.size() - 2, 2, "\r\n") == 0)
            out.lineEnd = "\r\n";
    }
}

void replaceTimelineLines(TimelineText& text, size_t first, size_t count,
                          const std::vector<std::string>& texts) {
    bool whole = first == 0; // the first line decides the line end and may carry a mark
    for (size_t i = first; i < first + count; ++i) whole = whole || shapesLater(text.lines[i]);
    text.lines.erase(text.lines.begin() + long(first), text.lines.begin() + long(first + count));
    std::vector<TimelineLine> made(texts.size());
    for (size_t i = 0; i < texts.size(); ++i) made[i].text = texts[i];
    text.lines.insert(text.lines.begin() + long(first), made.begin(), made.end());
    for (size_t i = first; i < first + texts.size() && !whole; ++i) {
        scanInPlace(text, i);
        whole = shapesLater(text.lines[i]);
    }
    if (whole) {
        const std::string joined = joinTimelineText(text);
        scanTimelineText(joined, text);
        return;
    }
    for (TimelineSection& section : text.sections)
        if (size_t(section.line) >= first + count) section.line += int(texts.size()) - int(count);
}

std::string joinTimelineText(const TimelineText& text) {
    std::string joined;
    for (const TimelineLine& line : text.lines) joined += line.text;
    return joined;
}

int findKeyLine(const TimelineText& text, const std::string& track, int32_t row) {
    for (size_t i = 0; i < text.lines.size(); ++i) {
        const TimelineLine& l = text.lines[i];
        if (l.kind == LINE_KEY && l.row == row && l.track == track) return int(i);
    }
    return -1;
}

int findPulseLine(const TimelineText& text, const std::string& track, int32_t row) {
    int found = -1;
    for (size_t i = 0; i < text.lines.size(); ++i) {
        const TimelineLine& l = text.lines[i];
        if (l.kind == LINE_PULSE && l.track == track && l.row <= row && row <= l.toRow)
            found = int(i);
    }
    return found;
}

std::vector<int> trackLines(const TimelineText& text, const std::string& track) {
    std::vector<int> found;
    for (size_t i = 0; i < text.lines.size(); ++i) {
        const TimelineLine& l = text.lines[i];
        if ((l.kind == LINE_KEY || l.kind == LINE_PULSE) && l.track == track)
            found.push_back(int(i));
    }
    return found;
}

int findSection(const TimelineText& text, const std::string& name) {
    for (size_t i = 0; i < text.sections.size(); ++i)
        if (text.sections[i].name == name) return int(i);
    return -1;
}

int sectionOfTrack(const TimelineText& text, const std::string& track) {
    const std::vector<int> lines = trackLines(text, track);
    return lines.empty() ? -1 : text.lines[size_t(lines[0])].section;
}

TimelineGrid gridAt(const TimelineText& text, size_t at) {
    return at == 0 || text.lines.empty() ? TimelineGrid()
                                         : text.lines[std::min(at, text.lines.size()) - 1].grid;
}
