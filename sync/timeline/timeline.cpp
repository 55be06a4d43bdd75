// timeline.cpp - see timeline.h.
#include "timeline.h"

#include "file_utils.h"
#include "onset_list.h"
#include "pulse.h"

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// ---- parse state ----------------------------------------------------------------------------

// A key with the line it came from. A pulse's closing cut is soft: a hand key on its row takes
// its place instead of colliding with it.
struct PlacedKey {
    TrackKey key;
    long line;
    bool fromPulse;
    bool soft;
};

struct ParseState {
    const std::string& file;
    long line = 0;
    double bpm = 145.0;
    double rowsPerBeat = 8.0;
    std::map<std::string, std::map<int32_t, PlacedKey>> keys; // track -> row -> its key
    OnsetLists onsets;
    long onsetsLine = 0;  // the line of the onsets statement; 0 before it
    size_t pulseHits = 0; // of all pulses so far
    Timeline& out;

    void error(const std::string& message) {
        out.errors.push_back(file + ":" + std::to_string(line) + ": " + message);
    }
};

const char* const kInterpolationNames[] = {"step", "linear", "smooth", "ramp"};
// More hits than any demo needs (an hour of sixteenths is 35 000), for one pulse and for all
// of a timeline's together; beyond them a typo in a range would build millions of keys.
const size_t kMaxPulseHits = 100000;
const size_t kMaxTimelineHits = 1000000;
// Enough to see what is wrong with an onset file without its errors burying the timeline's.
const size_t kShownOnsetErrors = 8;
const size_t kShownChars = 64;
const char* const kRowRange = "-2147483648..2147483647";
// The magnitude from which a double rounds to an infinite float: FLT_MAX plus half a step.
const double kFloatRoundsToInf = 0x1.ffffffp+127;

// ---- words ----------------------------------------------------------------------------------

enum class Number { Bad, OutOfRange, Good };

// The whole word as a number; an overflow (or "inf") is out of range, an underflow is the
// number next to 0 that was meant.
Number readNumber(const std::string& word, double& value) {
    if (word.empty()) return Number::Bad;
    char* end = nullptr;
    value = std::strtod(word.c_str(), &end);
    // The end must be the word's end: an embedded NUL would otherwise cut the word short.
    if (end != word.c_str() + word.size() || std::isnan(value)) return Number::Bad;
    return std::isinf(value) ? Number::OutOfRange : Number::Good;
}

bool isDigits(const std::string& word, size_t from = 0) {
    if (from >= word.size()) return false;
    for (size_t i = from; i < word.size(); ++i)
        if (word[i] < '0' || word[i] > '9') return false;
    return true;
}

// An optional sign and digits: a number meant as an integer, whatever its size.
bool isIntegerWord(const std::string& word) {
    return isDigits(word, !word.empty() && (word[0] == '-' || word[0] == '+') ? 1 : 0);
}

std::string quoted(const std::string& word) {
    return "\"" + shownText(word) + "\"";
}

// A row for a message: whole below 1e15, else short ("3.2e+22", "inf").
std::string formatRow(double row) {
    char text[32];
    std::snprintf(text, sizeof text, std::fabs(row) < 1e15 ? "%.0f" : "%.6g", row);
    return text;
}

// Seconds of "12.5s", "1500ms" or "1:02.5". Bad for anything else, and for seconds of a
// minute form outside 0 to under 60.
Number parseTime(const std::string& word, double& seconds) {
    const size_t colon = word.find(':');
    if (colon != std::string::npos) {
        double minutes = 0, rest = 0;
        const std::string head = word.substr(0, colon);
        if (!isDigits(head) || readNumber(word.substr(colon + 1), rest) != Number::Good ||
            rest < 0 || rest >= 60)
            return Number::Bad;
        if (readNumber(head, minutes) != Number::Good) return Number::OutOfRange;
        seconds = minutes * 60.0 + rest;
        return std::isinf(seconds) ? Number::OutOfRange : Number::Good;
    }
    if (word.size() > 2 && word.compare(word.size() - 2, 2, "ms") == 0) {
        const Number n = readNumber(word.substr(0, word.size() - 2), seconds);
        seconds /= 1000.0;
        return n;
    }
    if (word.size() > 1 && word.back() == 's')
        return readNumber(word.substr(0, word.size() - 1), seconds);
    return Number::Bad;
}

