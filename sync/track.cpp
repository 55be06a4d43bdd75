// track.cpp - see track.h.
#include "track.h"

#include "file_utils.h"

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// ---- internal functions ---------------------------------------------------------------------

char* copyString(const char* s) {
    const size_t n = std::strlen(s) + 1;
    char* copy = static_cast<char*>(std::malloc(n));
    if (copy) std::memcpy(copy, s, n);
    return copy;
}

uint32_t readLe32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void writeLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

TrackKey readKey(const uint8_t* p) {
    TrackKey k;
    k.row = int32_t(readLe32(p));
    const uint32_t bits = readLe32(p + 4);
    std::memcpy(&k.value, &bits, sizeof bits);
    k.interpolation = int8_t(p[8]);
    return k;
}

// Binary search needs ascending rows, and t needs a positive segment length: sort stably, then
// let the last key written for a row stand for it.
int32_t orderKeys(TrackKey* keys, int32_t count) {
    auto byRow = [](const TrackKey& a, const TrackKey& b) { return a.row < b.row; };
    if (!std::is_sorted(keys, keys + count, byRow)) std::stable_sort(keys, keys + count, byRow);
    int32_t out = 0;
    for (int32_t i = 0; i < count; ++i) {
        if (out > 0 && keys[out - 1].row == keys[i].row)
            keys[out - 1] = keys[i];
        else
            keys[out++] = keys[i];
    }
    return out;
}

// Reads a whole file into a malloc'd block. False when it cannot be opened or read, with the
// reason in *error (errno's value).
bool readFile(const char* path, uint8_t** data, size_t* size, int* error) {
    *data = nullptr;
    *size = 0;
    *error = 0;
    std::FILE* f = std::fopen(path, "rb");
    if (!f) {
        *error = errno;
        return false;
    }
    size_t capacity = 0;
    bool good = true;
    for (;;) {
        if (*size == capacity) {
            capacity = capacity ? capacity * 2 : 4096;
            uint8_t* grown = static_cast<uint8_t*>(std::realloc(*data, capacity));
            if (!grown) {
                *error = ENOMEM;
                good = false;
                break;
            }
            *data = grown;
        }
        const size_t n = std::fread(*data + *size, 1, capacity - *size, f);
        *size += n;
        if (n == 0) {
            if (std::ferror(f)) {
                *error = errno ? errno : EIO; // a directory opens, but reads fail with EISDIR
                good = false;
            }
            break;
        }
    }
    std::fclose(f);
    if (!good) {
        std::free(*data);
        *data = nullptr;
        *size = 0;
    }
    return good;
}

// The file of a track. No length limit; "\" separators become "/" for the file system.
std::string trackPath(const char* base, const char* name) {
    return to_fs_path(std::string(base) + "_" + name + ".track");
}

// Rounds to single precision; finite results stay finite (a double just past FLT_MAX would be
// out of float's range).
float toFloat(double v) {
    if (v > FLT_MAX) return FLT_MAX;
    if (v < -FLT_MAX) return -FLT_MAX;
    return float(v);
}

} // namespace

// ---- track sets -----------------------------------------------------------------------------

TrackSet* trackset_create(const char* base_path) {
    TrackSet* set = static_cast<TrackSet*>(std::calloc(1, sizeof(TrackSet)));
    if (!set) return nullptr;
    set->base_path = copyString(base_path ? base_path : "");
    if (!set->base_path) {
        std::free(set);
        return nullptr;
    }
    return set;
}

int trackset_find(const TrackSet* set, const char* name) {
    for (int i = 0; i < set->track_count; ++i)
        if (std::strcmp(set->tracks[i]->name, name) == 0) return i;
    return -1;
}

KeyTrack* trackset_get(TrackSet* set, const char* name) {
    const int found = trackset_find(set, name);
    if (found >= 0) return set->tracks[found];

    KeyTrack* track = keytrack_create(name);
    if (!track) return nullptr;
    KeyTrack** grown = static_cast<KeyTrack**>(
        std::realloc(set->tracks, sizeof(KeyTrack*) * size_t(set->track_count + 1)));
    if (!grown) {
        keytrack_destroy(track);
        return nullptr;
    }
    set->tracks = grown;
    set->tracks[set->track_count++] = track;
    // A missing file is a track without keys.
    keytrack_read(track, trackPath(set->base_path, name).c_str());
    return track;
}

void trackset_destroy(TrackSet* set) {
    if (!set) return;
    for (int i = 0; i < set->track_count; ++i) keytrack_destroy(set->tracks[i]);
    std::free(set->tracks);
    std::free(set->base_path);
    std::free(set);
}

// ---- tracks ---------------------------------------------------------------------------------

KeyTrack* keytrack_create(const char* name) {
    KeyTrack* track = static_cast<KeyTrack*>(std::calloc(1, sizeof(KeyTrack)));
    if (!track) return nullptr;
    track->name = copyString(name ? name : "");
    if (!track->name) {
        std::free(track);
        return nullptr;
    }
    return track;
}

void keytrack_destroy(KeyTrack* track) {
    if (!track) return;
    std::free(track->keys);
    std::free(track->name);
    std::free(track);
}

