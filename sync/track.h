// track.h - keyed sync tracks: the ".track" file format, the keys in memory, evaluation.
//
// A plain C-style library. The sync source (sync_rocket.h) owns one TrackSet per data
// directory and asks it for tracks by name; a track is read from "<base path>_<name>.track"
// on its first request and kept, with its keys, until the process ends. Evaluation at a
// fractional row finds the segment by binary search and allocates nothing.
//
// The file: little-endian int32 key count N, then N packed 9-byte keys: int32 row, float32
// value, int8 interpolation. Reading keeps only the complete keys the file holds (a count
// larger than the file never allocates more), a count of 0 or less gives no keys, bytes after
// the last key are ignored. Keys are sorted by row when read (stable), and of several keys on
// one row the last in the file stays, so every segment has a positive length.
#pragma once

#include <cstddef>
#include <cstdint>

enum { INTERP_STEP = 0, INTERP_LINEAR = 1, INTERP_SMOOTH = 2, INTERP_RAMP = 3 };

enum { TRACK_KEY_FILE_SIZE = 9 }; // bytes of one key in a file

struct TrackKey {
    int32_t row;           // where the key sits
    float value;           // the curve's value there
    int32_t interpolation; // INTERP_*, shapes the segment to the next key; other values give 0
};

struct KeyTrack {
    char* name;        // owned copy of the name it was requested by
    TrackKey* keys;    // ascending rows, no two on one row
    int32_t key_count; // 0 when the file was missing
};

struct TrackSet {
    char* base_path;   // owned copy; prefix of every track file name
    KeyTrack** tracks; // in order of first request
    int32_t track_count;
};

// A set with a copy of `base_path` and no tracks; null when memory runs out.
TrackSet* trackset_create(const char* base_path);
// Index of the track named `name` (byte-wise equal), or -1.
int trackset_find(const TrackSet* set, const char* name);
// The track named `name`, read from its file on the first request. A missing file gives a
// track without keys. Null only when memory runs out.
KeyTrack* trackset_get(TrackSet* set, const char* name);
// Frees the set and its tracks. The sync source never does; tests and tools do.
void trackset_destroy(TrackSet* set);

// A track named `name` (copied) without keys; null when memory runs out.
KeyTrack* keytrack_create(const char* name);
void keytrack_destroy(KeyTrack* track);
// Replaces the track's keys with the file's. 0 on success, 1 when the file cannot be opened
// or read (the track then has no keys). A missing file is silent; any other that cannot be
// read, and a damaged one (keytrack_damage), is reported in one "## WARNING" line on the
// standard error naming the file.
int keytrack_read(KeyTrack* track, const char* path);
// Why a file image is damaged, written into `text` ("is empty, ...", "announces 10 keys but
// holds only 3", a negative count); returns the length of that text, 0 for a sound image.
// Trailing bytes after the announced keys are not damage, nor are values that are not finite
// (a NaN visibility hides its scene, by design).
size_t keytrack_damage(const void* data, size_t size, char* text, size_t capacity);
// The same from `size` bytes of a file image. 0 on success, 1 when memory runs out.
int keytrack_parse(KeyTrack* track, const void* data, size_t size);
// Writes the file image of `keys` into `out` (4 + 9 * count bytes when capacity allows);
// returns the size the image needs.
size_t keytrack_encode(const TrackKey* keys, int32_t count, uint8_t* out, size_t capacity);
// Writes `keys` as a ".track" file at `path`. 0 on success, -1 when it cannot be written.
int keytrack_write(const char* path, const TrackKey* keys, int32_t count);

// Index of the last key whose row is <= `row`; -1 before the first key or without keys.
int keytrack_floor_key(const KeyTrack* track, int row);
// The curve at `row`: the first key's value before it, the last key's after it, else the
// segment's interpolation. 0 without keys.
float keytrack_value(const KeyTrack* track, double row);
