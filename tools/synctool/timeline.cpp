// timeline.cpp - see timeline.h.
#include "timeline.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace {

// ---- parse state ----------------------------------------------------------------------------

struct ParseState {
    const std::string& file;
    int line = 0;
    double bpm = 145.0;
    double rowsPerBeat = 8.0;
    std::map<std::string, std::map<int32_t, int>> keyLines; // track -> row -> line of its key
    Timeline& out;

    void error(const std::string& message) {
        out.errors.push_back(file + ":" + std::to_string(line) + ": " + message);
    }
};

const char* const kInterpolationNames[] = {"step", "linear", "smooth", "ramp"};

// ---- words ----------------------------------------------------------------------------------

bool parseDouble(const std::string& word, double& value) {
    if (word.empty()) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(word.c_str(), &end);
    return *end == '\0' && errno == 0 && std::isfinite(value);
}

bool parseInt(const std::string& word, long lo, long hi, long& value) {
    if (word.empty()) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtol(word.c_str(), &end, 10);
    return *end == '\0' && errno == 0 && value >= lo && value <= hi;
}

bool validTrackName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-' && c != '.')
            return false;
    return true;
}

// Seconds of "12.5s", "1500ms" or "1:02.5"; false for anything else.
bool parseTime(const std::string& word, double& seconds) {
    const size_t colon = word.find(':');
    if (colon != std::string::npos) {
        long minutes = 0;
        double rest = 0;
        if (!parseInt(word.substr(0, colon), 0, 100000, minutes)) return false;
        if (!parseDouble(word.substr(colon + 1), rest) || rest < 0 || rest >= 60) return false;
        seconds = minutes * 60.0 + rest;
        return true;
    }
    if (word.size() > 2 && word.compare(word.size() - 2, 2, "ms") == 0) {
        if (!parseDouble(word.substr(0, word.size() - 2), seconds)) return false;
        seconds /= 1000.0;
        return true;
    }
    if (word.size() > 1 && word.back() == 's')
        return parseDouble(word.substr(0, word.size() - 1), seconds);
    return false;
}

// Bars and beats of "b16" or "b16:2.5" (bar 16, two and a half beats in; both counted from 0,
// four beats a bar) as beats; false for anything else.
bool parseBar(const std::string& word, double& beats) {
    if (word.size() < 2 || word[0] != 'b') return false;
    const size_t colon = word.find(':');
    long bar = 0;
    if (!parseInt(word.substr(1, colon == std::string::npos ? std::string::npos : colon - 1), 0,
                  10000000, bar))
        return false;
    double beat = 0;
    if (colon != std::string::npos &&
        (!parseDouble(word.substr(colon + 1), beat) || beat < 0 || beat >= 4))
        return false;
    beats = bar * 4.0 + beat;
    return true;
}

bool parsePosition(ParseState& st, const std::string& word, int32_t& row) {
    long r = 0;
    if (parseInt(word, INT32_MIN, INT32_MAX, r)) {
        row = int32_t(r);
        return true;
    }
    if (!word.empty() && word[0] == 'b') {
        double beats = 0;
        if (!parseBar(word, beats)) {
            st.error("bar position \"" + word + "\" is not b<bar> or b<bar>:<beat 0 to under 4>");
            return false;
        }
        const double rows = std::round(beats * st.rowsPerBeat);
        if (!(rows <= INT32_MAX)) {
            st.error("bar \"" + word + "\" is beyond the last row");
            return false;
        }
        row = int32_t(rows);
        return true;
    }
    double seconds = 0;
    if (!parseTime(word, seconds)) {
        st.error("position \"" + word +
                 "\" is neither a row, a time (12.5s, 1500ms, 1:02.5) nor a bar (b16, b16:2)");
        return false;
    }
    const double rows = std::round(seconds * st.bpm / 60.0 * st.rowsPerBeat);
    if (!(rows >= INT32_MIN && rows <= INT32_MAX)) {
        st.error("time \"" + word + "\" is beyond the last row");
        return false;
    }
    row = int32_t(rows);
    return true;
}

