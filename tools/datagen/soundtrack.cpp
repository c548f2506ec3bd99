// The soundtrack: a small synthesiser (band-limited saws and pulses, sines, noise,
// envelopes, state-variable filters, a stereo echo, a side-chain and a limiter)
// playing a 120 BPM piece in D minor whose sections follow the timeline's windows:
// storm intro, build-up through the gallery, the main theme on the ship, a swirl in
// the tunnel, a bouncing part in the treasure room, drums for the torus, and an outro
// that dies away by the end of the show. The kick has a bus and a level of its own:
// it moves the picture.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "datagen.h"
#include "encoders.h"
#include "runtime/timeline_table.h"

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double beat = 0.5;  // 120 BPM
constexpr double bar = 4 * beat;
constexpr double endOfMusic = showEnd;

double midiHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

// Deterministic white noise.
struct Noise {
    uint32_t state;
    explicit Noise(uint32_t seed) : state(seed ? seed : 1) {}
    float next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return float(state) / 2147483648.0f - 1.0f;
    }
};

// Topology-preserving state-variable filter (one channel).
struct Svf {
    double ic1 = 0, ic2 = 0;
    // Returns low-pass; band-pass and high-pass through the out-parameters.
    double run(double x, double cutoffHz, double q, double* band = nullptr, double* high = nullptr) {
        double g = std::tan(pi * std::clamp(cutoffHz, 20.0, soundRate * 0.45) / soundRate), k = 1.0 / q;
        double a1 = 1 / (1 + g * (g + k)), a2 = g * a1, a3 = g * a2;
        double v3 = x - ic2, v1 = a1 * ic1 + a2 * v3, v2 = ic2 + a2 * ic1 + a3 * v3;
        ic1 = 2 * v1 - ic1;
        ic2 = 2 * v2 - ic2;
        if (band) *band = v1;
        if (high) *high = x - k * v1 - v2;
        return v2;
    }
};

// PolyBLEP band-limited saw in [-1, 1].
double polyBlep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1;
    }
    if (t > 1 - dt) {
        t = (t - 1) / dt;
        return t * t + t + t + 1;
    }
    return 0;
}
struct Saw {
    double phase = 0;
    double next(double hz) {
        double dt = hz / soundRate, v = 2 * phase - 1 - polyBlep(phase, dt);
        phase += dt;
        if (phase >= 1) phase -= 1;
        return v;
    }
};

struct Mix {
    std::vector<float> left, right;
    std::vector<double> kicks;  // when each kick on this bus starts, for the side-chain
    explicit Mix(size_t frames) : left(frames), right(frames) {}
    size_t frames() const { return left.size(); }
    void add(size_t i, double l, double r) {
        if (i < left.size()) {
            left[i] += float(l);
            right[i] += float(r);
        }
    }
};

size_t frameAt(double seconds) { return size_t(std::max(0.0, seconds) * soundRate + 0.5); }

// ---- instruments -------------------------------------------------------------------

// The kick drives the picture: the scenes move with the FFT's lowest bin (0 to 86 Hz
// at 512 points), so its body drops from 122 Hz to 36 Hz within 60 ms and holds full
// level for 70 ms, reading high on whichever frame the beat falls; a fast decay after
// that keeps its loudness down. A short noise click lets small speakers hear it.
void kick(Mix& m, double t0, double amp) {
    size_t start = frameAt(t0), n = frameAt(0.5);
    Noise noise{uint32_t(start)};
    Svf click;
    double phase = 0;
    for (size_t i = 0; i < n; ++i) {
        double t = double(i) / soundRate, high = 0;
        phase += (36 + 86 * std::exp(-t * 50)) / soundRate;
        double env = std::min(1.0, t * 800) * (t < 0.07 ? 1.0 : std::exp(-(t - 0.07) * 22));
        click.run(noise.next(), 4000, 0.7, nullptr, &high);
        double v = amp * (env * std::sin(2 * pi * phase) + 0.12 * high * std::exp(-t * 120));
        m.add(start + i, v, v);
    }
    m.kicks.push_back(t0);
}