// Beats of "b16" or "b16:2.5" (bar 16, two and a half beats in; both counted from 0, four
// beats a bar). Bad for anything else.
Number parseBar(const std::string& word, double& beats) {
    const size_t colon = word.find(':');
    const std::string barText = word.substr(1, colon == std::string::npos ? colon : colon - 1);
    double bar = 0, beat = 0;
    if (!isDigits(barText)) return Number::Bad;
    if (colon != std::string::npos &&
        (readNumber(word.substr(colon + 1), beat) != Number::Good || beat < 0 || beat >= 4))
        return Number::Bad;
    if (readNumber(barText, bar) != Number::Good) return Number::OutOfRange; // 309 digits on
    beats = bar * 4.0 + beat;
    return Number::Good;
}

// The row `rows` (already rounded) when it fits a key; otherwise an error naming `what`.
bool rowInRange(ParseState& st, const std::string& what, double rows, int32_t& row) {
    if (!(rows >= double(INT32_MIN) && rows <= double(INT32_MAX))) {
        st.error(what + " is out of range (row " + formatRow(rows) + " is not in " + kRowRange +
                 ")");
        return false;
    }
    row = int32_t(rows);
    return true;
}

// The value of an integer word (isIntegerWord) when it lies in lo..hi.
bool integerInRange(const std::string& word, long long lo, long long hi, int32_t& out) {
    errno = 0;
    const long long n = std::strtoll(word.c_str(), nullptr, 10);
    if (errno == ERANGE || n < lo || n > hi) return false;
    out = int32_t(n);
    return true;
}

// The interpolations the player evaluates; it reads any other number as 0.
bool playable(long long interpolation) {
    return interpolation >= 0 && interpolation <= 3;
}

bool parsePosition(ParseState& st, const std::string& word, int32_t& row) {
    if (isIntegerWord(word)) {
        if (integerInRange(word, INT32_MIN, INT32_MAX, row)) return true;
        st.error("row " + shownText(word) + " is out of range (" + kRowRange + ")");
        return false;
    }
    if (word[0] == 'b') {
        double beats = 0;
        const Number n = parseBar(word, beats);
        if (n == Number::Bad) {
            st.error("bar position " + quoted(word) +
                     " is not b<bar> or b<bar>:<beat 0 to under 4>");
            return false;
        }
        const double rows = n == Number::Good ? std::round(beats * st.rowsPerBeat) : HUGE_VAL;
        return rowInRange(st, "bar " + shownText(word), rows, row);
    }
    double seconds = 0;
    const Number n = parseTime(word, seconds);
    if (n == Number::Bad) {
        st.error("position " + quoted(word) +
                 " is neither a row, a time (12.5s, 1500ms, 1:02.5) nor a bar (b16, b16:2)");
        return false;
    }
    const double rows = n == Number::Good ? std::round(seconds * st.bpm / 60.0 * st.rowsPerBeat)
                                          : (word[0] == '-' ? -HUGE_VAL : HUGE_VAL);
    return rowInRange(st, "time " + shownText(word), rows, row);
}

