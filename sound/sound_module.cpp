// sound_module.cpp - see sound_module.h.
#include "sound_module.h"

#include "audio_layer.h"
#include "clock.h"
#include "file_utils.h"

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr const char* kLoad = "cSoundModule_bass::load";

// Milliseconds from seconds, truncated toward zero and kept inside 32 bits.
int32_t secondsToMs(double seconds) {
    const double ms = std::trunc(seconds * 1000.0);
    if (!(ms > double(INT32_MIN))) return INT32_MIN;
    return ms < double(INT32_MAX) ? int32_t(ms) : INT32_MAX;
}

// A soundtrack is a few megabytes; anything past this is not music we can hold in memory.
constexpr int64_t kMaxMusicBytes = int64_t(1) << 30;

// The whole file, or nothing and the reason when it cannot be read as one. A directory opens
// fine and then reports an absurd size, and a huge (or sparse) file would exhaust memory, so the
// kind and size are checked before anything is allocated.
std::string readFileImage(const std::string& path, std::vector<uint8_t>& image) {
    image.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::strerror(errno);
    std::string why;
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        why = std::strerror(errno);
    } else if (!S_ISREG(st.st_mode)) {
        why = S_ISDIR(st.st_mode) ? "it is a directory" : "it is not a regular file";
    } else if (st.st_size == 0) {
        why = "the file is empty";
    } else if (st.st_size > kMaxMusicBytes) {
        why = "the file is " + std::to_string(st.st_size) + " bytes, more than " +
              std::to_string(kMaxMusicBytes) + " a soundtrack may have";
    } else {
        image.resize(size_t(st.st_size));
        size_t got = 0;
        while (got < image.size()) {
            const ssize_t n = ::read(fd, image.data() + got, image.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                why = n < 0 ? std::strerror(errno) : "the file ended early";
                image.clear();
                break;
            }
            got += size_t(n);
        }
    }
    ::close(fd);
    return why;
}

struct ErrorName {
    int code;
    const char* name;
};

const ErrorName kErrorNames[] = {
    {0, "BASS_OK"},
    {1, "BASS_ERROR_MEM"},
    {2, "BASS_ERROR_FILEOPEN"},
    {3, "BASS_ERROR_DRIVER"},
    {4, "BASS_ERROR_BUFLOST"},
    {5, "BASS_ERROR_HANDLE"},
    {6, "BASS_ERROR_FORMAT"},
    {7, "BASS_ERROR_POSITION"},
    {8, "BASS_ERROR_INIT"},
    {9, "BASS_ERROR_START"},
    {14, "BASS_ERROR_ALREADY"},
    {18, "BASS_ERROR_NOCHAN"},
    {19, "BASS_ERROR_ILLTYPE"},
    {20, "BASS_ERROR_ILLPARAM"},
    {21, "BASS_ERROR_NO3D"},
    {22, "BASS_ERROR_NOEAX"},
    {23, "BASS_ERROR_DEVICE"},
    {24, "BASS_ERROR_NOPLAY"},
    {25, "BASS_ERROR_FREQ"},
    {27, "BASS_ERROR_NOTFILE"},
    {29, "BASS_ERROR_NOHW"},
    {31, "BASS_ERROR_EMPTY"},
    {32, "BASS_ERROR_NONET"},
    {33, "BASS_ERROR_CREATE"},
    {34, "BASS_ERROR_NOFX"},
    {37, "BASS_ERROR_NOTAVAIL"},
    {38, "BASS_ERROR_DECODE"},
    {39, "BASS_ERROR_DX"},
    {40, "BASS_ERROR_TIMEOUT"},
    {41, "BASS_ERROR_FILEFORM"},
    {42, "BASS_ERROR_SPEAKER"},
    {43, "BASS_ERROR_VERSION"},
    {44, "BASS_ERROR_CODEC"},
    {45, "BASS_ERROR_ENDED"},
    {46, "BASS_ERROR_BUSY"},
};

} // namespace

// ---- free functions -------------------------------------------------------------------------

const char* bass_error_name(int code) {
    for (const ErrorName& e : kErrorNames)
        if (e.code == code) return e.name;
    return "BASS_ERROR_UNKNOWN";
}

void bass_check_error(const char* label) {
    const int code = BASS_ErrorGetCode();
    if (code == 0) return;
    std::fprintf(stderr, "# ERROR: whoops, bass failed %s. Errorcode: %u %s\n", label,
                 unsigned(code), bass_error_name(code));
}

void bass_fatal(const char* message) {
    std::fprintf(stderr, "## ERROR: bass: Error(%d): %s\n", BASS_ErrorGetCode(), message);
    BASS_Free();
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(0);
}

uint32_t bass_fft_flags(int32_t count, bool windowed) {
    for (uint32_t size = 0; size <= 6; ++size) {
        if (count == (128 << size))
            return (BASS_DATA_FFT256 + size) | BASS_DATA_FLOAT |
                   (windowed ? 0 : BASS_DATA_FFT_NOWINDOW);
    }
    return 0;
}

// ---- the silent clock -----------------------------------------------------------------------

int64_t cSoundModule_bass::SilentClock::now() const {
    return running ? baseMs + (tick_count_us() - startedUs) / 1000 : baseMs;
}

void cSoundModule_bass::SilentClock::run() {
    if (running) return;
    startedUs = tick_count_us();
    running = true;
}

void cSoundModule_bass::SilentClock::stop() {
    baseMs = now();
    running = false;
}

void cSoundModule_bass::SilentClock::set(int64_t ms) {
    baseMs = ms;
    startedUs = tick_count_us();
}

// ---- operations -----------------------------------------------------------------------------

