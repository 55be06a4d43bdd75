// audio_layer.cpp - see audio_layer.h.
//
// One SDL output device (float stereo) whose callback mixes every playing stream, resampling
// each from its playback rate with linear interpolation. Decoded samples never change once a
// stream exists; everything the callback and the caller share sits under one mutex. The
// caller must never hold that mutex while it asks SDL to pause or close the device: SDL holds
// its own lock around the callback, which takes ours.
#include "audio_layer.h"

#include "clock.h"
#include "mp3_decode.h"
#include "spectrum.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <cstdlib>
#include <mutex>
#include <new>
#include <vector>

namespace {

// ---- types ----------------------------------------------------------------------------------

struct Slide {
    bool active = false;
    float from = 0, to = 0;
    int64_t startUs = 0, durationUs = 0;
};

struct Stream {
    DWORD handle = 0;
    DecodedAudio audio;
    uint64_t frames = 0;
    DWORD blockAlign = 0; // bytes per frame of the decoded stream

    // Shared with the device thread, under Library::mutex.
    double cursor = 0;    // next frame to hand to the device
    bool playing = false; // started and not stopped; stays set at the natural end
    float volume = 1;
    float freq = 0;  // playback rate
    Slide slides[3]; // indexed by BASS_ATTRIB_FREQ / BASS_ATTRIB_VOL
    // The buffer the device is playing: `chunkFrames` frames from `chunkFrom`, handed over at
    // `chunkStartUs` and lasting `chunkDurationUs`.
    int64_t chunkStartUs = 0;
    int64_t chunkDurationUs = 0;
    double chunkFrom = 0;
    double chunkFrames = 0;
};

struct Library {
    std::mutex mutex;
    bool initialised = false;
    SDL_AudioDeviceID device = 0;
    SDL_AudioSpec format{}; // what the device really plays
    DWORD initFlags = 0;
    bool outputPaused = false;
    DWORD nextHandle = 1;
    std::vector<std::unique_ptr<Stream>> streams;
    DWORD updatePeriodMs = 15;
    DWORD updateThreads = 1;
    QWORD deviceFrames = 0; // taken by the device since BASS_Init
};

// ---- state ----------------------------------------------------------------------------------

Library g_lib;
thread_local int g_error = BASS_OK;

// ---- internal functions ---------------------------------------------------------------------

template <typename T> T fail(int code, T result) {
    g_error = code;
    return result;
}

template <typename T> T ok(T result) {
    g_error = BASS_OK;
    return result;
}

// Under the mutex.
Stream* findStream(DWORD handle) {
    for (auto& s : g_lib.streams)
        if (s->handle == handle) return s.get();
    return nullptr;
}

float& attributeBase(Stream& s, DWORD attrib) {
    return attrib == BASS_ATTRIB_FREQ ? s.freq : s.volume;
}

// The attribute's value at time t; a finished slide becomes the base value.
float attributeAt(Stream& s, DWORD attrib, int64_t t) {
    Slide& slide = s.slides[attrib];
    float& base = attributeBase(s, attrib);
    if (!slide.active) return base;
    if (t >= slide.startUs + slide.durationUs) {
        slide.active = false;
        base = slide.to;
        return base;
    }
    const float f = float(t - slide.startUs) / float(slide.durationUs);
    return slide.from + (slide.to - slide.from) * f;
}

double playedFrames(const Stream& s, int64_t t) {
    if (s.chunkDurationUs <= 0) return s.chunkFrom;
    double f = double(t - s.chunkStartUs) / double(s.chunkDurationUs);
    f = std::clamp(f, 0.0, 1.0);
    return s.chunkFrom + s.chunkFrames * f;
}

void moveCursor(Stream& s, double frame) {
    s.cursor = frame;
    s.chunkFrom = frame;
    s.chunkFrames = 0;
    s.chunkDurationUs = 0;
    s.chunkStartUs = tick_count_us();
}

float sampleAt(const Stream& s, uint64_t frame, int channel) {
    const int channels = s.audio.channels;
    return s.audio.samples[frame * channels + (channels == 2 ? channel : 0)] * (1.0f / 32768.0f);
}

// Adds the stream's next `frames` output frames to `out` and records them as the chunk.
void mixStream(Stream& s, float* out, int frames, int64_t t) {
    const float freq = attributeAt(s, BASS_ATTRIB_FREQ, t);
    const float volume = attributeAt(s, BASS_ATTRIB_VOL, t);
    s.chunkStartUs = t;
    s.chunkFrom = s.cursor;
    s.chunkFrames = 0;
    s.chunkDurationUs = 0;
    if (!s.playing || s.cursor >= double(s.frames)) return;

    const double step = double(freq) / double(g_lib.format.freq);
    int i = 0;
    for (; i < frames && s.cursor < double(s.frames); ++i) {
        const uint64_t f0 = static_cast<uint64_t>(s.cursor);
        const uint64_t f1 = std::min(f0 + 1, s.frames - 1);
        const float frac = float(s.cursor - double(f0));
        for (int c = 0; c < 2; ++c) {
            const float a = sampleAt(s, f0, c), b = sampleAt(s, f1, c);
            out[2 * i + c] += (a + (b - a) * frac) * volume;
        }
        s.cursor += step;
    }
    s.cursor = std::min(s.cursor, double(s.frames));
    s.chunkFrames = s.cursor - s.chunkFrom;
    s.chunkDurationUs = int64_t(i) * 1000000 / g_lib.format.freq;
}

void SDLCALL mixCallback(void*, Uint8* bytes, int length) {
    float* out = reinterpret_cast<float*>(bytes);
    const int frames = length / int(2 * sizeof(float));
    std::fill(out, out + 2 * frames, 0.0f);
    std::lock_guard<std::mutex> lock(g_lib.mutex);
    const int64_t t = tick_count_us();
    for (auto& s : g_lib.streams) mixStream(*s, out, frames, t);
    g_lib.deviceFrames += QWORD(frames);
    for (int i = 0; i < 2 * frames; ++i) out[i] = std::clamp(out[i], -1.0f, 1.0f);
}

bool readFileFrom(const char* path, QWORD offset, QWORD length, std::vector<uint8_t>& out) {
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    bool good = std::fseek(f, long(offset), SEEK_SET) == 0;
    uint8_t chunk[65536];
    while (good && (length == 0 || out.size() < length)) {
        const size_t n = std::fread(chunk, 1, sizeof chunk, f);
        out.insert(out.end(), chunk, chunk + n);
        if (n < sizeof chunk) break;
    }
    good = good && !std::ferror(f);
    std::fclose(f);
    if (length && out.size() > length) out.resize(length);
    return good;
}

int fftSizeOf(DWORD length) {
    const DWORD code = length & 0xF;
    return code <= 6 ? 256 << code : 0;
}

} // namespace