bool parseValue(ParseState& st, const std::string& word, float& value) {
    double v = 0;
    const Number n = readNumber(word, v);
    if (n == Number::Bad) {
        st.error("value " + quoted(word) + " is not a number");
        return false;
    }
    // Up to half a step past FLT_MAX still rounds to it: "3.40282347e38", as dump writes
    // FLT_MAX, is just above it.
    if (n == Number::OutOfRange || std::fabs(v) >= kFloatRoundsToInf) {
        st.error("value " + shownText(word) + " is out of range (a float holds -3.40282347e38.." +
                 "3.40282347e38)");
        return false;
    }
    value =
        std::fabs(v) > double(FLT_MAX) ? std::copysign(FLT_MAX, float(v > 0 ? 1 : -1)) : float(v);
    return true;
}

// Only what the player evaluates: any other number makes the segment read 0 (a scene whose
// visibility reads 0 is not drawn), so it is an error rather than a silent hole.
bool parseInterpolation(ParseState& st, const std::string& word, int32_t& interpolation) {
    for (int i = 0; i < 4; ++i)
        if (word == kInterpolationNames[i]) {
            interpolation = i;
            return true;
        }
    if (isIntegerWord(word)) {
        if (integerInRange(word, 0, 3, interpolation)) return true;
        st.error("interpolation " + shownText(word) +
                 " is not one the player can play (0..3: step, linear, smooth, ramp); its "
                 "segment would read 0");
        return false;
    }
    st.error("interpolation " + quoted(word) + " is not step, linear, smooth, ramp or 0..3");
    return false;
}

// ---- statements -----------------------------------------------------------------------------

void parseTempo(ParseState& st, const std::vector<std::string>& words) {
    double bpm = 0, rows = 0;
    if (words.size() != 3 || readNumber(words[1], bpm) != Number::Good ||
        readNumber(words[2], rows) != Number::Good || bpm <= 0 || rows <= 0) {
        st.error("tempo needs two positive numbers: beats per minute and rows per beat");
        return;
    }
    st.bpm = bpm;
    st.rowsPerBeat = rows;
}

// Puts a key on its track's row. Two keys on one row are an error naming both lines, unless
// one of them is a pulse's soft closing cut: then the other key stays.
void placeKey(ParseState& st, const std::string& track, const PlacedKey& placed) {
    auto& rows = st.keys[track];
    const auto [it, fresh] = rows.emplace(placed.key.row, placed);
    if (fresh || placed.soft) return;
    if (it->second.soft) {
        it->second = placed;
        return;
    }
    const std::string other =
        (it->second.fromPulse ? "the pulse of line " : "line ") + std::to_string(it->second.line);
    st.error("track " + track + " already has a key at row " + std::to_string(placed.key.row) +
             " (" + other + ")");
}

// True when `name` can be a track name; otherwise an error says why.
bool trackName(ParseState& st, const std::string& name) {
    const std::string problem = trackNameProblem(name);
    if (!problem.empty()) st.error(problem);
    return problem.empty();
}

void parseKey(ParseState& st, const std::vector<std::string>& words) {
    if (words.size() != 4) {
        st.error("a key is: track position value interpolation");
        return;
    }
    const std::string& name = words[0];
    if (!trackName(st, name)) return;
    TrackKey key{};
    if (!parsePosition(st, words[1], key.row) || !parseValue(st, words[2], key.value) ||
        !parseInterpolation(st, words[3], key.interpolation))
        return;
    placeKey(st, name, {key, st.line, false, false});
}

// "onsets FILE": the onset lists that later pulses may hit on, read from FILE (relative to the
// timeline's folder). One per timeline.
void parseOnsetsStatement(ParseState& st, const std::vector<std::string>& words) {
    if (words.size() != 2) {
        st.error("onsets needs one file name (relative to the timeline)");
        return;
    }
    if (st.onsetsLine) {
        st.error("a timeline reads one onsets file (line " + std::to_string(st.onsetsLine) +
                 " names one already)");
        return;
    }
    const size_t slash = st.file.find_last_of('/');
    const std::string path = words[1][0] == '/' || slash == std::string::npos
                                 ? words[1]
                                 : st.file.substr(0, slash + 1) + words[1];
    st.out.onsetFile = path; // known even when unusable: the file to fix and to watch
    // Its messages are this line's, each naming the onset file's own line too.
    OnsetLists lists;
    if (!readOnsets(path, lists, shownText(path))) {
        const size_t count = lists.errors.size();
        for (size_t i = 0; i < count && i < kShownOnsetErrors; ++i)
            st.error("onsets: " + lists.errors[i]);
        if (count > kShownOnsetErrors)
            st.error("onsets: " + std::to_string(count - kShownOnsetErrors) + " more errors in " +
                     shownText(path));
        return;
    }
    st.onsets = std::move(lists);
    st.onsetsLine = st.line;
}

