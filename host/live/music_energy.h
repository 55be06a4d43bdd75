// music_energy.h - the music's loudness over time for the track view's strip: the level of the
// whole signal and of its low band (where the kick lives) in short bins, so hits can be seen
// under the keys. Decoded from the music file once, on a thread of its own, since a whole
// soundtrack takes a second or two to decode; the strip is empty until it is ready.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

struct MusicEnergy {
    double msPerBin = 10.0;
    std::vector<float> level; // RMS of each bin, 0..1
    std::vector<float> low;   // RMS of the band below ~150 Hz, 0..1
};

// The energy of interleaved 16-bit samples.
MusicEnergy measureEnergy(const int16_t* samples, size_t frames, int channels, int rate,
                          double msPerBin = 10.0);

// Decodes an MP3 image on a thread and measures it; ready() turns true once `energy` is filled.
class MusicEnergyJob {
  public:
    void start(std::vector<uint8_t> image);
    ~MusicEnergyJob();
    bool ready() const { return ready_.load(std::memory_order_acquire); }
    const MusicEnergy& energy() const { return energy_; } // only once ready()

  private:
    std::thread thread_;
    std::atomic<bool> ready_{false};
    MusicEnergy energy_;
};