void snare(Mix& m, double t0, double amp, uint32_t seed) {
    size_t start = frameAt(t0), n = frameAt(0.3);
    Noise noise(seed);
    Svf f;
    double phase = 0;
    for (size_t i = 0; i < n; ++i) {
        double t = double(i) / soundRate;
        double high = 0;
        f.run(noise.next(), 1800, 0.7, nullptr, &high);
        phase += (185 + 60 * std::exp(-t * 40)) / soundRate;
        double v = amp * (0.55 * high * std::exp(-t * 16) + 0.5 * std::sin(2 * pi * phase) * std::exp(-t * 25));
        m.add(start + i, v * 0.95, v);
    }
}

void hat(Mix& m, double t0, double amp, bool open, uint32_t seed) {
    size_t start = frameAt(t0), n = frameAt(open ? 0.3 : 0.06);
    Noise noise(seed);
    Svf f;
    double decay = open ? 12 : 70;
    for (size_t i = 0; i < n; ++i) {
        double t = double(i) / soundRate, high = 0;
        f.run(noise.next(), 7000, 0.8, nullptr, &high);
        double v = amp * high * std::exp(-t * decay);
        m.add(start + i, v * 0.8, v);
    }
}

// Crash cymbal: bright noise, a different stream on each side, ringing out slowly.
void crash(Mix& m, double t0, double amp, uint32_t seed) {
    size_t start = frameAt(t0), n = frameAt(1.8);
    Noise nl(seed), nr(seed * 7 + 1);
    Svf fl, fr;
    for (size_t i = 0; i < n; ++i) {
        double t = double(i) / soundRate, hl = 0, hr = 0;
        fl.run(nl.next(), 5200, 0.6, nullptr, &hl);
        fr.run(nr.next(), 5600, 0.6, nullptr, &hr);
        double env = amp * std::min(1.0, t * 2000) * (0.35 * std::exp(-t * 22) + 0.65 * std::exp(-t * 2.4));
        m.add(start + i, env * hl, env * hr);
    }
}

// A snare roll over `beats` beats in sixteenths, growing from soft to `amp`.
void snareRoll(Mix& m, double t0, double beats, double amp, uint32_t& seed) {
    int hits = int(beats * 4 + 0.5);
    for (int i = 0; i < hits; ++i) snare(m, t0 + i * beat / 4, amp * (0.3 + 0.7 * i / double(hits)), seed++);
}

void tom(Mix& m, double t0, double hz, double amp) {
    size_t start = frameAt(t0), n = frameAt(0.35);
    double phase = 0;
    for (size_t i = 0; i < n; ++i) {
        double t = double(i) / soundRate;
        phase += hz * (1 + 0.6 * std::exp(-t * 20)) / soundRate;
        double v = amp * std::exp(-t * 9) * std::sin(2 * pi * phase);
        m.add(start + i, v * 0.9, v * 1.1);
    }
}

// Saw bass through a low-pass that closes after each attack.
void bass(Mix& m, double t0, double dur, double note, double amp, double bright = 1.0) {
    size_t start = frameAt(t0), n = frameAt(dur + 0.08);
    Saw a, b;
    Svf f;
    double hz = midiHz(note);
    for (size_t i = 0; i < n; ++i) {
        double t = double(i) / soundRate;
        double gate = t < dur ? 1.0 : std::exp(-(t - dur) * 60);
        double env = std::min(1.0, t * 300) * gate * (0.75 + 0.25 * std::exp(-t * 6));
        double x = a.next(hz) + 0.4 * b.next(hz * 0.5 * 1.003);
        double y = f.run(x, (180 + 1400 * bright * std::exp(-t * 9)), 1.4);
        double v = amp * env * y;
        m.add(start + i, v, v);
    }
}