// Rows of "12" (rows), "1.5beats" / "1beat", "150ms" or "0.2s", rounded to the nearest row.
bool parseDuration(ParseState& st, const std::string& what, const std::string& word,
                   int32_t& rows) {
    auto endsWith = [&](const char* tail) {
        const size_t n = std::strlen(tail);
        return word.size() > n && word.compare(word.size() - n, n, tail) == 0;
    };
    double amount = 0, perUnit = 1; // rows per unit
    std::string number = word;
    if (endsWith("beats") || endsWith("beat")) {
        number = word.substr(0, word.size() - (endsWith("beats") ? 5 : 4));
        perUnit = st.rowsPerBeat;
    } else if (endsWith("ms")) {
        number = word.substr(0, word.size() - 2);
        perUnit = st.bpm / 60000.0 * st.rowsPerBeat;
    } else if (endsWith("s")) {
        number = word.substr(0, word.size() - 1);
        perUnit = st.bpm / 60.0 * st.rowsPerBeat;
    }
    const double limit = 1e6; // rows: about two hours at 145 BPM
    if (readNumber(number, amount) != Number::Good || amount < 0 || amount * perUnit > limit) {
        st.error(what + " " + quoted(word) +
                 " is not a duration (rows 0 to 1000000, or 1.5beats, 150ms, 0.2s)");
        return false;
    }
    rows = int32_t(std::round(amount * perUnit));
    return true;
}

// The times of onset list `name` of the onsets file; null, after an error, when there is none.
const std::vector<double>* onsetList(ParseState& st, const std::string& name) {
    if (!st.onsetsLine) {
        st.error("pulse on onsets " + quoted(name) +
                 " needs an onsets statement (onsets FILE) before it");
        return nullptr;
    }
    const auto list = st.onsets.lists.find(name);
    if (list != st.onsets.lists.end()) return &list->second;
    std::string names;
    for (const auto& [listName, times] : st.onsets.lists) names += " " + listName;
    st.error("onset list " + quoted(name) + " is not in " + shownText(st.out.onsetFile) +
             " (it has:" + (names.empty() ? std::string(" none") : names) + ")");
    return nullptr;
}

// The grid of "every BEATS", "beats B,B,..." (beats of the bar) or "pattern x...x..." (steps
// over a bar): hits at k * period + each offset, in beats. False, after an error, for
// anything else.
bool parseGrid(ParseState& st, const std::string& kind, const std::string& arg, double& period,
               std::vector<double>& offsets) {
    period = 4;
    if (kind == "every") {
        if (readNumber(arg, period) != Number::Good || period < 1.0 / 64 || period > 1e6) {
            st.error("every " + quoted(arg) + ": the beats between hits, 1/64 to 1000000");
            return false;
        }
        offsets.push_back(0);
    } else if (kind == "beats") {
        for (size_t at = 0; at <= arg.size();) {
            size_t comma = arg.find(',', at);
            if (comma == std::string::npos) comma = arg.size();
            double beat = 0;
            if (readNumber(arg.substr(at, comma - at), beat) != Number::Good || beat < 0 ||
                beat >= 4) {
                st.error("beats " + quoted(arg) + ": beats of the bar, 0 to under 4, by commas");
                return false;
            }
            offsets.push_back(beat);
            at = comma + 1;
        }
    } else if (kind == "pattern") {
        if (arg.size() > 64 || arg.find_first_not_of("x.") != std::string::npos) {
            st.error("pattern " + quoted(arg) + ": one bar of steps, x a hit and . a rest, " +
                     "at most 64 (x...x...x.x.x... is sixteenths)");
            return false;
        }
        for (size_t i = 0; i < arg.size(); ++i)
            if (arg[i] == 'x') offsets.push_back(4.0 * double(i) / double(arg.size()));
    } else {
        st.error("pulse hits " + quoted(kind) + " are not every, beats, pattern or onsets");
        return false;
    }
    return true;
}

