// timeline.h - the readable timeline text that sync tracks are written in, and back.
//
// tools/synctool compiles a timeline into one ".track" file per track and dumps a ".track"
// file as timeline lines. One statement per line; "#" starts a comment:
//
//   tempo <beats per minute> <rows per beat>     grid for the time positions below it
//                                                (145 8 until the first tempo line)
//   <track> <position> <value> <interpolation>   one key
//
//   position       a row (integer, "64"), or a time converted to the nearest row:
//                  "12.5s", "1500ms" or "m:ss.s" ("1:02.5"), or a bar: "b16" is the start
//                  of bar 16, "b16:2" two beats later (bars and beats count from 0, four
//                  beats a bar, on the rows-per-beat grid of the current tempo)
//   value          a finite number
//   interpolation  step, linear, smooth or ramp (or their numbers 0..3; any number
//                  -128..127 is kept as written, and evaluates to 0 if not 0..3)
//
// A track name is letters, digits, "_", "-" and "." (it becomes a file name). Keys of a track
// may come in any order and be spread over the text; two keys on one row of a track are an
// error. Errors name the file and line; a timeline with errors writes nothing.
#pragma once

#include "track.h"

#include <map>
#include <string>
#include <vector>

struct Timeline {
    std::map<std::string, std::vector<TrackKey>> tracks; // keys ascending by row
    std::vector<std::string> errors;                     // "file:line: message"
};

// Parses `text` (read from `fileName`, for messages). False when there were errors.
bool parseTimeline(const std::string& text, const std::string& fileName, Timeline& out);
// Writes "<dir>/_<track>.track" for every track. False, with `error` set, on the first failure.
bool writeTracks(const Timeline& timeline, const std::string& dir, std::string& error);
// The keys of `track` as timeline lines for the track `name`.
std::string dumpTrack(const std::string& name, const KeyTrack& track);
// "data/sync/_cam_x.track" -> "cam_x".
std::string trackNameOfFile(const std::string& path);