// Three detuned saws per note, slow attack, spread across the stereo field.
void pad(Mix& m, double t0, double dur, const std::vector<int>& notes, double amp, double cutoff) {
    size_t start = frameAt(t0), n = frameAt(dur + 1.2);
    for (size_t k = 0; k < notes.size(); ++k) {
        double hz = midiHz(notes[k]);
        Saw s[3];
        s[1].phase = 0.33;
        s[2].phase = 0.71;
        Svf fl, fr;
        for (size_t i = 0; i < n; ++i) {
            double t = double(i) / soundRate;
            double env = std::min(1.0, t / 0.8) * (t < dur ? 1.0 : std::exp(-(t - dur) * 4));
            double centre = 0.7 * s[1].next(hz);  // the middle voice goes to both sides
            double l = s[0].next(hz * 0.997) + centre, r = s[2].next(hz * 1.003) + centre;
            double c = cutoff * (0.8 + 0.2 * std::sin(t * 1.3 + double(k)));
            double yl = fl.run(l, c, 0.8), yr = fr.run(r, c, 0.8);
            m.add(start + i, amp * env * yl, amp * env * yr);
        }
    }
}

// Pulse lead with vibrato and a soft filter.
void lead(Mix& m, double t0, double dur, double note, double amp, double pan = 0.0) {
    size_t start = frameAt(t0), n = frameAt(dur + 0.15);
    Saw a, b;
    b.phase = 0.4;
    Svf f;
    double hz = midiHz(note);
    for (size_t i = 0; i < n; ++i) {
        double t = double(i) / soundRate;
        double vib = 1 + 0.004 * std::sin(2 * pi * 5.5 * t) * std::min(1.0, t * 3);
        double pulse = a.next(hz * vib) - b.next(hz * vib);  // two saws make a pulse
        double env =
            std::min(1.0, t * 120) * (t < dur ? 0.7 + 0.3 * std::exp(-t * 8) : 0.7 * std::exp(-(t - dur) * 30));
        double v = amp * env * f.run(pulse, 2600, 0.9);
        m.add(start + i, v * (1 - pan), v * (1 + pan));
    }
}

// FM bell: a sine modulated at 3.5 times its pitch, the modulation dying first.
void bell(Mix& m, double t0, double note, double amp, double pan = 0.0, double decay = 3.0) {
    size_t start = frameAt(t0), n = frameAt(std::min(2.5, 6.0 / decay));
    double hz = midiHz(note);
    for (size_t i = 0; i < n; ++i) {
        double t = double(i) / soundRate;
        double mod = 2.2 * std::exp(-t * 6) * std::sin(2 * pi * hz * 3.5 * t);
        double v = amp * std::exp(-t * decay) * std::min(1.0, t * 500) * std::sin(2 * pi * hz * t + mod);
        m.add(start + i, v * (1 - pan), v * (1 + pan));
    }
}

// Wind: noise through a band-pass whose centre wanders; gain follows `level(t)`.
template <class Level>
void wind(Mix& m, double t0, double t1, uint32_t seed, Level level) {
    Noise noise(seed);
    Svf fl, fr;
    for (size_t i = frameAt(t0); i < frameAt(t1) && i < m.frames(); ++i) {
        double t = double(i) / soundRate;
        double centre = 650 + 350 * std::sin(t * 0.37) + 250 * std::sin(t * 0.91 + 1);
        double bl = 0, br = 0;
        fl.run(noise.next(), centre, 2.5, &bl);
        fr.run(noise.next(), centre * 1.12, 2.5, &br);
        double g = level(t);
        m.add(i, g * bl, g * br);
    }
}

