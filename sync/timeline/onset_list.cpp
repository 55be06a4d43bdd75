// onset_list.cpp - see onset_list.h.
#include "onset_list.h"

#include "timeline.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

bool validName(const std::string& name) {
    if (name.empty()) return false;
    for (char c : name)
        if (!(c >= 'a' && c <= 'z') && !(c >= 'A' && c <= 'Z') && !(c >= '0' && c <= '9') &&
            c != '_' && c != '-' && c != '.')
            return false;
    return true;
}

} // namespace

bool parseOnsets(const std::string& text, const std::string& fileName, OnsetLists& out) {
    const size_t errorsBefore = out.errors.size();
    long line = 0;
    size_t p = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (p < text.size()) {
        size_t lineEnd = text.find('\n', p);
        if (lineEnd == std::string::npos) lineEnd = text.size();
        ++line;
        std::vector<std::string> words;
        for (size_t i = p; i < lineEnd;) {
            while (i < lineEnd && isSpace(text[i])) ++i;
            if (i == lineEnd || text[i] == '#') break;
            const size_t start = i;
            while (i < lineEnd && !isSpace(text[i]) && text[i] != '#') ++i;
            words.emplace_back(text, start, i - start);
        }
        p = lineEnd + 1;
        if (words.empty()) continue;
        auto error = [&](const std::string& message) {
            out.errors.push_back(fileName + ":" + std::to_string(line) + ": " + message);
        };
        if (words.size() != 2) {
            error("an onset is: list time_ms");
            continue;
        }
        if (!validName(words[0])) {
            error("list name \"" + shownText(words[0]) +
                  "\" may only hold letters, digits, _ - and .");
            continue;
        }
        char* end = nullptr;
        errno = 0;
        const double ms = std::strtod(words[1].c_str(), &end);
        if (end != words[1].c_str() + words[1].size() || errno == ERANGE || !std::isfinite(ms) ||
            ms < 0) {
            error("time \"" + shownText(words[1]) + "\" is not a number of milliseconds >= 0");
            continue;
        }
        out.lists[words[0]].push_back(ms);
    }
    for (auto& [name, times] : out.lists) std::sort(times.begin(), times.end());
    return out.errors.size() == errorsBefore;
}

bool readOnsets(const std::string& path, OnsetLists& out, const std::string& shownPath) {
    const std::string& name = shownPath.empty() ? path : shownPath;
    std::string text;
    if (!readTextFile(path, text)) {
        out.errors.push_back(name + ": cannot read the onset file: " + std::strerror(errno));
        return false;
    }
    return parseOnsets(text, name, out);
}

std::string formatOnsets(const OnsetLists& onsets, const std::vector<std::string>& header) {
    std::string text;
    for (const std::string& line : header) text += "# " + line + "\n";
    char number[64];
    for (const auto& [name, times] : onsets.lists)
        for (double ms : times) {
            std::snprintf(number, sizeof number, " %.1f\n", ms);
            text += name + number;
        }
    return text;
}