// ---- library --------------------------------------------------------------------------------

DWORD BASS_GetVersion() {
    return 0x02040000;
}

int BASS_ErrorGetCode() {
    return g_error;
}

namespace {

// The player ends with exit() from its key handler, which runs the destructors of this file's
// state while the device's thread may still be mixing from it. Registered after that state
// exists, this runs first and stops the thread (closing waits for the callback to return).
void closeDeviceAtExit() {
    if (g_lib.initialised) SDL_CloseAudioDevice(g_lib.device);
    g_lib.initialised = false;
}

} // namespace

BOOL BASS_Init(int device, DWORD freq, DWORD flags, void*, const void*) {
    if (g_lib.initialised) return fail(BASS_ERROR_ALREADY, FALSE);
    if (device == 0 || device < -1) return fail(BASS_ERROR_DEVICE, FALSE);
    if (freq < 8000 || freq > 192000) return fail(BASS_ERROR_ILLPARAM, FALSE);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return fail(BASS_ERROR_DRIVER, FALSE);

    const char* name = nullptr; // SDL's default device
    if (device >= 1) {
        const int count = SDL_GetNumAudioDevices(0);
        // A negative count means SDL cannot list devices; its default is then the first.
        if ((count >= 0 && device > count) || (count < 0 && device > 1)) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return fail(BASS_ERROR_DEVICE, FALSE);
        }
        if (count >= 0) name = SDL_GetAudioDeviceName(device - 1, 0);
    }
    SDL_AudioSpec want{};
    want.freq = int(freq);
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    // About 23 ms at 44100 Hz. SDL wants a power of two here; other sizes make its dummy
    // driver pace itself wrongly (slower than real time).
    want.samples = 1024;
    want.callback = mixCallback;
    SDL_AudioSpec have{};
    const SDL_AudioDeviceID dev = SDL_OpenAudioDevice(name, 0, &want, &have, 0);
    if (dev == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return fail(BASS_ERROR_DEVICE, FALSE);
    }
    {
        std::lock_guard<std::mutex> lock(g_lib.mutex);
        g_lib.initialised = true;
        g_lib.device = dev;
        g_lib.format = have;
        g_lib.initFlags = flags;
        g_lib.outputPaused = false;
        g_lib.deviceFrames = 0;
    }
    static const bool closesAtExit = std::atexit(closeDeviceAtExit) == 0;
    (void)closesAtExit;
    SDL_PauseAudioDevice(dev, 0);
    return ok(TRUE);
}

