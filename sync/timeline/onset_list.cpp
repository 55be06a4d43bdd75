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
    forEachStatement(text, [&](long line, const std::vector<std::string>& words) {
        auto error = [&](const std::string& message) {
            out.errors.push_back(fileName + ":" + std::to_string(line) + ": " + message);
        };
        if (words.size() != 2) {
            error("an onset is: list time_ms");
            return;
        }
        if (!validName(words[0])) {
            error("list name \"" + shownText(words[0]) +
                  "\" may only hold letters, digits, _ - and .");
            return;
        }
        char* end = nullptr;
        errno = 0;
        const double ms = std::strtod(words[1].c_str(), &end);
        if (end != words[1].c_str() + words[1].size() || errno == ERANGE || !std::isfinite(ms) ||
            ms < 0) {
            error("time \"" + shownText(words[1]) + "\" is not a number of milliseconds >= 0");
            return;
        }
        out.lists[words[0]].push_back(ms);
    });
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