// The hit rows in [fromRow, toRow) of a grid or of "onsets LIST".
bool parseHits(ParseState& st, const std::string& kind, const std::string& arg, int32_t fromRow,
               int32_t toRow, std::vector<int32_t>& hits) {
    bool tooMany = false;
    if (kind == "onsets") {
        const std::vector<double>* times = onsetList(st, arg);
        if (!times) return false;
        hits = timeHits(*times, st.bpm, st.rowsPerBeat, fromRow, toRow);
        tooMany = hits.size() > kMaxPulseHits;
    } else {
        double period = 4;
        std::vector<double> offsets;
        if (!parseGrid(st, kind, arg, period, offsets)) return false;
        hits = gridHits(period, offsets, st.rowsPerBeat, fromRow, toRow, kMaxPulseHits, tooMany);
    }
    if (tooMany) st.error("pulse has more than " + std::to_string(kMaxPulseHits) + " hits");
    return !tooMany;
}

const char* const kPulseForm = "a pulse is: pulse track from to (every B | beats B,B | pattern "
                               "x..x | onsets LIST) base V peak V [attack D] decay D [shape S]";

// "pulse TRACK FROM TO HITS base V peak V [attack D] decay D [shape linear|smooth|ramp]":
// compiled here into keys, as if each had been written by hand.
void parsePulse(ParseState& st, const std::vector<std::string>& words) {
    if (words.size() < 6 || words.size() % 2) {
        st.error(kPulseForm);
        return;
    }
    const std::string& name = words[1];
    if (!trackName(st, name)) return;
    Pulse pulse;
    if (!parsePosition(st, words[2], pulse.fromRow) || !parsePosition(st, words[3], pulse.toRow))
        return;
    if (pulse.toRow <= pulse.fromRow) {
        st.error("pulse ends at " + shownText(words[3]) + ", not after its start " +
                 shownText(words[2]));
        return;
    }
    bool haveBase = false, havePeak = false, haveDecay = false;
    for (size_t i = 6; i < words.size(); i += 2) {
        const std::string& key = words[i];
        const std::string& arg = words[i + 1];
        bool good = true;
        if (key == "base") {
            good = haveBase = parseValue(st, arg, pulse.base);
        } else if (key == "peak") {
            good = havePeak = parseValue(st, arg, pulse.peak);
        } else if (key == "attack") {
            good = parseDuration(st, "attack", arg, pulse.attackRows);
        } else if (key == "decay") {
            good = haveDecay = parseDuration(st, "decay", arg, pulse.decayRows);
            if (good && pulse.decayRows < 1) {
                st.error("decay " + shownText(arg) +
                         " is under half a row; a pulse must fall back");
                return;
            }
        } else if (key == "shape") {
            if (arg == "linear" || arg == "smooth" || arg == "ramp") {
                pulse.shape = arg == "linear"   ? INTERP_LINEAR
                              : arg == "smooth" ? INTERP_SMOOTH
                                                : INTERP_RAMP;
            } else {
                st.error("shape " + quoted(arg) + " is not linear, smooth or ramp");
                return;
            }
        } else {
            st.error(quoted(key) + " is not base, peak, attack, decay or shape");
            return;
        }
        if (!good) return;
    }
    if (!haveBase || !havePeak || !haveDecay) {
        st.error("a pulse needs base, peak and decay; " + std::string(kPulseForm));
        return;
    }
    std::vector<int32_t> hits;
    if (!parseHits(st, words[4], words[5], pulse.fromRow, pulse.toRow, hits)) return;
    st.pulseHits += hits.size();
    if (st.pulseHits > kMaxTimelineHits) {
        st.error("the pulses so far have more than " + std::to_string(kMaxTimelineHits) +
                 " hits in all");
        return;
    }
    const PulseKeys made = expandPulse(pulse, hits);
    for (size_t i = 0; i < made.keys.size(); ++i)
        placeKey(st, name,
                 {made.keys[i], st.line, true, made.endIsCut && i + 1 == made.keys.size()});
    if (hits.empty())
        st.out.warnings.push_back(st.file + ":" + std::to_string(st.line) + ": pulse on " + name +
                                  " has no hits in its range");
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// The name between the quotes of a mark's words from words[2] on, blanks read as one space.
bool quotedName(const std::vector<std::string>& words, std::string& name) {
    if (words.size() < 3) return false;
    std::string joined = words[2];
    for (size_t i = 3; i < words.size(); ++i) joined += " " + words[i];
    if (joined.size() < 2 || joined.front() != '"' || joined.back() != '"') return false;
    name = joined.substr(1, joined.size() - 2);
    return markNameProblem(name).empty();
}

// "mark POSITION "name"": a bookmark, listed for the editor and never compiled into keys.
void parseMark(ParseState& st, const std::vector<std::string>& words) {
    TimelineMark mark{0, {}, st.line};
    if (!quotedName(words, mark.name)) {
        st.error("a mark is: mark position \"name\" (a name without quotes, '#' or control "
                 "characters)");
        return;
    }
    if (!parsePosition(st, words[1], mark.row)) return;
    st.out.marks.push_back(mark);
}

// A parse state for reading one word without a statement around it; errors are dropped.
struct WordReader {
    std::string file;
    Timeline out;
    ParseState st{file, 0, 145.0, 8.0, {}, {}, 0, 0, out};
};

// The words of [begin, end) up to a '#'.
std::vector<std::string> wordsOf(const char* begin, const char* end) {
    std::vector<std::string> words;
    const char* p = begin;
    for (;;) {
        while (p < end && isSpace(*p)) ++p;
        if (p == end || *p == '#') break;
        const char* start = p;
        while (p < end && !isSpace(*p) && *p != '#') ++p;
        words.emplace_back(start, p);
    }
    return words;
}

// ---- writing --------------------------------------------------------------------------------

std::string systemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

// Where a compile puts its tracks before they move into `dir`: a fresh folder beside it, or,
// when that cannot be made or lies on another file system (`dir` is a mount point), inside it.
// Renames only stay atomic within one file system.
bool makeStagingDir(const std::string& dir, std::string& staging, std::string& error) {
    struct stat target;
    if (stat(dir.c_str(), &target) != 0) {
        error = systemError("cannot use " + dir);
        return false;
    }
    if (!S_ISDIR(target.st_mode)) {
        error = dir + " is not a directory";
        return false;
    }
    for (const char* place : {"/../.synctool-XXXXXX", "/.synctool-XXXXXX"}) {
        std::string path = dir + place;
        if (!mkdtemp(&path[0])) continue;
        struct stat made;
        if (stat(path.c_str(), &made) == 0 && made.st_dev == target.st_dev) {
            staging = path;
            return true;
        }
        rmdir(path.c_str());
    }
    error = systemError("cannot make a temporary folder beside or in " + dir);
    return false;
}

struct StagedTrack {
    std::string staged; // the new file in the staging folder
    std::string target; // where it goes
    std::string backup; // a link to (or copy of) the file it replaces, in the staging folder
    bool hasBackup = false;
    bool moved = false;
};

} // namespace