BOOL BASS_GetInfo(BASS_INFO* info) {
    if (!g_lib.initialised) return fail(BASS_ERROR_INIT, FALSE);
    if (!info) return fail(BASS_ERROR_ILLPARAM, FALSE);
    const DWORD bufferMs =
        DWORD((g_lib.format.samples * 1000 + g_lib.format.freq / 2) / g_lib.format.freq);
    info->minbuf = bufferMs;
    // What we can measure is the buffer handed to the device ahead of playing it.
    info->latency = (g_lib.initFlags & BASS_DEVICE_LATENCY) ? bufferMs : 0;
    info->freq = DWORD(g_lib.format.freq);
    info->speakers = g_lib.format.channels;
    info->initflags = g_lib.initFlags;
    return ok(TRUE);
}

BOOL BASS_SetConfig(DWORD option, DWORD value) {
    switch (option) {
    case BASS_CONFIG_UPDATEPERIOD:
        if (value != 0 && (value < 5 || value > 100)) return fail(BASS_ERROR_ILLPARAM, FALSE);
        g_lib.updatePeriodMs = value;
        return ok(TRUE);
    case BASS_CONFIG_UPDATETHREADS:
        if (value > 16) return fail(BASS_ERROR_ILLPARAM, FALSE);
        g_lib.updateThreads = value;
        return ok(TRUE);
    default:
        return fail(BASS_ERROR_ILLPARAM, FALSE);
    }
}

namespace {

BOOL setOutputPaused(bool paused) {
    if (!g_lib.initialised) return fail(BASS_ERROR_INIT, FALSE);
    SDL_PauseAudioDevice(g_lib.device, paused ? 1 : 0);
    std::lock_guard<std::mutex> lock(g_lib.mutex);
    g_lib.outputPaused = paused;
    return ok(TRUE);
}

} // namespace

BOOL BASS_Start() {
    return setOutputPaused(false);
}

BOOL BASS_Pause() {
    return setOutputPaused(true);
}

BOOL BASS_Free() {
    if (!g_lib.initialised) return fail(BASS_ERROR_INIT, FALSE);
    SDL_CloseAudioDevice(g_lib.device); // waits for the callback to finish
    {
        std::lock_guard<std::mutex> lock(g_lib.mutex);
        g_lib.streams.clear();
        g_lib.initialised = false;
        g_lib.device = 0;
    }
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return ok(TRUE);
}

// ---- streams and channels -------------------------------------------------------------------

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD) {
    if (!g_lib.initialised) return fail(BASS_ERROR_INIT, HSTREAM(0));
    if (!mem && !file) return fail(BASS_ERROR_FILEOPEN, HSTREAM(0));
    if (mem && (!file || length == 0)) return fail(BASS_ERROR_FILEFORM, HSTREAM(0));
    try {
        std::vector<uint8_t> fromDisk;
        const uint8_t* data = static_cast<const uint8_t*>(file) + (mem ? offset : 0);
        size_t size = size_t(length);
        if (!mem) {
            if (!readFileFrom(static_cast<const char*>(file), offset, length, fromDisk))
                return fail(BASS_ERROR_FILEOPEN, HSTREAM(0));
            data = fromDisk.data();
            size = fromDisk.size();
        }
        auto s = std::make_unique<Stream>();
        if (!decodeMp3(data, size, s->audio)) return fail(BASS_ERROR_FILEFORM, HSTREAM(0));
        s->frames = s->audio.samples.size() / s->audio.channels;
        s->blockAlign = DWORD(2 * s->audio.channels);
        s->freq = float(s->audio.rate);
        std::lock_guard<std::mutex> lock(g_lib.mutex);
        s->handle = g_lib.nextHandle++;
        g_lib.streams.push_back(std::move(s));
        return ok(g_lib.streams.back()->handle);
    } catch (const std::bad_alloc&) {
        return fail(BASS_ERROR_MEM, HSTREAM(0));
    }
}