// Thunder: low-passed noise with a slow rumble.
void thunder(Mix& m, double t0, double amp, uint32_t seed) {
    Noise noise(seed);
    Svf f;
    size_t start = frameAt(t0), n = frameAt(3.0);
    for (size_t i = 0; i < n; ++i) {
        double t = double(i) / soundRate;
        double env = std::min(1.0, t * 8) * std::exp(-t * 1.4) * (0.7 + 0.3 * std::sin(t * 9));
        double v = amp * env * f.run(noise.next(), 160 + 200 * std::exp(-t * 3), 0.9);
        m.add(start + i, v, v * 0.9);
    }
}

// A rising filtered-noise sweep into the next section.
void riser(Mix& m, double t0, double t1, double amp, uint32_t seed) {
    Noise noise(seed);
    Svf f;
    for (size_t i = frameAt(t0); i < frameAt(t1); ++i) {
        double k = (double(i) / soundRate - t0) / (t1 - t0), band = 0;
        f.run(noise.next(), 300 + 6000 * k * k, 3, &band);
        double v = amp * k * band;
        m.add(i, v, v);
    }
}

// A stereo echo on one bus: 3/4 of a beat, ping-ponging.
void echo(Mix& bus, double delaySeconds, double feedback, double wet) {
    size_t d = frameAt(delaySeconds);
    std::vector<float> l = bus.left, r = bus.right;
    for (size_t i = d; i < bus.frames(); ++i) {
        l[i] += float(feedback * r[i - d]);
        r[i] += float(feedback * l[i - d]);
    }
    for (size_t i = 0; i < bus.frames(); ++i) {
        bus.left[i] += float(wet * (l[i] - bus.left[i]));
        bus.right[i] += float(wet * (r[i] - bus.right[i]));
    }
}

// Side-chain: the bus ducks by `depth` under every kick, from just before it through
// the kick's full-level body, and comes back over the next 100 ms or so.
void duckUnderKicks(Mix& bus, const std::vector<double>& kicks, double depth) {
    std::vector<float> gain(bus.frames(), 1.0f);
    for (double k : kicks) {
        size_t from = frameAt(k - 0.01), to = std::min(bus.frames(), frameAt(k + 0.5));
        for (size_t i = from; i < to; ++i) {
            double t = double(i) / soundRate - k;
            double d = t < 0 ? 1 + t / 0.01 : (t < 0.09 ? 1.0 : std::exp(-(t - 0.09) / 0.06));
            gain[i] = std::min(gain[i], float(1 - depth * d));
        }
    }
    for (size_t i = 0; i < bus.frames(); ++i) {
        bus.left[i] *= gain[i];
        bus.right[i] *= gain[i];
    }
}

// A stop: the bus falls to `floor` of its level over the `seconds` before `at` and is
// back at full level exactly there, for the downbeat after the break.
void breakBefore(Mix& bus, double at, double seconds, double floor) {
    for (size_t i = frameAt(at - seconds - 0.02); i < std::min(bus.frames(), frameAt(at)); ++i) {
        double t = double(i) / soundRate - (at - seconds);
        float g = float(t < 0 ? 1 + (floor - 1) * (1 + t / 0.02) : floor);
        bus.left[i] *= g;
        bus.right[i] *= g;
    }
}

// A look-ahead peak limiter: the gain is never above what keeps a frame under
// `ceiling`, falls towards a peak over at most 2 ms and recovers over about 60 ms.
void limitPeaks(std::vector<float>& stereo, double ceiling) {
    const size_t frames = stereo.size() / 2;
    if (frames == 0) return;
    std::vector<double> gain(frames);
    for (size_t i = 0; i < frames; ++i) {
        double level = std::max(std::fabs(stereo[2 * i]), std::fabs(stereo[2 * i + 1]));
        gain[i] = level > ceiling ? ceiling / level : 1.0;
    }
    const double attack = 1.0 / (0.002 * soundRate), release = 1 - std::exp(-1.0 / (0.06 * soundRate));
    for (size_t i = frames - 1; i-- > 0;) gain[i] = std::min(gain[i], gain[i + 1] + attack);
    for (size_t i = 1; i < frames; ++i) gain[i] = std::min(gain[i], gain[i - 1] + (1 - gain[i - 1]) * release);
    for (size_t i = 0; i < frames; ++i) {
        stereo[2 * i] = float(stereo[2 * i] * gain[i]);
        stereo[2 * i + 1] = float(stereo[2 * i + 1] * gain[i]);
    }
}