void cSoundModule_bass::init(SDL_Window* window) {
    if ((BASS_GetVersion() >> 16) != 0x0204) {
        std::fputs("## ERROR: BASS compile-time vs run-time version mismatch\n", stderr);
        return;
    }
    if (!BASS_Init(1, 44100, BASS_DEVICE_LATENCY, window, nullptr))
        bass_fatal("Can't initialize device");
    if (latency_ms == -1) {
        BASS_INFO info{};
        if (BASS_GetInfo(&info)) latency_ms = int32_t(info.latency);
    }
    std::fprintf(stderr, "# info: bass latency: %dms\n", latency_ms);
}

void cSoundModule_bass::load(const char* path) {
    const std::string absolute = absolute_path(path ? path : "");
    // The old stream goes first: two streams would play at once.
    if (stream) BASS_StreamFree(stream);
    stream = 0;
    length_bytes = 0;
    length_seconds = -1;
    const std::string unreadable = readFileImage(absolute, file_image);
    if (!unreadable.empty())
        std::fprintf(stderr, "## ERROR: %s cannot read \"%s\": %s\n", kLoad, absolute.c_str(),
                     unreadable.c_str());

    if (!BASS_SetConfig(BASS_CONFIG_UPDATEPERIOD, 15))
        std::fprintf(stderr, "# WARNING in %s error setting BASS_CONFIG_UPDATEPERIOD!\n", kLoad);
    if (!BASS_SetConfig(BASS_CONFIG_UPDATETHREADS, 2))
        std::fprintf(stderr, "# ERROR in %s error setting BASS_CONFIG_UPDATETHREADS!\n", kLoad);

    stream =
        BASS_StreamCreateFile(TRUE, file_image.data(), 0, file_image.size(), BASS_STREAM_PRESCAN);
    bass_check_error("");
    if (stream) {
        length_bytes = BASS_ChannelGetLength(stream, BASS_POS_BYTE);
        std::printf("# bass streaming file \"%s\" [size: %" PRIu64 " bytes]", absolute.c_str(),
                    length_bytes);
    } else {
        std::fprintf(stderr, "# bass didn't recognize the filetype: \"%s\"\n", absolute.c_str());
    }
    if (length_bytes != 0) {
        const double seconds = std::trunc(BASS_ChannelBytes2Seconds(stream, length_bytes));
        const unsigned whole = seconds > 0 && seconds < 2e9 ? unsigned(seconds) : 0;
        std::printf("# [length: %um%us]\n", whole / 60, whole % 60);
        length_seconds = int32_t(whole);
    } else {
        std::printf("\n");
    }

    BASS_ChannelUpdate(stream, 0);
    BASS_ChannelPlay(stream, TRUE);
    BASS_Pause();
    clock_ = SilentClock();
    if (!stream) std::printf("# note: no music, the demo clock runs in real time in silence\n");
}

void cSoundModule_bass::update() {
    BASS_ChannelUpdate(stream, 0);
}

void cSoundModule_bass::start() {
    BASS_Start();
    clock_.run();
}

void cSoundModule_bass::pause() {
    BASS_Pause();
    clock_.stop();
}

int32_t cSoundModule_bass::get_time_ms() {
    if (!stream) return int32_t(std::min<int64_t>(clock_.now(), INT32_MAX));
    const QWORD pos = BASS_ChannelGetPosition(stream, BASS_POS_BYTE);
    const int32_t ms = secondsToMs(BASS_ChannelBytes2Seconds(stream, pos));
    if (pos != QWORD(-1) && pos >= length_bytes) {
        // Played to the end: time goes on from there, so a fixed end time is still reached.
        return int32_t(std::clamp<int64_t>(clock_.now(), ms, INT32_MAX));
    }
    clock_.set(ms); // keeps the clock with the music for when it ends
    return ms;
}

void cSoundModule_bass::set_time_ms(int64_t ms) {
    QWORD bytes = BASS_ChannelSeconds2Bytes(stream, double(ms) / 1000.0);
    bytes = std::min(bytes, BASS_ChannelGetLength(stream, BASS_POS_BYTE) - 1);
    if (!BASS_ChannelSetPosition(stream, bytes, BASS_POS_BYTE)) {
        std::fprintf(stderr, "# ERROR: bass failed setting time %" PRId64 "\n", ms);
        bass_check_error("");
    }
    clock_.set(std::max<int64_t>(ms, 0));
}

void cSoundModule_bass::set_volume(int32_t volume) {
    BASS_ChannelSetAttribute(stream, BASS_ATTRIB_VOL, float(volume / 255.0));
}

int32_t cSoundModule_bass::get_latency() {
    if (latency_ms == -1) {
        BASS_INFO info{};
        if (BASS_GetInfo(&info)) latency_ms = int32_t(info.latency);
    }
    return latency_ms;
}

bool cSoundModule_bass::is_playing() {
    return BASS_ChannelIsActive(stream) == BASS_ACTIVE_PLAYING;
}

int32_t cSoundModule_bass::get_fft(float* buffer, int32_t& count, bool windowed) {
    const uint32_t flags = bass_fft_flags(count, windowed);
    if (!flags) {
        std::fputs("## ERROR: fft-window must be 2^n\n", stderr);
        return -1;
    }
    return int32_t(BASS_ChannelGetData(stream, buffer, flags));
}

void cSoundModule_bass::shutdown() {
    using std::chrono::milliseconds;
    BASS_ChannelSlideAttribute(stream, BASS_ATTRIB_FREQ, 100.0f, 150);
    std::this_thread::sleep_for(milliseconds(300));
    BASS_ChannelSlideAttribute(stream, BASS_ATTRIB_VOL, 0.0f, 200);
    while (BASS_ChannelIsSliding(stream, BASS_ATTRIB_VOL))
        std::this_thread::sleep_for(milliseconds(1));
    BASS_Free();
}
