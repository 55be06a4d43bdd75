// onset_list.h - named lists of moments in the music (kick, snare, hat, crash, beat, ...), as
// `synctool onsets` writes them and as pulse statements and the sync report read them.
//
// Text, one onset per line, "#" starts a comment:
//
//   kick 413.8          list name, then the onset's time in milliseconds of music time
//   snare 827.6
//
// Lines of one list may be spread over the file and come in any order; each list is kept
// ascending. A name is letters, digits, "_", "-" and "."; a time is a finite number >= 0.
// Errors name the file and line, like the timeline's.
#pragma once

#include <map>
#include <string>
#include <vector>

struct OnsetLists {
    std::map<std::string, std::vector<double>> lists; // name -> milliseconds, ascending
    std::vector<std::string> errors;                  // "file:line: message"
};

// Parses `text` (read from `fileName`, for messages). False when there were errors.
bool parseOnsets(const std::string& text, const std::string& fileName, OnsetLists& out);
// Reads and parses the file at `path`; an unreadable file is one error naming it. Messages
// name the file as `shownPath` when one is given (a path cut short for one line of text).
bool readOnsets(const std::string& path, OnsetLists& out, const std::string& shownPath = {});
// The lists as text `parseOnsets` reads back, list by list, times with 0.1 ms; `header` lines
// are written first as comments.
std::string formatOnsets(const OnsetLists& onsets, const std::vector<std::string>& header);
