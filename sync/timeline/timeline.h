// timeline.h - the readable timeline text that sync tracks are written in, and back.
//
// synctool and demolive compile a timeline into one ".track" file (or track) per track, and
// synctool dumps a ".track" file as timeline lines. One statement per line; "#" starts a comment:
//
//   tempo <beats per minute> <rows per beat>     grid for the time positions below it
//                                                (145 8 until the first tempo line)
//   <track> <position> <value> <interpolation>   one key
//
//   position       a row (integer, "64"), or a time converted to the nearest row:
//                  "12.5s", "1500ms" or "m:ss.s" ("1:02.5"), or a bar: "b16" is the start
//                  of bar 16, "b16:2" two beats later (bars and beats count from 0, four
//                  beats a bar, on the rows-per-beat grid of the current tempo)
//   value          a number a float holds
//   interpolation  step, linear, smooth or ramp, or their numbers 0..3 (the player
//                  evaluates any other number as 0, so it is an error)
//
// A track name is letters, digits, "_", "-" and "." (it becomes the file name
// "_<name>.track", at most 255 bytes). Keys of a track may come in any order and be spread
// over the text; two keys on one row of a track are an error. Errors name the file and line
// and show at most 64 characters of the text they quote; a timeline with errors writes
// nothing, and a failed write leaves the output folder as it was.
#pragma once

#include "track.h"

#include <map>
#include <string>
#include <vector>

// The longest track name: "_" + name + ".track" must fit a file name of 255 bytes.
enum { kMaxTrackName = 255 - 7 };

struct Timeline {
    std::map<std::string, std::vector<TrackKey>> tracks; // keys ascending by row
    std::vector<std::string> errors;                     // "file:line: message"
};

// Parses `text` (read from `fileName`, for messages). False when there were errors.
bool parseTimeline(const std::string& text, const std::string& fileName, Timeline& out);
// Writes "<dir>/_<track>.track" for every track, all or none: the files are written into a
// temporary folder beside `dir` (inside it when `dir` is a mount point) and then renamed into
// place. False, with `error` set, when any step fails; `dir` is then unchanged and the
// temporary folder removed.
bool writeTracks(const Timeline& timeline, const std::string& dir, std::string& error);
// The keys of `track` as timeline lines for the track `name`.
std::string dumpTrack(const std::string& name, const KeyTrack& track);
// Why `name` cannot be a track name ("track name ... may only hold ..."); empty when it can.
std::string trackNameProblem(const std::string& name);
// Why a key read from a file cannot be written as a timeline line (an interpolation the
// player cannot play, a value that is not finite); empty when it can.
std::string keyProblem(const TrackKey& key);
// `text` as messages quote it: at most 64 characters, then "...", other than printable ASCII
// as \xNN.
std::string shownText(const std::string& text);
// "data/sync/_cam_x.track" -> "cam_x".
std::string trackNameOfFile(const std::string& path);