// ---- the score ---------------------------------------------------------------------

// D minor: Dm, Bb, C, A, one bar each.
const std::vector<int> chordsMinor[4] = {{50, 53, 57, 62}, {46, 50, 53, 58}, {48, 52, 55, 60}, {45, 49, 52, 57}};
const int rootsMinor[4] = {38, 34, 36, 33};
// The intro's slow chords start at 1 s and last 4 s each; this is the one at t.
int introChord(double t) { return int((t - 1) / 4) % 4; }

// The main theme, eighth notes over four bars; 0 is a rest, -1 holds the note before.
const int theme[32] = {69, 69, 74, 74, 77, 76, 74, 69, 70, 69, 65, 62, 65, 69, 70, 69,
                       67, 67, 72, 76, 79, 76, 72, 67, 69, 73, 76, 73, 69, -1, -1, 0};
const int themeB[32] = {74, -1, 72, 70, 69, -1, 65, 69, 70, -1, 69, 67, 65, -1, 62, 0,
                        64, 67, 72, -1, 76, 74, 72, 70, 69, -1, 73, -1, 76, -1, -1, 0};

void playTheme(Mix& m, double t0, const int* notes, double amp, int transpose = 0) {
    for (int i = 0; i < 32; ++i) {
        if (notes[i] <= 0) continue;
        int len = 1;
        while (i + len < 32 && notes[i + len] == -1) ++len;
        lead(m, t0 + i * beat / 2, len * beat / 2 * 0.9, notes[i] + transpose, amp, (i % 4 - 1.5) * 0.1);
    }
}

}  // namespace

