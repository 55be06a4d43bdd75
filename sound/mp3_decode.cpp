// mp3_decode.cpp - see mp3_decode.h.
#include "mp3_decode.h"

#include <mpg123.h>

#include <cstdio>
#include <cstring>
#include <sys/types.h>

namespace {

struct MemoryFile {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

mpg123_ssize_t readMemory(void* handle, void* buffer, size_t bytes) {
    auto* f = static_cast<MemoryFile*>(handle);
    const size_t n = bytes < f->size - f->pos ? bytes : f->size - f->pos;
    std::memcpy(buffer, f->data + f->pos, n);
    f->pos += n;
    return static_cast<mpg123_ssize_t>(n);
}

off_t seekMemory(void* handle, off_t offset, int whence) {
    auto* f = static_cast<MemoryFile*>(handle);
    off_t base = 0;
    if (whence == SEEK_CUR) base = static_cast<off_t>(f->pos);
    if (whence == SEEK_END) base = static_cast<off_t>(f->size);
    const off_t target = base + offset;
    if (target < 0 || static_cast<size_t>(target) > f->size) return -1;
    f->pos = static_cast<size_t>(target);
    return target;
}

// Owns the decoder handle so every return path closes it.
struct Decoder {
    mpg123_handle* mh = nullptr;
    ~Decoder() {
        if (mh) {
            mpg123_close(mh);
            mpg123_delete(mh);
        }
    }
};

bool openDecoder(Decoder& d, MemoryFile& file) {
    int err = MPG123_OK;
    d.mh = mpg123_new(nullptr, &err);
    if (!d.mh) return false;
    // Library messages would land in the program's log; failures are reported by the caller.
    mpg123_param(d.mh, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    mpg123_format_none(d.mh);
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i)
        mpg123_format(d.mh, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (mpg123_replace_reader_handle(d.mh, readMemory, seekMemory, nullptr) != MPG123_OK)
        return false;
    return mpg123_open_handle(d.mh, &file) == MPG123_OK;
}

} // namespace

bool decodeMp3(const uint8_t* image, size_t size, DecodedAudio& out) {
    out = DecodedAudio();
    if (!image || size == 0) return false;
    mpg123_init(); // a no-op on current versions, required by old ones
    MemoryFile file{image, size, 0};
    Decoder d;
    if (!openDecoder(d, file)) return false;
    if (mpg123_scan(d.mh) != MPG123_OK) return false;

    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_getformat(d.mh, &rate, &channels, &encoding) != MPG123_OK) return false;
    if (encoding != MPG123_ENC_SIGNED_16 || channels < 1 || channels > 2) return false;
    const off_t frames = mpg123_length(d.mh);
    if (frames > 0) out.samples.reserve(static_cast<size_t>(frames) * channels);

    unsigned char chunk[32768];
    for (;;) {
        size_t done = 0;
        const int r = mpg123_read(d.mh, chunk, sizeof chunk, &done);
        const size_t old = out.samples.size();
        out.samples.resize(old + done / sizeof(int16_t));
        std::memcpy(out.samples.data() + old, chunk, done - done % sizeof(int16_t));
        if (r == MPG123_NEW_FORMAT) {
            long newRate = 0;
            int newChannels = 0, newEncoding = 0;
            mpg123_getformat(d.mh, &newRate, &newChannels, &newEncoding);
            if (newRate != rate || newChannels != channels || newEncoding != encoding) break;
            continue;
        }
        if (r != MPG123_OK) break; // MPG123_DONE, or damage: keep what decoded cleanly
    }
    out.samples.resize(out.samples.size() - out.samples.size() % channels);
    out.rate = static_cast<int>(rate);
    out.channels = channels;
    return !out.samples.empty();
}
