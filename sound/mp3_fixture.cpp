// mp3_fixture.cpp - see mp3_fixture.h.
#include "mp3_fixture.h"

#include <lame/lame.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

std::vector<uint8_t> encodeMp3(const int16_t* interleaved, int frames, int rate, int channels,
                               int kbps) {
    std::vector<uint8_t> out;
    lame_global_flags* gf = lame_init();
    if (!gf) return out;
    lame_set_in_samplerate(gf, rate);
    lame_set_out_samplerate(gf, rate);
    lame_set_num_channels(gf, channels);
    lame_set_mode(gf, channels == 1 ? MONO : JOINT_STEREO);
    lame_set_brate(gf, rate >= 32000 ? kbps : std::min(kbps, 64)); // low rates cap the bit rate
    lame_set_quality(gf, 5);
    if (lame_init_params(gf) < 0) {
        lame_close(gf);
        return out;
    }
    // LAME takes non-const buffers though it does not write them.
    short* pcm = const_cast<short*>(reinterpret_cast<const short*>(interleaved));
    std::vector<unsigned char> mp3(size_t(1.25 * frames + 7200) + 16384);
    int n = channels == 1
                ? lame_encode_buffer(gf, pcm, pcm, frames, mp3.data(), int(mp3.size()))
                : lame_encode_buffer_interleaved(gf, pcm, frames, mp3.data(), int(mp3.size()));
    if (n >= 0) {
        const int tail = lame_encode_flush(gf, mp3.data() + n, int(mp3.size()) - n);
        if (tail >= 0) {
            out.assign(mp3.begin(), mp3.begin() + n + tail);
            // The first frame was a placeholder for the tag that tells decoders the delay.
            unsigned char tag[4096];
            const size_t tagSize = lame_get_lametag_frame(gf, tag, sizeof tag);
            if (tagSize > 0 && tagSize <= out.size()) std::copy(tag, tag + tagSize, out.begin());
        }
    }
    lame_close(gf);
    return out;
}

std::vector<uint8_t> makeSineMp3(double seconds, double frequency, float amplitude, int rate,
                                 int channels) {
    const int frames = int(std::lround(seconds * rate));
    std::vector<int16_t> pcm(size_t(frames) * channels);
    for (int i = 0; i < frames; ++i) {
        const double v = amplitude * std::sin(2.0 * M_PI * frequency * i / rate);
        for (int c = 0; c < channels; ++c)
            pcm[size_t(i) * channels + c] = int16_t(std::lround(v * 32767.0));
    }
    return encodeMp3(pcm.data(), frames, rate, channels);
}

bool writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}