bool parseInterpolation(ParseState& st, const std::string& word, int32_t& interpolation) {
    for (int i = 0; i < 4; ++i)
        if (word == kInterpolationNames[i]) {
            interpolation = i;
            return true;
        }
    long n = 0;
    if (parseInt(word, -128, 127, n)) {
        interpolation = int32_t(n);
        return true;
    }
    st.error("interpolation \"" + word + "\" is not step, linear, smooth, ramp or -128..127");
    return false;
}

// ---- statements -----------------------------------------------------------------------------

void parseTempo(ParseState& st, const std::vector<std::string>& words) {
    double bpm = 0, rows = 0;
    if (words.size() != 3 || !parseDouble(words[1], bpm) || !parseDouble(words[2], rows) ||
        bpm <= 0 || rows <= 0) {
        st.error("tempo needs two positive numbers: beats per minute and rows per beat");
        return;
    }
    st.bpm = bpm;
    st.rowsPerBeat = rows;
}

void parseKey(ParseState& st, const std::vector<std::string>& words) {
    if (words.size() != 4) {
        st.error("a key is: track position value interpolation");
        return;
    }
    const std::string& name = words[0];
    if (!validTrackName(name)) {
        st.error("track name \"" + name + "\" may only hold letters, digits, _ - and .");
        return;
    }
    TrackKey key{};
    double value = 0;
    if (!parsePosition(st, words[1], key.row)) return;
    if (!parseDouble(words[2], value) || std::fabs(value) > 3.4028234663852886e38) {
        st.error("value \"" + words[2] + "\" is not a finite number");
        return;
    }
    key.value = float(value);
    if (!parseInterpolation(st, words[3], key.interpolation)) return;

    auto& lines = st.keyLines[name];
    const auto [it, fresh] = lines.emplace(key.row, st.line);
    if (!fresh) {
        st.error("track " + name + " already has a key at row " + std::to_string(key.row) +
                 " (line " + std::to_string(it->second) + ")");
        return;
    }
    st.out.tracks[name].push_back(key);
}

std::vector<std::string> wordsOf(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line.substr(0, line.find('#')));
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

} // namespace

bool parseTimeline(const std::string& text, const std::string& fileName, Timeline& out) {
    ParseState st{fileName, 0, 145.0, 8.0, {}, out};
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        ++st.line;
        const std::vector<std::string> words = wordsOf(line);
        if (words.empty()) continue;
        if (words[0] == "tempo")
            parseTempo(st, words);
        else
            parseKey(st, words);
    }
    for (auto& [name, keys] : out.tracks)
        std::sort(keys.begin(), keys.end(),
                  [](const TrackKey& a, const TrackKey& b) { return a.row < b.row; });
    return out.errors.empty();
}

bool writeTracks(const Timeline& timeline, const std::string& dir, std::string& error) {
    for (const auto& [name, keys] : timeline.tracks) {
        const std::string path = dir + "/_" + name + ".track";
        if (keytrack_write(path.c_str(), keys.data(), int32_t(keys.size())) != 0) {
            error = "cannot write " + path;
            return false;
        }
    }
    return true;
}

std::string dumpTrack(const std::string& name, const KeyTrack& track) {
    std::string text;
    char line[512];
    for (int32_t i = 0; i < track.key_count; ++i) {
        const TrackKey& k = track.keys[i];
        const int interp = k.interpolation;
        std::string how =
            interp >= 0 && interp < 4 ? kInterpolationNames[interp] : std::to_string(interp);
        std::snprintf(line, sizeof line, " %d %.9g %s\n", k.row, double(k.value), how.c_str());
        text += name + line;
    }
    return text;
}

std::string trackNameOfFile(const std::string& path) {
    std::string name = path.substr(path.find_last_of("/\\") + 1);
    if (name.size() > 6 && name.compare(name.size() - 6, 6, ".track") == 0)
        name.resize(name.size() - 6);
    if (!name.empty() && name[0] == '_') name.erase(0, 1);
    return name;
}
