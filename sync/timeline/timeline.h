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
//   onsets <file>                                 the onset lists (onset_list.h) that pulses
//                                                 below may hit on; the path is relative to
//                                                 the timeline's folder; one per timeline
//   pulse <track> <from> <to> <hits> base <v> peak <v> [attack <d>] decay <d> [shape <s>]
//                  on each hit in [from, to), rise from base to peak over the attack and fall
//                  back over the decay (pulse.h); compiled into ordinary keys. Hits:
//                    every <beats>           "every 1", "every 0.5": on the beat grid
//                    beats <b>,<b>,...       beats of every bar ("beats 1,3"), 0 to under 4
//                    pattern <steps>         one bar of steps, x a hit, . a rest
//                                            ("x...x...x.x.x..." is sixteenths)
//                    onsets <list>           the moments of a list of the onsets file
//                  Durations: rows ("3"), beats ("0.5beats"), "150ms" or "0.2s"; hits,
//                  attack and decay round to the nearest row. An attack of 0 rows is a step
//                  to the peak at the hit; a decay still running at the next hit is cut there
//                  and the next hit rises from the value at that row. Shape: linear (the
//                  default), smooth or ramp, for attack and decay alike.
//
//   mark <position> "<name>"                     a bookmark the editor lists; compile
//                                                ignores it, so no track changes.
//                  The name is the text between the quotes, blanks inside it read as one
//                  space; it holds no '"', no '#' (that starts a comment) and no control
//                  characters. "tempo", "onsets", "pulse" and "mark" are not track names.
//
// Hand keys and pulse keys on one track are one list of keys: two on one row are an error,
// whichever wrote them, naming both lines. The one exception is a pulse's closing cut: when
// its last decay still runs at <to>, the pulse ends with a step key there holding the value
// reached, and a hand key on that row takes its place (the hand key goes on from there).

// A track name is letters, digits, "_", "-" and "." (it becomes the file name
// "_<name>.track", at most 255 bytes). Keys of a track may come in any order and be spread
// over the text; two keys on one row of a track are an error. Errors name the file and line
// and show at most 64 characters of the text they quote; a timeline with errors writes
// nothing, and a failed write leaves the output folder as it was.
#pragma once

#include "track.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

// The longest track name: "_" + name + ".track" must fit a file name of 255 bytes.
enum { kMaxTrackName = 255 - 7 };

// A bookmark: a moment of the music worth jumping to. Nothing compiles from it.
struct TimelineMark {
    int32_t row;
    std::string name;
    long line; // of the mark statement, from 1
};

struct Timeline {
    std::map<std::string, std::vector<TrackKey>> tracks; // keys ascending by row
    std::vector<TimelineMark> marks;                     // in text order
    std::vector<std::string> errors;                     // "file:line: message"
    std::vector<std::string> warnings;                   // the same; nothing is refused
    std::string onsetFile; // the onsets statement's file as opened (also when unusable), or ""
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
// Calls `statement` with the line number (from 1) and the words of every line of `text` that
// has any before a "#"; words are split at blanks (space, tab, CR, VT, FF). A UTF-8 byte
// order mark at the start is skipped. The timeline and the onset lists are both read this way.
void forEachStatement(
    const std::string& text,
    const std::function<void(long line, const std::vector<std::string>& words)>& statement);
// The whole file at `path` appended to `text` (an empty file is fine); false when it cannot be
// opened or read (a directory opens but does not read), with errno saying why.
bool readTextFile(const std::string& path, std::string& text);

// ---- words of statements ---------------------------------------------------------------------
// The compiler's own readings of single words, for tools that rewrite the text and must agree
// with it on what each line says (timeline_text.h). Each is false, reporting nothing, when the
// word is not one.

// The grid time positions are read on: a tempo statement sets it for the lines below it.
struct TimelineGrid {
    double bpm = 145.0;
    double rowsPerBeat = 8.0;
};
bool readPositionWord(const std::string& word, const TimelineGrid& grid, int32_t& row);
bool readValueWord(const std::string& word, float& value);
bool readInterpolationWord(const std::string& word, int32_t& interpolation);
// The grid of a whole tempo statement ("tempo", bpm, rows per beat).
bool readTempoStatement(const std::vector<std::string>& words, TimelineGrid& grid);
// The name of a whole mark statement ("mark", position, then the quoted name's words).
bool readMarkName(const std::vector<std::string>& words, std::string& name);
// Why `name` cannot be a mark's name (a quote, a '#', a control character); empty when it can.
std::string markNameProblem(const std::string& name);
