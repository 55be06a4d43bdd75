// song.cpp - see song.h. Every instrument adds itself into one stereo mix; the master stage
// then limits it to 16 bits.
#include "song.h"

#include "onset_list.h"

#include <algorithm>
#include <cmath>

namespace song {

namespace {

// ---- grid and harmony -----------------------------------------------------------------------

constexpr double kPi = 3.14159265358979323846;

// The tempo and feel of one render.
struct Grid {
    double beatFrames;  // frames per beat
    double stepFrames;  // a sixteenth
    double swingFrames; // delay of the off-sixteenths
    explicit Grid(const Style& style)
        : beatFrames(kRate * 60.0 / style.bpm), stepFrames(beatFrames / 4),
          swingFrames(style.swing * stepFrames) {}
    int64_t beat(int64_t n) const { return int64_t(std::llround(n * beatFrames)); }
    int64_t step(int64_t n) const {
        const double at = n * stepFrames;
        return int64_t(std::llround(n % 2 ? at + swingFrames : at));
    }
};

double noteHz(int midi) {
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

// Em - C - G - D, one chord a bar. The sub bass stays below the 108..150 Hz band that the
// title scene shakes to, and the pad voicings start above it, so that band belongs to the kick.
struct Chord {
    int sub;     // sub-bass root
    int pad[3];  // pad voicing
    int arp[4];  // lead arpeggio tones
    int bell[2]; // melody notes for the two halves of the bar
};
const Chord kChords[4] = {
    {28, {52, 55, 59}, {76, 79, 83, 88}, {83, 79}}, // E minor
    {36, {52, 55, 60}, {72, 76, 79, 84}, {81, 79}}, // C major
    {31, {55, 59, 62}, {74, 79, 83, 86}, {79, 74}}, // G major
    {38, {54, 57, 62}, {74, 78, 81, 86}, {78, 81}}, // D major
};
const Chord& chordOf(int bar) {
    return kChords[((bar % 4) + 4) % 4];
}

const int kArpPattern[16] = {0, 1, 2, 3, 2, 1, 0, 2, 1, 3, 2, 1, 0, 1, 2, 3};

// ---- small DSP ------------------------------------------------------------------------------

struct Noise {
    uint32_t state;
    float next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return float(int32_t(state)) * (1.0f / 2147483648.0f);
    }
};

// Topology-preserving state-variable filter (low and band outputs).
struct Svf {
    float ic1 = 0, ic2 = 0, a1 = 0, a2 = 0, a3 = 0, k = 1;
    void tune(double hz, double q) {
        const double g = std::tan(kPi * std::min(hz, kRate * 0.45) / kRate);
        k = float(1.0 / q);
        a1 = float(1.0 / (1.0 + g * (g + k)));
        a2 = float(g * a1);
        a3 = float(g * a2);
    }
    float low(float x, float* band = nullptr) {
        const float v3 = x - ic2;
        const float v1 = a1 * ic1 + a2 * v3;
        const float v2 = ic2 + a2 * ic1 + a3 * v3;
        ic1 = 2 * v1 - ic1;
        ic2 = 2 * v2 - ic2;
        if (band) *band = v1;
        return v2;
    }
};

struct Mix {
    std::vector<float> l, r;
    explicit Mix(size_t frames) : l(frames), r(frames) {}
    size_t size() const { return l.size(); }
    void add(int64_t i, float v, float pan) { // pan -1 left .. 1 right; centre is full level
        if (i < 0 || size_t(i) >= l.size()) return;
        l[size_t(i)] += v * std::min(1.0f, 1 - pan);
        r[size_t(i)] += v * std::min(1.0f, 1 + pan);
    }
};

// ---- drums ----------------------------------------------------------------------------------

// The punch is what puts the beat into the 108..150 Hz band that the title scene shakes to; it
// is gone before the offbeat, so that band pulses.
void kick(Mix& m, const KickVoice& k, int64_t at, float gain) {
    const int n = int(k.lengthS * kRate);
    double phase = 0, punch = 0;
    for (int i = 0; i < n; ++i) {
        const double t = double(i) / kRate;
        phase += 2 * kPi * (k.endHz + (k.startHz - k.endHz) * std::exp(-t / k.sweepS)) / kRate;
        punch += 2 * kPi * (118.0 + 22.0 * std::exp(-t / 0.04)) / kRate;
        const double attack = std::min(1.0, t / 0.002);
        const double tail = std::min(1.0, (n - i) / (0.03 * kRate));
        const double punchEnv = t < 0.05 ? 1.0 : std::exp(-(t - 0.05) / 0.045);
        const double x = (k.bodyGain * std::exp(-t / k.bodyDecayS) * std::sin(phase) +
                          k.punchGain * punchEnv * std::sin(punch)) *
                         attack * tail;
        m.add(at + i, float(std::tanh(1.2 * x) / 1.2) * gain, 0);
    }
}

void snare(Mix& m, Noise& noise, int64_t at, float gain) {
    const int n = int(0.25 * kRate);
    double phase = 0;
    float lp = 0;
    for (int i = 0; i < n; ++i) {
        const double t = double(i) / kRate;
        phase += 2 * kPi * (190.0 + 60.0 * std::exp(-t / 0.01)) / kRate;
        const float x = noise.next();
        lp += 0.25f * (x - lp);
        const float hiss = (x - lp) * float(std::exp(-t / 0.07));
        const float body = float(std::sin(phase) * std::exp(-t / 0.05));
        m.add(at + i, (0.8f * hiss + 0.6f * body) * gain, -0.05f);
    }
}

void hat(Mix& m, Noise& noise, int64_t at, double decay, float gain, float pan) {
    const int n = int(decay * 6 * kRate);
    float lp1 = 0, lp2 = 0;
    for (int i = 0; i < n; ++i) {
        const float x = noise.next();
        lp1 += 0.6f * (x - lp1);
        lp2 += 0.6f * (lp1 - lp2);
        const float v = (x - lp2) * float(std::exp(-double(i) / kRate / decay));
        m.add(at + i, v * gain, pan);
    }
}

void crash(Mix& m, Noise& noise, int64_t at, float gain) {
    const int n = int(2.5 * kRate);
    float lp = 0, lpR = 0;
    for (int i = 0; i < n; ++i) {
        const float env = float(std::exp(-double(i) / kRate / 0.6));
        const float a = noise.next(), b = noise.next();
        lp += 0.5f * (a - lp);
        lpR += 0.5f * (b - lpR);
        m.add(at + i, (a - lp) * env * gain, -0.6f);
        m.add(at + i, (b - lpR) * env * gain, 0.6f);
    }
}

// Two bars of noise through a band-pass sweeping up, louder towards the next downbeat.
void riser(Mix& m, Noise& noise, int64_t from, int64_t to, float gain) {
    Svf f;
    const int64_t n = to - from;
    for (int64_t i = 0; i < n; ++i) {
        const double u = double(i) / double(n);
        if (i % 32 == 0) f.tune(300.0 * std::pow(30.0, u), 3.0);
        float band = 0;
        f.low(noise.next(), &band);
        m.add(from + i, band * float(u * u) * gain, float(std::sin(u * 12.0)) * 0.5f);
    }
}

// ---- tonal voices ---------------------------------------------------------------------------

// Sub sine (plus a little second harmonic) with a saw two octaves up for small speakers.
void bassNote(Mix& m, int64_t at, int midi, double length, float gain) {
    const int n = int(length * kRate);
    const double hz = noteHz(midi);
    double phase = 0, sawPhase = 0;
    Svf f;
    for (int i = 0; i < n; ++i) {
        const double t = double(i) / kRate;
        if (i % 32 == 0) f.tune(400.0 + 1800.0 * std::exp(-t / 0.04), 1.2);
        phase += 2 * kPi * hz / kRate;
        sawPhase += 4 * hz / kRate;
        sawPhase -= std::floor(sawPhase);
        const double env = std::min(1.0, t / 0.004) * std::min(1.0, (n - i) / (0.01 * kRate));
        const float saw = f.low(float(2 * sawPhase - 1));
        const float sub = float(std::sin(phase) + 0.06 * std::sin(2 * phase));
        m.add(at + i, float(env) * (sub + 0.35f * saw) * gain, 0);
    }
}

// Plucked lead: two detuned saws through a low-pass that snaps shut.
void leadNote(std::vector<float>& bus, int64_t at, int midi, float cutoff, float gain) {
    const int n = int(0.3 * kRate);
    const double hz = noteHz(midi);
    double p1 = 0, p2 = 0.37;
    Svf f;
    for (int i = 0; i < n && size_t(at + i) < bus.size(); ++i) {
        const double t = double(i) / kRate;
        if (i % 16 == 0) f.tune(cutoff * (1.0 + 4.0 * std::exp(-t / 0.05)), 2.0);
        p1 += hz * 1.004 / kRate;
        p2 += hz * 0.996 / kRate;
        p1 -= std::floor(p1);
        p2 -= std::floor(p2);
        const double env = std::min(1.0, t / 0.002) * std::exp(-t / 0.09);
        bus[size_t(at + i)] += f.low(float(p1 + p2 - 1)) * float(env) * gain;
    }
}

// A soft bell: a sine with a decaying, slightly inharmonic overtone.
void bellNote(Mix& m, int64_t at, int midi, double length, float gain, float pan) {
    const int n = int(length * kRate);
    const double hz = noteHz(midi);
    for (int i = 0; i < n; ++i) {
        const double t = double(i) / kRate;
        const double env = std::min(1.0, t / 0.01) * std::exp(-t / (length * 0.4));
        const double v = std::sin(2 * kPi * hz * t) +
                         0.3 * std::exp(-t / 0.2) * std::sin(2 * kPi * hz * 2.76 * t);
        m.add(at + i, float(v * env) * gain, pan);
    }
}

// Sustained chords of detuned saws; `pump` ducks them under the kick.
void pads(Mix& m, const Grid& grid, int bars, const std::vector<float>& pump) {
    Svf fl, fr;
    double phase[3][3] = {{0, 0.31, 0.67}, {0.13, 0.52, 0.89}, {0.27, 0.71, 0.05}};
    const double detune[3] = {0.9985, 1.0, 1.0017};
    for (int bar = 0; bar < bars; ++bar) {
        const Chord& c = chordOf(bar);
        const float cutFrom = barPlan(bar).padCutoff, cutTo = barPlan(bar + 1).padCutoff;
        const int64_t from = grid.beat(int64_t(bar) * kBeatsPerBar);
        const int64_t to = grid.beat(int64_t(bar + 1) * kBeatsPerBar);
        const double step[3] = {noteHz(c.pad[0]) / kRate, noteHz(c.pad[1]) / kRate,
                                noteHz(c.pad[2]) / kRate};
        for (int64_t i = from; i < to && size_t(i) < m.size(); ++i) {
            const double u = double(i - from) / double(to - from);
            if ((i - from) % 64 == 0) {
                const double cut = cutFrom + (cutTo - cutFrom) * u;
                fl.tune(cut, 0.9);
                fr.tune(cut * 1.03, 0.9);
            }
            float sl = 0, sr = 0;
            for (int v = 0; v < 3; ++v)
                for (int d = 0; d < 3; ++d) {
                    double& p = phase[v][d];
                    p += step[v] * detune[d];
                    p -= std::floor(p);
                    const float s = float(2 * p - 1);
                    if (d == 0)
                        sl += s;
                    else if (d == 2)
                        sr += s;
                    else {
                        sl += 0.5f * s;
                        sr += 0.5f * s;
                    }
                }
            const float g = 0.055f * pump[size_t(i)];
            m.l[size_t(i)] += fl.low(sl) * g;
            m.r[size_t(i)] += fr.low(sr) * g;
        }
    }
}

// Dotted-eighth ping-pong delay of the lead bus into the mix.
void leadBus(Mix& m, const Grid& grid, const std::vector<float>& bus) {
    const size_t d = size_t(std::llround(grid.beatFrames * 0.75));
    std::vector<float> el(bus.size()), er(bus.size());
    for (size_t i = 0; i < bus.size(); ++i) {
        const float inL = i >= d ? er[i - d] * 0.45f + bus[i - d] * 0.5f : 0;
        const float inR = i >= d ? el[i - d] * 0.45f : 0;
        el[i] = inL;
        er[i] = inR;
        m.l[i] += bus[i] + 0.6f * el[i];
        m.r[i] += bus[i] + 0.6f * er[i];
    }
}

} // namespace

// ---- public ---------------------------------------------------------------------------------

int64_t beatFrame(int64_t beat) {
    return Grid(Style()).beat(beat);
}

Bar barPlan(int bar) {
    Bar b{};
    b.level = 1.0f;
    b.padCutoff = 900.0f;
    if (bar < 0 || bar >= kBars) {
        b.level = 0.0f;
        return b;
    }
    const bool drop = (bar >= 32 && bar < 48) || (bar >= 72 && bar < 104);
    const bool groove = bar >= 56 && bar < 72;
    const bool build = bar >= 16 && bar < 32;
    if (bar < 16) { // intro: kick and pad, then the rest of the kit
        b.kick = b.hats = true;
        b.snare = b.openHats = bar >= 8;
        b.padCutoff = bar < 8 ? 700.0f + 60.0f * bar : 1200.0f;
        b.riser = bar >= 14;
    } else if (build || groove) { // beat and bass; the lead creeps in for the second half
        b.kick = b.snare = b.hats = b.openHats = b.bass = true;
        b.lead = (bar % 16) >= 8;
        b.padCutoff = 1300.0f + 60.0f * float(bar % 16);
        b.riser = (bar % 16) >= 14;
        b.fill = (bar % 16) == 15;
    } else if (drop) {
        b.kick = b.snare = b.hats = b.openHats = b.bass = b.lead = true;
        b.leadUp = bar >= 88;
        b.padCutoff = 3200.0f;
        b.fill = (bar % 8) == 7 && bar != 47 && bar != 103;
        b.riser = bar == 86 || bar == 87;
    } else if (bar < 56) { // break: pads and bell, opening up towards the return of the beat
        b.bell = true;
        b.padCutoff = 1000.0f + 150.0f * float(bar - 48);
        b.riser = bar >= 54;
    } else if (bar < 112) { // outro: kick, hats, pad and bell
        b.kick = b.hats = b.bell = true;
        b.padCutoff = 2400.0f - 150.0f * float(bar - 104);
    } else { // pad tail fading out
        b.padCutoff = 900.0f;
    }
    b.crash = bar == 16 || bar == 32 || bar == 40 || bar == 56 || bar == 72 || bar == 80 ||
              bar == 88 || bar == 96 || bar == 104;
    if (bar >= 112) b.level = float(kBars - bar) / float(kBars - 112);
    return b;
}

std::vector<int16_t> render(int bars, const Style& style, Events* events) {
    bars = std::clamp(bars, 0, kBars);
    const Grid grid(style);
    const size_t frames = size_t(grid.beat(int64_t(bars) * kBeatsPerBar));
    Events placed;
    auto note = [&](std::vector<int64_t>& list, int64_t at) {
        if (events && (list.empty() || list.back() != at)) list.push_back(at);
    };
    Mix mix(frames);
    std::vector<float> lead(frames, 0.0f), pump(frames, 1.0f);
    Noise snareNoise{0x1234567u}, hatNoise{0x9e3779b9u}, fxNoise{0x2545f491u};

    for (int bar = 0; bar < bars; ++bar) {
        const Bar b = barPlan(bar);
        const Chord& c = chordOf(bar);
        const int64_t bar0 = int64_t(bar) * kBeatsPerBar;
        for (int beat = 0; beat < kBeatsPerBar; ++beat) note(placed.beat, grid.beat(bar0 + beat));
        for (int step = 0; step < 16; ++step) {
            const int64_t at = grid.step(bar0 * 4 + step);
            const int beat = step / 4, sub = step % 4;
            const bool lateFill = b.fill && beat >= 2;
            if (b.kick && sub == 0 && !(lateFill && beat == 3)) {
                kick(mix, style.kick, at, 0.95f);
                note(placed.kick, at);
                for (int64_t i = 0; i < int64_t(0.3 * kRate) && size_t(at + i) < frames; ++i)
                    pump[size_t(at + i)] = float(1.0 - 0.6 * std::exp(-double(i) / kRate / 0.08));
            }
            if (b.snare && sub == 0 && (beat == 1 || beat == 3) && !lateFill) {
                snare(mix, snareNoise, at, 0.5f);
                note(placed.snare, at);
            }
            if (lateFill && (sub == 0 || sub == 2 || beat == 3)) {
                snare(mix, snareNoise, at, 0.25f + 0.05f * float(step - 8));
                note(placed.snare, at);
            }
            if (b.hats) {
                if (b.openHats && sub == 2) {
                    hat(mix, hatNoise, at, 0.06, 0.22f, -0.25f);
                    note(placed.hat, at);
                } else if (sub != 0 || !b.openHats) {
                    hat(mix, hatNoise, at, 0.012, sub == 2 ? 0.16f : 0.1f, 0.3f);
                    note(placed.hat, at);
                }
            }
            if (b.bass && sub != 0) bassNote(mix, at, c.sub + (sub == 3 ? 12 : 0), 0.09, 0.3f);
            if (b.lead) {
                const int midi = c.arp[kArpPattern[step]];
                const float cutoff = bar % 16 < 8 && !(bar >= 32 && bar < 40) && bar < 72
                                         ? 500.0f + 60.0f * float(bar % 8)
                                         : 1400.0f;
                leadNote(lead, at, midi, cutoff, 0.09f);
                if (b.leadUp) leadNote(lead, at, midi + 12, cutoff * 1.5f, 0.05f);
            }
            if (b.bell && (step == 0 || step == 8))
                bellNote(mix, at, c.bell[step / 8], 1.2, 0.12f, step == 0 ? -0.3f : 0.3f);
        }
        if (b.crash) {
            crash(mix, fxNoise, grid.step(bar0 * 4), 0.3f);
            note(placed.crash, grid.step(bar0 * 4));
        }
        if (b.riser && !barPlan(bar - 1).riser)
            riser(mix, fxNoise, grid.step(bar0 * 4), grid.step((bar0 + 8) * 4), 0.5f);
    }
    pads(mix, grid, bars, pump);
    leadBus(mix, grid, lead);
    if (events) *events = std::move(placed);

    // Master: the bar's level (faded across the bar), then a fixed gain, so that a short render
    // is the start of the whole piece; a soft knee from 0.6 to a ceiling of 0.8 leaves room for
    // the decibel or two by which MP3 decoding overshoots sharp peaks.
    std::vector<int16_t> out(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        const double beats = double(i) / grid.beatFrames;
        const int bar = int(beats / kBeatsPerBar);
        const double u = beats / kBeatsPerBar - bar;
        const double level = barPlan(bar).level + (barPlan(bar + 1).level - barPlan(bar).level) * u;
        for (int ch = 0; ch < 2; ++ch) {
            double v = (ch ? mix.r[i] : mix.l[i]) * 0.72 * level;
            const double a = std::fabs(v);
            if (a > 0.6) v = std::copysign(0.6 + 0.2 * std::tanh((a - 0.6) / 0.2), v);
            out[i * 2 + size_t(ch)] = int16_t(std::lround(v * 32767.0));
        }
    }
    return out;
}

OnsetLists eventLists(const Events& events) {
    auto ms = [](const std::vector<int64_t>& frames) {
        std::vector<double> out;
        out.reserve(frames.size());
        for (int64_t f : frames) out.push_back(double(f) * 1000.0 / kRate);
        return out;
    };
    OnsetLists lists;
    lists.lists = {{"kick", ms(events.kick)},
                   {"snare", ms(events.snare)},
                   {"hat", ms(events.hat)},
                   {"crash", ms(events.crash)},
                   {"beat", ms(events.beat)}};
    return lists;
}

} // namespace song