// ---- public functions -----------------------------------------------------------------------

std::string shownText(const std::string& text) {
    std::string shown;
    const size_t n = std::min(text.size(), kShownChars);
    for (size_t i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7f) {
            shown += char(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            shown += hex;
        }
    }
    if (text.size() > n) shown += "...";
    return shown;
}

std::string trackNameProblem(const std::string& name) {
    for (char c : name)
        if (!(c >= 'a' && c <= 'z') && !(c >= 'A' && c <= 'Z') && !(c >= '0' && c <= '9') &&
            c != '_' && c != '-' && c != '.')
            return "track name " + quoted(name) + " may only hold letters, digits, _ - and .";
    if (name.empty() || name == "." || name == "..")
        return "track name " + quoted(name) + " is not a file name";
    if (name.size() > kMaxTrackName)
        return "track name " + quoted(name) + " is " + std::to_string(name.size()) +
               " characters long; the player's file \"_<name>.track\" allows " +
               std::to_string(kMaxTrackName);
    return {};
}

std::string keyProblem(const TrackKey& key) {
    if (!playable(key.interpolation))
        return "interpolation " + std::to_string(key.interpolation) +
               " is not one the player can play (0..3)";
    if (!std::isfinite(key.value)) return "value is not a finite number";
    return {};
}