BOOL BASS_StreamFree(HSTREAM handle) {
    std::lock_guard<std::mutex> lock(g_lib.mutex);
    auto& v = g_lib.streams;
    auto it = std::find_if(v.begin(), v.end(), [&](auto& s) { return s->handle == handle; });
    if (it == v.end()) return fail(BASS_ERROR_HANDLE, FALSE);
    v.erase(it);
    return ok(TRUE);
}

QWORD BASS_ChannelGetLength(DWORD handle, DWORD mode) {
    std::lock_guard<std::mutex> lock(g_lib.mutex);
    const Stream* s = findStream(handle);
    if (!s) return fail(BASS_ERROR_HANDLE, QWORD(-1));
    if (mode != BASS_POS_BYTE) return fail(BASS_ERROR_NOTAVAIL, QWORD(-1));
    return ok(QWORD(s->frames) * s->blockAlign);
}

QWORD BASS_ChannelGetPosition(DWORD handle, DWORD mode) {
    std::lock_guard<std::mutex> lock(g_lib.mutex);
    const Stream* s = findStream(handle);
    if (!s) return fail(BASS_ERROR_HANDLE, QWORD(-1));
    if (mode != BASS_POS_BYTE) return fail(BASS_ERROR_NOTAVAIL, QWORD(-1));
    return ok(QWORD(playedFrames(*s, tick_count_us())) * s->blockAlign);
}

BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos, DWORD mode) {
    std::lock_guard<std::mutex> lock(g_lib.mutex);
    Stream* s = findStream(handle);
    if (!s) return fail(BASS_ERROR_HANDLE, FALSE);
    if (mode != BASS_POS_BYTE) return fail(BASS_ERROR_NOTAVAIL, FALSE);
    const QWORD frame = pos / s->blockAlign;
    if (frame > s->frames) return fail(BASS_ERROR_POSITION, FALSE);
    moveCursor(*s, double(frame));
    return ok(TRUE);
}

double BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos) {
    std::lock_guard<std::mutex> lock(g_lib.mutex);
    const Stream* s = findStream(handle);
    if (!s) return fail(BASS_ERROR_HANDLE, -1.0);
    return ok(double(pos) / (double(s->audio.rate) * s->blockAlign));
}

QWORD BASS_ChannelSeconds2Bytes(DWORD handle, double pos) {
    std::lock_guard<std::mutex> lock(g_lib.mutex);
    const Stream* s = findStream(handle);
    if (!s) return fail(BASS_ERROR_HANDLE, QWORD(-1));
    // Negative (and NaN) times are the start; the cap keeps the conversion defined.
    const double frames = pos > 0 ? std::min(std::floor(pos * s->audio.rate), 0x1p52) : 0.0;
    return ok(QWORD(frames) * s->blockAlign);
}

BOOL BASS_ChannelUpdate(DWORD handle, DWORD) {
    std::lock_guard<std::mutex> lock(g_lib.mutex);
    // Streams are decoded whole when created: there is never anything left to fill.
    return findStream(handle) ? ok(TRUE) : fail(BASS_ERROR_HANDLE, FALSE);
}

BOOL BASS_ChannelPlay(DWORD handle, BOOL restart) {
    std::lock_guard<std::mutex> lock(g_lib.mutex);
    Stream* s = findStream(handle);
    if (!s) return fail(BASS_ERROR_HANDLE, FALSE);
    if (restart) moveCursor(*s, 0);
    s->playing = true;
    return ok(TRUE);
}

DWORD BASS_ChannelIsActive(DWORD handle) {
    std::lock_guard<std::mutex> lock(g_lib.mutex);
    const Stream* s = findStream(handle);
    if (!s) return fail(BASS_ERROR_HANDLE, BASS_ACTIVE_STOPPED);
    g_error = BASS_OK;
    if (!s->playing) return BASS_ACTIVE_STOPPED;
    if (s->cursor >= double(s->frames) && playedFrames(*s, tick_count_us()) >= double(s->frames))
        return BASS_ACTIVE_STOPPED; // played to the end
    return g_lib.outputPaused ? BASS_ACTIVE_PAUSED : BASS_ACTIVE_PLAYING;
}