// A track nobody wrote is silent (it reads 0 by design); one that is there but damaged is a
// mistake somebody wants to hear about, once, when it is read.
int keytrack_read(KeyTrack* track, const char* path) {
    uint8_t* data = nullptr;
    size_t size = 0;
    int error = 0;
    if (!readFile(path, &data, &size, &error)) {
        keytrack_parse(track, nullptr, 0);
        if (error != ENOENT)
            std::fprintf(stderr, "## WARNING: sync track \"%s\" cannot be read: %s; it reads 0\n",
                         path, std::strerror(error));
        return 1;
    }
    char damage[160];
    const bool damaged = keytrack_damage(data, size, damage, sizeof damage) > 0;
    const int result = keytrack_parse(track, data, size);
    std::free(data);
    if (damaged)
        std::fprintf(stderr, "## WARNING: sync track \"%s\" %s; keys used: %d\n", path, damage,
                     int(track->key_count));
    return result;
}

size_t keytrack_damage(const void* data, size_t size, char* text, size_t capacity) {
    char what[160] = "";
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    if (size == 0) {
        std::snprintf(what, sizeof what, "is empty, without even a key count");
    } else if (size < 4) {
        std::snprintf(what, sizeof what, "is %zu bytes, too short for its key count", size);
    } else {
        const int32_t announced = int32_t(readLe32(bytes));
        const size_t held = (size - 4) / TRACK_KEY_FILE_SIZE;
        if (announced < 0) {
            std::snprintf(what, sizeof what, "announces %d keys, a negative count", announced);
        } else if (size_t(announced) > held) {
            std::snprintf(what, sizeof what, "announces %d keys but holds only %zu", announced,
                          held);
        }
    }
    if (text && capacity > 0) std::snprintf(text, capacity, "%s", what);
    return std::strlen(what);
}

int keytrack_parse(KeyTrack* track, const void* data, size_t size) {
    std::free(track->keys);
    track->keys = nullptr;
    track->key_count = 0;
    if (!data || size < 4) return 0;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    const int32_t announced = int32_t(readLe32(bytes));
    if (announced <= 0) return 0;
    // Only complete keys count, whatever the header announces.
    const size_t held = (size - 4) / TRACK_KEY_FILE_SIZE;
    const int32_t count = int32_t(std::min<size_t>(size_t(announced), held));
    if (count == 0) return 0;
    TrackKey* keys = static_cast<TrackKey*>(std::malloc(sizeof(TrackKey) * size_t(count)));
    if (!keys) return 1;
    for (int32_t i = 0; i < count; ++i)
        keys[i] = readKey(bytes + 4 + size_t(i) * TRACK_KEY_FILE_SIZE);
    track->keys = keys;
    track->key_count = orderKeys(keys, count);
    return 0;
}

size_t keytrack_encode(const TrackKey* keys, int32_t count, uint8_t* out, size_t capacity) {
    if (count < 0) count = 0;
    const size_t needed = 4 + size_t(count) * TRACK_KEY_FILE_SIZE;
    if (!out || capacity < needed) return needed;
    writeLe32(out, uint32_t(count));
    for (int32_t i = 0; i < count; ++i) {
        uint8_t* p = out + 4 + size_t(i) * TRACK_KEY_FILE_SIZE;
        uint32_t bits;
        std::memcpy(&bits, &keys[i].value, sizeof bits);
        writeLe32(p, uint32_t(keys[i].row));
        writeLe32(p + 4, bits);
        p[8] = uint8_t(int8_t(keys[i].interpolation));
    }
    return needed;
}

int keytrack_write(const char* path, const TrackKey* keys, int32_t count) {
    std::vector<uint8_t> image(keytrack_encode(keys, count, nullptr, 0));
    keytrack_encode(keys, count, image.data(), image.size());
    std::FILE* f = std::fopen(path, "wb");
    bool good = f && std::fwrite(image.data(), 1, image.size(), f) == image.size();
    if (f) good = std::fclose(f) == 0 && good;
    return good ? 0 : -1;
}

// ---- evaluation -----------------------------------------------------------------------------

int keytrack_floor_key(const KeyTrack* track, int row) {
    int lo = 0, hi = track->key_count;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        const int32_t r = track->keys[mid].row;
        if (r < row)
            lo = mid + 1;
        else if (r > row)
            hi = mid;
        else
            return mid;
    }
    return lo - 1;
}

float keytrack_value(const KeyTrack* track, double row) {
    if (!track || track->key_count <= 0) return 0.0f;
    const TrackKey* keys = track->keys;
    // Rows outside 32 bits (or NaN) would not convert to a key row: pin them to the ends.
    if (!(row >= double(INT32_MIN))) row = double(INT32_MIN);
    if (row > double(INT32_MAX)) row = double(INT32_MAX);

    const int i = keytrack_floor_key(track, int32_t(std::floor(row)));
    if (i < 0) return keys[0].value;
    if (i > track->key_count - 2) return keys[track->key_count - 1].value;

    const TrackKey& k0 = keys[i];
    const TrackKey& k1 = keys[i + 1];
    // 64-bit difference: rows at both ends of the int32 range must not overflow.
    const double t = (row - k0.row) / double(int64_t(k1.row) - int64_t(k0.row));
    const double d = double(k1.value - k0.value);
    switch (k0.interpolation) {
    case INTERP_STEP:
        return k0.value;
    case INTERP_LINEAR:
        return toFloat(k0.value + t * d);
    case INTERP_SMOOTH:
        return toFloat(k0.value + (3.0 - 2.0 * t) * t * t * d);
    case INTERP_RAMP:
        return toFloat(k0.value + std::pow(t, 2.0) * d);
    default:
        return 0.0f;
    }
}
