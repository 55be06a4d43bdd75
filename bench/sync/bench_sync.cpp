// bench_sync - what scenes and the host ask many times a frame: a sync track's value by name
// (after its first request) and the music time.
//
// Prints ns per call (Google Benchmark) and heap allocations per call (counted by this
// binary's operator new).
//   SDL_AUDIODRIVER=dummy build/bench/sync/bench_sync
#include "bench_common.h"
#include "audio_layer.h"
#include "mp3_fixture.h"
#include "sound_module.h"
#include "sync_rocket.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <unistd.h>

// ---- fixtures -------------------------------------------------------------------------------

static std::string g_dir;

// A sync source over a directory with one 64-key track and 40 other registered names, as a
// frame of the demo would have.
static cSyncRocket* makeRocket() {
    static cSyncRocket* rocket = nullptr;
    if (rocket) return rocket;
    TrackKey keys[64];
    for (int i = 0; i < 64; ++i) keys[i] = {i * 16, float(i % 7), i % 4};
    uint8_t image[4 + 64 * 9];
    keytrack_encode(keys, 64, image, sizeof image);
    std::FILE* f = std::fopen((g_dir + "/_camera_distance.track").c_str(), "wb");
    std::fwrite(image, 1, sizeof image, f);
    std::fclose(f);
    rocket = new cSyncRocket();
    rocket->init((g_dir + "/").c_str(), nullptr);
    int64_t t = 0;
    for (int i = 0; i < 40; ++i) rocket->getValue(("other_track_" + std::to_string(i)).c_str(), &t);
    rocket->getValue("camera_distance", &t);
    return rocket;
}

static cSoundModule_bass* makeSound() {
    static cSoundModule_bass* sound = nullptr;
    if (sound) return sound;
    const std::string path = g_dir + "/music.mp3";
    writeBytes(path, makeSineMp3(20.0, 440.0, 0.5f));
    sound = new cSoundModule_bass();
    sound->init(nullptr);
    sound->load(path.c_str());
    sound->start();
    return sound;
}

// ---- benchmarks -----------------------------------------------------------------------------

static void SyncGetValue_Cached(benchmark::State& state) {
    cSyncRocket* rocket = makeRocket();
    int64_t ms = 0;
    COUNT_ALLOCATIONS(state, {
        ms = (ms + 17) % 60000;
        benchmark::DoNotOptimize(rocket->getValue("camera_distance", &ms));
    })
}
BENCHMARK(SyncGetValue_Cached);

static void SoundGetTimeMs_Playing(benchmark::State& state) {
    cSoundModule_bass* sound = makeSound();
    COUNT_ALLOCATIONS(state, benchmark::DoNotOptimize(sound->get_time_ms()))
}
BENCHMARK(SoundGetTimeMs_Playing);

int main(int argc, char** argv) {
    char pattern[] = "/tmp/bench_sync_XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    g_dir = pattern;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::fflush(stdout);
    BASS_Free();
    std::system(("rm -rf '" + g_dir + "'").c_str());
    return 0;
}