void forEachStatement(const std::string& text,
                      const std::function<void(long, const std::vector<std::string>&)>& statement) {
    const char* p = text.data();
    const char* const end = p + text.size();
    // Some editors start UTF-8 text with a byte order mark; it would join the first word.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) p += 3;
    long line = 0;
    while (p < end) {
        const char* lineEnd = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
        if (!lineEnd) lineEnd = end;
        ++line;
        const std::vector<std::string> words = wordsOf(p, lineEnd);
        p = lineEnd == end ? end : lineEnd + 1;
        if (!words.empty()) statement(line, words);
    }
}

bool parseTimeline(const std::string& text, const std::string& fileName, Timeline& out) {
    ParseState st{fileName, 0, 145.0, 8.0, {}, {}, 0, 0, out};
    forEachStatement(text, [&](long line, const std::vector<std::string>& words) {
        st.line = line;
        if (words[0] == "tempo")
            parseTempo(st, words);
        else if (words[0] == "onsets")
            parseOnsetsStatement(st, words);
        else if (words[0] == "pulse")
            parsePulse(st, words);
        else if (words[0] == "mark")
            parseMark(st, words);
        else
            parseKey(st, words);
    });
    for (const auto& [name, rows] : st.keys) {
        std::vector<TrackKey>& keys = out.tracks[name];
        for (const auto& [row, placed] : rows) keys.push_back(placed.key);
    }
    return out.errors.empty();
}