std::vector<float> synthesiseSoundtrack() {
    const size_t frames = size_t(soundSeconds * soundRate);
    Mix kicks(frames), drums(frames), music(frames), wet(frames);
    uint32_t seed = 0x5eed;
    const TimelineWindow &opening = windowOf(Scene::opening), &gallery = windowOf(Scene::gallery),
                         &ship = windowOf(Scene::ship), &tunnel = windowOf(Scene::tunnel),
                         &treasureRoom = windowOf(Scene::treasureRoom), &torus = windowOf(Scene::torus),
                         &closing = windowOf(Scene::ship, 1);

    // Intro, the opening's window: storm wind, thunder, slow pad chords, a bell arpeggio.
    wind(music, opening.from, 26, 0xA11CE, [](double t) {
        double in = std::min(1.0, t / 3), out = t < 18 ? 1.0 : std::max(0.0, 1 - (t - 18) / 8);
        return 0.55 * in * out;
    });
    for (double t : {2.5, 10.7, 16.4}) thunder(music, t, 0.9, seed++);
    for (int c = 0; c < 9; ++c) {
        double t0 = 1 + c * 4;
        double cutoff = c < 5 ? 700 : 700 + (c - 4) * 350;  // opens through the gallery
        pad(music, t0, 3.9, chordsMinor[c % 4], 0.055, cutoff);
    }
    for (int i = 0; i < 46; ++i) {  // 9-20.5 s: a rising arpeggio in eighth notes
        double t = 9 + i * beat / 2;
        const auto& ch = chordsMinor[introChord(t)];
        bell(wet, t, ch[i % 4] + 12, 0.12, (i % 2) ? 0.4 : -0.4, 3.5);
    }

    // Build-up through the gallery: bass, hats, then a kick that fills in, a roll and a riser.
    for (int b = 0; b < 7; ++b) {
        double t0 = 21 + b * bar;
        bass(music, t0, bar * 0.95, rootsMinor[introChord(t0)], 0.22, 0.4 + b * 0.08);
    }
    for (double t = 23; t < gallery.to - 1e-9; t += beat / 2)
        hat(drums, t, 0.12 + 0.1 * ((t - 23) / 12), false, seed++);
    for (double t = 27; t < 33 - 1e-9; t += (t < 31 ? 2 * beat : beat)) kick(kicks, t, 0.8);
    for (int i = 0; i < 16; ++i) snare(drums, 33 + i * beat / 4, 0.15 + 0.35 * i / 16.0, seed++);
    riser(music, 29, gallery.to, 0.5, seed++);

    // Main theme, the ship's first window: the tune with its answer over the full beat
    // (bars 0-7), a breakdown where the drums and the bass drop away under a dark pad (8-9),
    // the beat coming back in half time under a snare roll (10-11), then the full band with
    // open hats and the tune doubled an octave up (12-17), a tom fill into the tunnel.
    for (int b = 0; b < 18; ++b) {
        double t0 = ship.from + b * bar;
        int c = b % 4;
        bool breakdown = b == 8 || b == 9, halfTime = b == 10 || b == 11, lift = b >= 12;
        if (b == 0 || b == 12) crash(drums, t0, 0.3, seed++);
        pad(music, t0, bar * 0.98, chordsMinor[c], breakdown ? 0.03 : 0.04, breakdown ? 1100 : 1800);
        if (!breakdown)
            for (int e = 0; e < 8; ++e)
                bass(music, t0 + e * beat / 2, beat / 2 * 0.8, rootsMinor[c] + (e % 2 ? 12 : 0), 0.2, lift ? 1.1 : 0.8);
        for (int q = 0; q < 4; ++q) {
            double t = t0 + q * beat;
            if (!breakdown && (!halfTime || q % 2 == 0)) kick(kicks, t, 1.0);
            if (breakdown) {
                hat(drums, t + beat / 2, 0.06, false, seed++);
                continue;
            }
            if (q % 2 && !(halfTime && q == 3)) snare(drums, t, 0.45, seed++);
            hat(drums, t + beat / 2, lift ? 0.17 : 0.2, q == 3 || (lift && q == 1), seed++);
            hat(drums, t, 0.1, false, seed++);
        }
        if (b == 11) snareRoll(drums, t0 + 2 * beat, 2, 0.45, seed);
        if (b % 4 == 3 && b < 8) snareRoll(drums, t0 + 3.5 * beat, 0.5, 0.35, seed);
    }
    // The tune's bars follow the chords: each phrase starts on a D minor bar.
    for (int p = 0; p < 4; ++p) playTheme(wet, ship.from + p * 4 * bar, p % 2 ? themeB : theme, 0.15);
    playTheme(wet, ship.from + 12 * bar, themeB, 0.07, 12);
    for (int i = 0; i < 8; ++i) tom(drums, ship.to - bar + i * beat / 4, 200 - i * 12, 0.4);

    // Tunnel: the music swirls: sixteenth-note arpeggios, long gliding bass, the kick in
    // half time for two bars, then on every beat with claps on the fourth and sixteenth
    // hats from the fifth bar, wind coming back, a riser and a roll.
    for (int b = 0; b < 8; ++b) {
        double t0 = tunnel.from + b * bar;
        if (t0 >= tunnel.to) break;
        int c = (b + 1) % 4;
        if (b == 0) crash(drums, t0, 0.3, seed++);
        pad(music, t0, bar * 0.98, chordsMinor[c], 0.035, 1200);
        bass(music, t0, bar * 0.95, rootsMinor[c], 0.26, 0.5);
        for (int s = 0; s < 16; ++s) {
            double t = t0 + s * beat / 4;
            if (t >= tunnel.to) break;
            const auto& ch = chordsMinor[c];
            int idx = s % 8 < 4 ? s % 4 : 3 - s % 4;
            bell(wet, t, ch[idx] + 12 + (s >= 8 ? 12 : 0), 0.07, std::sin(s * 0.8) * 0.6, 8);
            if (b >= 4 && s % 2) hat(drums, t, 0.06, false, seed++);
        }
        for (int q = 0; q < 4; ++q) {
            double t = t0 + q * beat;
            if (t >= tunnel.to) break;
            if (b >= 2 || q % 2 == 0) kick(kicks, t, 1.0);
            if (q == 3) snare(drums, t, b >= 2 ? 0.3 : 0.2, seed++);
            hat(drums, t + beat / 2, 0.12, false, seed++);
        }
        if (b == 6) snareRoll(drums, t0 + 2 * beat, 2, 0.4, seed);
    }
    wind(music, tunnel.from, tunnel.to, 0xB0A7,
         [&](double t) { return 0.25 * std::sin(pi * (t - tunnel.from) / (tunnel.to - tunnel.from)); });
    riser(music, tunnel.to - 3, tunnel.to, 0.35, seed++);

    // Treasure room: a bouncing part: kick on the beat, bass on the off-beats, a
    // music-box version of the theme. Bars 4-5 thin out to the kick, the bells and a soft
    // pad; bar 6 comes back with a crash and open hats; a roll closes the part. The blobs
    // jump with the kick, so it plays on every beat.
    for (int b = 0; b < 10; ++b) {
        double t0 = treasureRoom.from + b * bar;
        int c = b % 4;
        bool thin = b == 4 || b == 5, lift = b >= 6;
        if (b == 0 || b == 6) crash(drums, t0, 0.28, seed++);
        pad(music, t0, bar * 0.98, chordsMinor[c], thin ? 0.022 : 0.03, thin ? 1500 : 2200);
        for (int q = 0; q < 4; ++q) {
            double t = t0 + q * beat;
            kick(kicks, t, 1.0);
            if (thin) continue;
            bass(music, t + beat / 2, beat / 2 * 0.7, rootsMinor[c] + 12, 0.2, 1.0);
            hat(drums, t + beat / 4, 0.07, false, seed++);
            hat(drums, t + beat * 3 / 4, lift ? 0.12 : 0.09, lift && q % 2, seed++);
            if (q == 3 || (lift && q == 1)) snare(drums, t, 0.35, seed++);
        }
        if (b == 9) snareRoll(drums, t0 + 2 * beat, 2, 0.45, seed);
    }
    for (int p = 0; p < 2; ++p)
        for (int i = 0; i < 32; ++i) {
            int n = (p ? themeB : theme)[i];
            if (n > 0) bell(wet, treasureRoom.from + p * 4 * bar + i * beat / 2, n + 12, 0.1, (i % 3 - 1) * 0.3, 4);
        }

    // Torus: drums to the front: double kicks, heavy snare, toms, running sixteenth bass,
    // pad stabs; from the fifth bar a pad bed under the tune, a crash every bar of the
    // last four and a snare roll in eighths growing to sixteenths.
    for (int b = 0; b < 10; ++b) {
        double t0 = torus.from + b * bar;
        int c = b % 4;
        if (b == 0 || b >= 6) crash(drums, t0, b == 0 ? 0.32 : 0.2, seed++);
        if (b >= 4) pad(music, t0, bar * 0.98, chordsMinor[c], 0.03, 1600);
        for (int s = 0; s < 16; ++s)
            bass(music, t0 + s * beat / 4, beat / 4 * 0.7, rootsMinor[c] + (s % 4 == 2 ? 12 : 0), 0.17, 1.2);
        for (int q = 0; q < 4; ++q) {
            double t = t0 + q * beat;
            kick(kicks, t, 1.0);
            if (q == 3 && b < 9) kick(kicks, t + beat / 2, 0.75);
            if (q % 2) snare(drums, t, 0.6, seed++);
            for (int s = 0; s < 4; ++s) hat(drums, t + s * beat / 4, s == 2 ? 0.18 : 0.09, false, seed++);
            if (q == 0 || q == 2) pad(music, t, beat * 0.4, chordsMinor[c], 0.05, 2500);
        }
        if (b % 4 == 3)
            for (int i = 0; i < 6; ++i) tom(drums, t0 + 3 * beat + i * beat / 6, 220 - i * 22, 0.45);
        if (b == 8)
            for (int e = 0; e < 8; ++e) snare(drums, t0 + e * beat / 2 + beat / 4, 0.2 + 0.02 * e, seed++);
        if (b == 9) snareRoll(drums, t0, 4, 0.5, seed);
    }
    playTheme(wet, torus.from + 4 * bar, theme, 0.13);

    // Outro, the ship's second window: the theme once more over pads, the beat
    // thinning out, a last chord that is gone by the end of the show.
    for (int b = 0; b < 8; ++b) {
        double t0 = closing.from + b * bar;
        int c = b % 4;
        pad(music, t0, bar * 0.98, chordsMinor[c], 0.045, 1500 - b * 100);
        bass(music, t0, bar * 0.9, rootsMinor[c], 0.18, 0.4);
        for (int q = 0; q < 4; ++q) {
            double t = t0 + q * beat;
            if (b < 5 || q == 0) kick(kicks, t, b < 5 ? 0.9 : 0.6);
            if (b < 4 && q % 2) snare(drums, t, 0.3, seed++);
        }
    }
    const double answer = closing.from + 4 * bar, lastChord = closing.from + 8 * bar;
    playTheme(wet, closing.from, theme, 0.12);
    playTheme(wet, answer, themeB, 0.1);
    pad(music, lastChord, 0.5, {38, 50, 53, 57, 62}, 0.06, 900);
    bell(wet, lastChord, 74, 0.12, 0, 2.5);
    wind(music, answer, endOfMusic, 0xC0DE,
         [&](double t) { return 0.2 * std::sin(pi * (t - answer) / (endOfMusic - answer)); });

    echo(wet, 3 * beat / 4, 0.38, 0.45);

    // The kick owns the low end: bass and pads make room under it, the rest a little.
    duckUnderKicks(music, kicks.kicks, 0.8);
    duckUnderKicks(wet, kicks.kicks, 0.35);
    // Stops: the beat breaks off for the last quarter second before each cut and the
    // band falls back, so the next scene lands on a downbeat.
    for (double cut : {tunnel.from, treasureRoom.from, torus.from, closing.from}) {
        breakBefore(kicks, cut, 0.25, 0);
        breakBefore(drums, cut, 0.25, 0);
        breakBefore(music, cut, 0.25, 0.3);
        breakBefore(wet, cut, 0.25, 0.4);
    }

    // Master: the kick at a fixed level, since it moves the picture, the band under it,
    // the very end faded to silence by the end of the show, and peaks limited below full
    // scale with room for the codec's own overshoot.
    const double kickLevel = 0.54, bandLevel = 0.42;
    std::vector<float> out(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        double t = double(i) / soundRate;
        double fade = t < endOfMusic - 2 ? 1.0 : std::max(0.0, (endOfMusic - t) / 2);
        double l = kickLevel * kicks.left[i] + bandLevel * (drums.left[i] + music.left[i] + wet.left[i]);
        double r = kickLevel * kicks.right[i] + bandLevel * (drums.right[i] + music.right[i] + wet.right[i]);
        out[2 * i] = float(l * fade);
        out[2 * i + 1] = float(r * fade);
    }
    limitPeaks(out, 0.82);
    return out;
}

std::string encodeOggVorbis(const std::vector<float>& stereo, int rate, float quality) {
    // fixed serial: identical files run to run
    return encodeOggVorbis(stereo.data(), stereo.size() / 2, 2, rate, quality, 0x766f7272,
                           {{"TITLE", "Vorrend"}, {"ARTIST", "Grumla"}});
}
