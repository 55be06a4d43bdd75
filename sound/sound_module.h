// sound_module.h - the soundtrack player and the demo clock.
//
// The host makes one cSoundModule_bass at start-up, calls init (audio device) and load (the
// music file, played but with the output paused), start when the main loop begins, update
// once a frame, and reads get_time_ms as the demo time. Scenes reach get_time_ms and get_fft
// through the module input. Every call goes to the audio layer (audio_layer.h); failures are
// reported on the standard error with the audio layer's error code and its name.
//
// Without a music stream (missing, empty or undecodable file), and once the music has played
// to its end, get_time_ms keeps running in real time from where the music stopped, silently:
// a demo that ends at a fixed time always ends. start and pause apply to that clock too.
#pragma once

#include <cstdint>
#include <vector>

struct SDL_Window;

// The name of an audio-layer error code; "BASS_ERROR_UNKNOWN" for codes it does not know.
const char* bass_error_name(int code);
// Reports the audio layer's last error on the standard error, if there is one.
void bass_check_error(const char* label);
// Reports `message` with the last error, closes the audio layer and ends the process with 0.
[[noreturn]] void bass_fatal(const char* message);
// The spectrum request for `count` magnitudes; 0 when count is not a power of two 128..8192.
uint32_t bass_fft_flags(int32_t count, bool windowed);

class cSoundModule_bass {
  public:
    void init(SDL_Window* window); // the native handle of the host's window; may be null
    void load(const char* path);
    void update();
    void start();
    void pause();
    int32_t get_time_ms();
    void set_time_ms(int64_t ms);
    void set_volume(int32_t volume); // 0 .. 255
    int32_t get_latency();
    bool is_playing();
    // Writes `count` magnitudes into `buffer`; a count that is not a power of two 128..8192 is
    // refused with a message, the buffer untouched and -1 returned.
    int32_t get_fft(float* buffer, int32_t& count, bool windowed);
    void shutdown(); // tape-stop, fade out, close the audio layer

    uint32_t stream = 0;             // 0 while no music stream exists
    uint64_t length_bytes = 0;       // decoded length of the stream
    int32_t latency_ms = -1;         // -1 until asked
    int32_t length_seconds = -1;     // whole seconds of music; -1 without a stream
    std::vector<uint8_t> file_image; // the music file; the stream is made from it

  private:
    // Milliseconds that advance in real time between start and pause. Without a stream it is
    // the clock; with one it follows the music and carries on once the music has ended.
    struct SilentClock {
        int64_t baseMs = 0;
        int64_t startedUs = 0;
        bool running = false;
        int64_t now() const;
        void run();
        void stop();
        void set(int64_t ms);
    };
    SilentClock clock_;
};