// All tracks are written into a staging folder first; only when every one is written do they
// move into `dir`, each replacing its old file by a rename. A file being replaced is first
// linked (or copied) into the staging folder, so a failed move puts every file back as it was.
bool writeTracks(const Timeline& timeline, const std::string& dir, std::string& error) {
    std::string staging;
    if (!makeStagingDir(dir, staging, error)) return false;

    std::vector<StagedTrack> tracks;
    bool good = true;
    for (const auto& [name, keys] : timeline.tracks) {
        StagedTrack t;
        t.staged = staging + "/_" + name + ".track";
        t.target = dir + "/_" + name + ".track";
        t.backup = staging + "/old_" + name + ".track";
        if (keys.size() > size_t(INT32_MAX)) { // the file's key count is 32 bits
            error = "track " + name + " has more keys than a track file holds";
            good = false;
            break;
        }
        if (keytrack_write(t.staged.c_str(), keys.data(), int32_t(keys.size())) != 0) {
            error = systemError("cannot write " + t.staged);
            unlink(t.staged.c_str());
            good = false;
            break;
        }
        tracks.push_back(t);
    }
    // Only files (and links) are kept: anything else in the way makes its move fail below.
    for (StagedTrack& t : tracks) {
        struct stat old;
        if (!good || lstat(t.target.c_str(), &old) != 0) continue;
        if (!S_ISREG(old.st_mode) && !S_ISLNK(old.st_mode)) continue;
        t.hasBackup = link(t.target.c_str(), t.backup.c_str()) == 0 ||
                      (S_ISREG(old.st_mode) && file_copy(t.target, t.backup, false));
        if (!t.hasBackup) {
            error = systemError("cannot keep a copy of " + t.target);
            good = false;
        }
    }
    for (StagedTrack& t : tracks) {
        if (!good) break;
        t.moved = rename(t.staged.c_str(), t.target.c_str()) == 0;
        if (!t.moved) {
            error = systemError("cannot move " + t.staged + " to " + t.target);
            good = false;
        }
    }
    bool restored = true;
    for (StagedTrack& t : tracks) {
        if (!good && t.moved) {
            const bool back = t.hasBackup ? rename(t.backup.c_str(), t.target.c_str()) == 0
                                          : unlink(t.target.c_str()) == 0;
            if (back) t.hasBackup = false;
            restored = restored && back;
        }
        if (!t.moved) unlink(t.staged.c_str());
        if (t.hasBackup && (good || !t.moved)) unlink(t.backup.c_str());
    }
    if (!restored) {
        error += "; some old tracks could not be put back and are kept in " + staging;
        return false;
    }
    rmdir(staging.c_str());
    return good;
}

std::string dumpTrack(const std::string& name, const KeyTrack& track) {
    std::string text;
    char line[512];
    for (int32_t i = 0; i < track.key_count; ++i) {
        const TrackKey& k = track.keys[i];
        const int interp = k.interpolation;
        std::string how = playable(interp) ? kInterpolationNames[interp] : std::to_string(interp);
        std::snprintf(line, sizeof line, " %d %.9g %s\n", k.row, double(k.value), how.c_str());
        text += name + line;
    }
    return text;
}

bool readTextFile(const std::string& path, std::string& text) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    const bool good = !std::ferror(f);
    const int readError = errno;
    std::fclose(f);
    errno = readError;
    return good;
}

std::string trackNameOfFile(const std::string& path) {
    std::string name = path.substr(path.find_last_of("/\\") + 1);
    if (name.size() > 6 && name.compare(name.size() - 6, 6, ".track") == 0)
        name.resize(name.size() - 6);
    if (!name.empty() && name[0] == '_') name.erase(0, 1);
    return name;
}

bool readPositionWord(const std::string& word, const TimelineGrid& grid, int32_t& row) {
    WordReader r;
    r.st.bpm = grid.bpm;
    r.st.rowsPerBeat = grid.rowsPerBeat;
    return !word.empty() && parsePosition(r.st, word, row);
}

bool readValueWord(const std::string& word, float& value) {
    WordReader r;
    return parseValue(r.st, word, value);
}

bool readInterpolationWord(const std::string& word, int32_t& interpolation) {
    WordReader r;
    return parseInterpolation(r.st, word, interpolation);
}

bool readTempoStatement(const std::vector<std::string>& words, TimelineGrid& grid) {
    WordReader r;
    parseTempo(r.st, words);
    if (!r.out.errors.empty()) return false;
    grid = {r.st.bpm, r.st.rowsPerBeat};
    return true;
}

bool readMarkName(const std::vector<std::string>& words, std::string& name) {
    return !words.empty() && words[0] == "mark" && quotedName(words, name);
}

std::string markNameProblem(const std::string& name) {
    for (char c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '"' || c == '#' || u < 0x20 || u == 0x7f)
            return "mark name " + quoted(name) + " may not hold '\"', '#' or control characters";
    }
    return {};
}