BOOL BASS_ChannelSetAttribute(DWORD handle, DWORD attrib, float value) {
    std::lock_guard<std::mutex> lock(g_lib.mutex);
    Stream* s = findStream(handle);
    if (!s) return fail(BASS_ERROR_HANDLE, FALSE);
    if (attrib != BASS_ATTRIB_FREQ && attrib != BASS_ATTRIB_VOL)
        return fail(BASS_ERROR_ILLTYPE, FALSE);
    if (!(value >= 0.0f && value <= 1e6f)) return fail(BASS_ERROR_ILLPARAM, FALSE);
    if (attrib == BASS_ATTRIB_FREQ && value == 0.0f) value = float(s->audio.rate); // original
    s->slides[attrib].active = false;
    attributeBase(*s, attrib) = value;
    return ok(TRUE);
}

BOOL BASS_ChannelGetAttribute(DWORD handle, DWORD attrib, float* value) {
    std::lock_guard<std::mutex> lock(g_lib.mutex);
    Stream* s = findStream(handle);
    if (!s) return fail(BASS_ERROR_HANDLE, FALSE);
    if (attrib != BASS_ATTRIB_FREQ && attrib != BASS_ATTRIB_VOL)
        return fail(BASS_ERROR_ILLTYPE, FALSE);
    if (!value) return fail(BASS_ERROR_ILLPARAM, FALSE);
    *value = attributeAt(*s, attrib, tick_count_us());
    return ok(TRUE);
}

BOOL BASS_ChannelSlideAttribute(DWORD handle, DWORD attrib, float value, DWORD time) {
    std::lock_guard<std::mutex> lock(g_lib.mutex);
    Stream* s = findStream(handle);
    if (!s) return fail(BASS_ERROR_HANDLE, FALSE);
    if (attrib != BASS_ATTRIB_FREQ && attrib != BASS_ATTRIB_VOL)
        return fail(BASS_ERROR_ILLTYPE, FALSE);
    if (!(value >= 0.0f && value <= 1e6f)) return fail(BASS_ERROR_ILLPARAM, FALSE);
    if (attrib == BASS_ATTRIB_FREQ && value == 0.0f) value = float(s->audio.rate);
    const int64_t t = tick_count_us();
    Slide& slide = s->slides[attrib];
    slide.from = attributeAt(*s, attrib, t);
    slide.to = value;
    slide.startUs = t;
    slide.durationUs = int64_t(time) * 1000;
    slide.active = time > 0;
    if (!slide.active) attributeBase(*s, attrib) = value;
    return ok(TRUE);
}

BOOL BASS_ChannelIsSliding(DWORD handle, DWORD attrib) {
    std::lock_guard<std::mutex> lock(g_lib.mutex);
    Stream* s = findStream(handle);
    if (!s || attrib >= 3) return FALSE;
    const Slide& slide = s->slides[attrib];
    return slide.active && tick_count_us() < slide.startUs + slide.durationUs;
}

DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length) {
    const Stream* s = nullptr;
    uint64_t end = 0;
    {
        std::lock_guard<std::mutex> lock(g_lib.mutex);
        s = findStream(handle);
        if (!s) return fail(BASS_ERROR_HANDLE, DWORD(-1));
        end = uint64_t(playedFrames(*s, tick_count_us()));
    }
    // The samples of a stream never change, so they are read outside the lock.
    if (!buffer) return fail(BASS_ERROR_ILLPARAM, DWORD(-1));
    if (length & BASS_DATA_FFT256) {
        const int size = fftSizeOf(length);
        if (!size) return fail(BASS_ERROR_ILLPARAM, DWORD(-1));
        spectrumMagnitudes(s->audio.samples.data(), s->audio.channels, s->frames, end, size,
                           !(length & BASS_DATA_FFT_NOWINDOW), static_cast<float*>(buffer));
        return ok(DWORD(size / 2 * sizeof(float)));
    }
    const bool asFloat = length & BASS_DATA_FLOAT;
    const size_t bytes = length & ~BASS_DATA_FLOAT;
    const size_t wanted = bytes / (asFloat ? sizeof(float) : sizeof(int16_t));
    const size_t first = size_t(end) * s->audio.channels;
    const size_t n = std::min(wanted, s->audio.samples.size() - first);
    for (size_t i = 0; i < n; ++i) {
        const int16_t v = s->audio.samples[first + i];
        if (asFloat)
            static_cast<float*>(buffer)[i] = v / 32768.0f;
        else
            static_cast<int16_t*>(buffer)[i] = v;
    }
    return ok(DWORD(n * (asFloat ? sizeof(float) : sizeof(int16_t))));
}

QWORD audioDeviceFrames() {
    std::lock_guard<std::mutex> lock(g_lib.mutex);
    return g_lib.deviceFrames;
}
