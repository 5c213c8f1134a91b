#include "synth.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>

namespace compose {

namespace {

constexpr double kPi = 3.14159265358979323846;

double keyHz(int key)
{
    return 440.0 * std::pow(2.0, (key - 69) / 12.0);
}

// A small deterministic noise source (xorshift), so every render is the same.
class Noise {
public:
    explicit Noise(std::uint32_t seed) : state(seed ? seed : 1) {}
    float next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<float>(state) / 2147483648.0f - 1.0f;
    }

private:
    std::uint32_t state;
};

struct OnePole {
    double a = 0.0, y = 0.0;
    void setCutoff(double hz) { a = 1.0 - std::exp(-2.0 * kPi * hz / kSampleRate); }
    double lowpass(double x) { return y += a * (x - y); }
    double highpass(double x) { return x - lowpass(x); }
};

// Stereo buses the voices write into.
struct Mix {
    explicit Mix(std::size_t frames) : dry(frames * 2, 0.0f), send(frames * 2, 0.0f), delay(frames * 2, 0.0f) {}
    std::size_t frames() const { return dry.size() / 2; }
    void add(std::size_t frame, double value, double pan, double reverb, double echo)
    {
        if (frame >= frames())
            return;
        const float l = static_cast<float>(value * std::cos(pan * kPi / 2));
        const float r = static_cast<float>(value * std::sin(pan * kPi / 2));
        dry[2 * frame] += l;
        dry[2 * frame + 1] += r;
        send[2 * frame] += static_cast<float>(l * reverb);
        send[2 * frame + 1] += static_cast<float>(r * reverb);
        delay[2 * frame] += static_cast<float>(l * echo);
        delay[2 * frame + 1] += static_cast<float>(r * echo);
    }
    std::vector<float> dry, send, delay;
};

// The song being rendered: its tempo turns beats into seconds.
struct Clock {
    double bpm;
    double seconds(double beats) const { return beats * 60.0 / bpm; }
    std::size_t frameAt(double beat) const
    {
        return static_cast<std::size_t>(std::llround(seconds(beat) * kSampleRate));
    }
};

double pianoPan(int key)
{
    return 0.3 + 0.4 * (key - 36) / 24.0;
}

void renderPiano(Mix& mix, const Clock& clock, const NoteEvent& n, Noise& noise)
{
    const double f = keyHz(n.key);
    const double velocity = std::pow(n.velocity / 127.0, 1.6) * 0.16;
    const double held = clock.seconds(n.end - n.start);
    const double length = held + 0.5;
    const std::size_t start = clock.frameAt(n.start);
    const std::size_t count = static_cast<std::size_t>(length * kSampleRate);
    const double sustain = std::pow(220.0 / f, 0.35);
    OnePole hammer;
    hammer.setCutoff(2500.0);
    const int harmonics = 9;
    double amp[harmonics], rate[harmonics], freq[harmonics];
    for (int h = 0; h < harmonics; ++h) {
        const int k = h + 1;
        freq[h] = f * k * std::sqrt(1.0 + 0.00035 * k * k);
        amp[h] = (h == 0 ? 1.0 : 0.55 / std::pow(k, 1.15)) * (freq[h] < 9000.0 ? 1.0 : 0.0);
        rate[h] = (0.9 + 0.45 * k) / sustain;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double global = static_cast<double>(start + i) / kSampleRate;
        // The record's slow wobble bends every note a little.
        const double wow = 1.0 + 0.0012 * std::sin(2.0 * kPi * 0.55 * global);
        double v = 0.0;
        for (int h = 0; h < harmonics; ++h)
            v += amp[h] * std::exp(-rate[h] * t) * std::sin(2.0 * kPi * freq[h] * wow * t);
        if (t < 0.006)
            v += hammer.lowpass(noise.next()) * 0.8 * (1.0 - t / 0.006);
        double env = std::min(1.0, t / 0.003);
        if (t > held)
            env *= std::exp(-(t - held) / 0.09);
        mix.add(start + i, v * env * velocity, pianoPan(n.key), 0.35, 0.0);
    }
}

void renderBass(Mix& mix, const Clock& clock, const NoteEvent& n)
{
    const double f = keyHz(n.key);
    const double velocity = n.velocity / 127.0 * 0.33;
    const double held = clock.seconds(n.end - n.start);
    const std::size_t start = clock.frameAt(n.start);
    const std::size_t count = static_cast<std::size_t>((held + 0.08) * kSampleRate);
    OnePole lp1, lp2;
    double phase = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        phase += f / kSampleRate;
        phase -= std::floor(phase);
        const double saw = 2.0 * phase - 1.0;
        const double sub = std::sin(2.0 * kPi * phase);
        const double cutoff = 180.0 + 900.0 * std::exp(-t * 9.0);
        lp1.setCutoff(cutoff);
        lp2.setCutoff(cutoff);
        double v = lp2.lowpass(lp1.lowpass(saw)) * 0.9 + sub * 0.6;
        double env = std::min(1.0, t / 0.004) * (0.75 + 0.25 * std::exp(-t * 6.0));
        if (t > held)
            env *= std::exp(-(t - held) / 0.02);
        mix.add(start + i, v * env * velocity, 0.5, 0.02, 0.0);
    }
}

void renderDrum(Mix& mix, const Clock& clock, DrumSound sound, const NoteEvent& n, Noise& noise)
{
    const double velocity = n.velocity / 127.0;
    const std::size_t start = clock.frameAt(n.start);
    OnePole hp, lp;
    double phase = 0.0;
    double length = 0.3;
    switch (sound) {
    case DrumSound::Kick: length = 0.45; break;
    case DrumSound::Snare: length = 0.3; hp.setCutoff(900.0); break;
    case DrumSound::ClosedHat: length = 0.08; hp.setCutoff(7000.0); break;
    case DrumSound::OpenHat: length = 0.35; hp.setCutoff(6500.0); break;
    case DrumSound::Crash: length = 2.4; hp.setCutoff(4500.0); lp.setCutoff(12000.0); break;
    }
    const std::size_t count = static_cast<std::size_t>(length * kSampleRate);
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        double v = 0.0, pan = 0.5, reverb = 0.05;
        switch (sound) {
        case DrumSound::Kick: {
            const double f = 48.0 + 120.0 * std::exp(-t * 28.0);
            phase += f / kSampleRate;
            v = std::sin(2.0 * kPi * phase) * std::exp(-t * 7.5) * 0.55;
            if (t < 0.002)
                v += 0.25 * (1.0 - t / 0.002);
            break;
        }
        case DrumSound::Snare:
            phase += 190.0 / kSampleRate;
            v = hp.highpass(noise.next()) * std::exp(-t * 16.0) * 0.26 + std::sin(2.0 * kPi * phase) * std::exp(-t * 22.0) * 0.18;
            pan = 0.52;
            reverb = 0.2;
            break;
        case DrumSound::ClosedHat:
            v = hp.highpass(noise.next()) * std::exp(-t * 55.0) * 0.12;
            pan = 0.62;
            break;
        case DrumSound::OpenHat:
            v = hp.highpass(noise.next()) * std::exp(-t * 9.0) * 0.08;
            pan = 0.4;
            break;
        case DrumSound::Crash:
            v = lp.lowpass(hp.highpass(noise.next())) * std::exp(-t * 1.6) * 0.11;
            pan = 0.6;
            reverb = 0.3;
            break;
        }
        mix.add(start + i, v * velocity * 0.6, pan, reverb, 0.0);
    }
}

// The pad's tremolo: the LFO of the description (sine; period from the
// controller lane through the template's ranges), restarted at each note-on.
double padLfoPeriod(const Song& song, double beat)
{
    int value = -1;
    for (const ControlEvent& c : song.controls)
        if (c.track == song.lfoTrack && c.controller == song.lfoController && c.beat <= beat)
            value = c.value;
    // The description's period until the lane says otherwise.
    double period = song.lfoNumerator * 4.0 / song.lfoDenominator;
    if (value >= 0)
        for (const LfoRange& r : song.lfoRanges)
            if (value <= r.max) {
                period = r.numerator * 4.0 / r.denominator;
                break;
            }
    return period;
}

void renderPad(Mix& mix, const Clock& clock, const Song& song, const NoteEvent& n, Noise& noise)
{
    const double f = keyHz(n.key);
    const double velocity = n.velocity / 127.0 * 0.05;
    const double held = clock.seconds(n.end - n.start);
    const std::size_t start = clock.frameAt(n.start);
    const std::size_t count = static_cast<std::size_t>((held + 0.7) * kSampleRate);
    const double detune[3] = {-0.006, 0.0, 0.0065};
    double phase[3] = {noise.next() * 0.5 + 0.5, noise.next() * 0.5 + 0.5, noise.next() * 0.5 + 0.5};
    OnePole lp1, lp2;
    lp1.setCutoff(1400.0);
    lp2.setCutoff(1800.0);
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        double v = 0.0;
        for (int o = 0; o < 3; ++o) {
            phase[o] += f * (1.0 + detune[o]) / kSampleRate;
            phase[o] -= std::floor(phase[o]);
            v += 2.0 * phase[o] - 1.0;
        }
        v = lp2.lowpass(lp1.lowpass(v));
        const double beatsIn = t * clock.bpm / 60.0;
        double tremolo = 1.0;
        if (t <= held && n.track == song.lfoTrack) {
            const double period = padLfoPeriod(song, n.start + beatsIn);
            const double lfo = 0.5 * std::sin(2.0 * kPi * beatsIn / period - kPi / 2) + 0.5;
            tremolo = 0.45 + 0.55 * lfo;
        }
        double env = std::min(1.0, t / 0.35);
        if (t > held)
            env *= std::exp(-(t - held) / 0.25);
        mix.add(start + i, v * env * tremolo * velocity, 0.5 + ((n.key % 5) - 2) * 0.08, 0.6, 0.0);
    }
}

void renderLead(Mix& mix, const Clock& clock, const NoteEvent& n)
{
    const double f = keyHz(n.key);
    const double velocity = n.velocity / 127.0 * 0.15;
    const double held = clock.seconds(n.end - n.start);
    const std::size_t start = clock.frameAt(n.start);
    const std::size_t count = static_cast<std::size_t>((held + 0.2) * kSampleRate);
    double p1 = 0.0, p2 = 0.25, p3 = 0.0;
    OnePole lp1, lp2;
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double vibrato = 1.0 + (t > 0.18 ? 0.004 * std::sin(2.0 * kPi * 5.5 * t) : 0.0);
        p1 += f * vibrato * 0.996 / kSampleRate;
        p2 += f * vibrato * 1.004 / kSampleRate;
        p3 += f * 0.5 / kSampleRate;
        p1 -= std::floor(p1);
        p2 -= std::floor(p2);
        p3 -= std::floor(p3);
        double v = (2.0 * p1 - 1.0) + (2.0 * p2 - 1.0) + (p3 < 0.5 ? 0.35 : -0.35);
        const double cutoff = 1400.0 + 2600.0 * std::exp(-t * 5.0);
        lp1.setCutoff(cutoff);
        lp2.setCutoff(cutoff);
        v = lp2.lowpass(lp1.lowpass(v));
        // The envelope the description binds to the lead: quick attack, short decay to 60 %.
        double env = t < 0.01 ? t / 0.01 : 0.6 + 0.4 * std::exp(-(t - 0.01) / 0.12);
        if (t > held)
            env *= std::exp(-(t - held) / 0.05);
        mix.add(start + i, v * env * velocity, 0.55, 0.25, 0.35);
    }
}

// The bleeps sound what the arpeggiator lets through: of the held keys (in
// the order the keys first appear), one at a time, stepping up and down
// every sixteenth from the latest change of the held set.
void renderBleeps(Mix& mix, const Clock& clock, const Song& song, int track)
{
    const double arpStep = track == song.arpTrack ? song.arpStepBeats : 0.25;
    std::vector<int> keyOrder;
    std::vector<const NoteEvent*> notes;
    for (const NoteEvent& n : song.notes) {
        if (n.track != track)
            continue;
        notes.push_back(&n);
        if (std::find(keyOrder.begin(), keyOrder.end(), n.key) == keyOrder.end())
            keyOrder.push_back(n.key);
    }
    if (notes.empty())
        return;
    const double step = 1.0 / 64.0; // beats
    int soundingKey = -1;
    double gateId = -1.0;
    double triggered = 0.0;
    double latest = -1.0;
    std::vector<bool> wasHeld(keyOrder.size(), false);
    std::vector<double> heldSince(keyOrder.size(), 0.0);
    double phase = 0.0;
    const std::size_t total = clock.frameAt(song.beats);
    std::size_t frame = 0;
    for (int tick = 0; tick * step < song.beats; ++tick) {
        const double beat = tick * step;
        std::vector<std::size_t> held;
        for (std::size_t k = 0; k < keyOrder.size(); ++k) {
            bool on = false;
            for (const NoteEvent* n : notes)
                if (n->key == keyOrder[k] && n->start <= beat + 1e-9 && beat < n->end - 1e-9) {
                    on = true;
                    if (!wasHeld[k])
                        heldSince[k] = n->start;
                    break;
                }
            if (on != wasHeld[k]) {
                latest = beat;
                wasHeld[k] = on;
            }
            if (on)
                held.push_back(k);
        }
        int key = -1;
        double id = -1.0;
        if (held.size() == 1) {
            key = keyOrder[held[0]];
            id = heldSince[held[0]];
        } else if (held.size() > 1) {
            const std::size_t count = held.size();
            const auto stepIndex = static_cast<std::size_t>((beat - latest) / arpStep + 1e-9);
            std::size_t index = stepIndex % (2 * count - 2);
            if (index >= count)
                index = 2 * (count - 1) - index;
            key = keyOrder[held[index]];
            id = latest * 1000.0 + static_cast<double>(stepIndex);
        }
        if (key != soundingKey || id != gateId) {
            soundingKey = key;
            gateId = id;
            triggered = beat;
        }
        const std::size_t end = std::min(total, clock.frameAt(beat + step));
        for (; frame < end; ++frame) {
            if (soundingKey < 0)
                continue;
            const double t = static_cast<double>(frame) / kSampleRate - clock.seconds(triggered);
            phase += keyHz(soundingKey) / kSampleRate;
            phase -= std::floor(phase);
            const double square = phase < 0.25 ? 1.0 : -0.33;
            const double env = std::min(1.0, t / 0.002) * std::exp(-t * 14.0);
            mix.add(frame, square * env * 0.11, 0.5 + 0.3 * std::sin(2.0 * kPi * beat / 8.0), 0.3, 0.5);
        }
    }
}

// A small stereo reverb: four damped combs and two all-passes per side.
void addReverb(std::vector<float>& out, const std::vector<float>& send, double level)
{
    const std::size_t frames = send.size() / 2;
    const int combs[4] = {1116, 1188, 1277, 1356};
    const int allpasses[2] = {556, 441};
    for (int side = 0; side < 2; ++side) {
        const int spread = side * 23;
        std::vector<std::vector<float>> combBuf;
        std::vector<std::size_t> combPos(4, 0);
        std::vector<float> combLow(4, 0.0f);
        for (int c : combs)
            combBuf.emplace_back(static_cast<std::size_t>(c + spread), 0.0f);
        std::vector<std::vector<float>> apBuf;
        std::vector<std::size_t> apPos(2, 0);
        for (int a : allpasses)
            apBuf.emplace_back(static_cast<std::size_t>(a + spread), 0.0f);
        for (std::size_t i = 0; i < frames; ++i) {
            const float in = send[2 * i + side] * 0.25f;
            float acc = 0.0f;
            for (int c = 0; c < 4; ++c) {
                std::vector<float>& buf = combBuf[static_cast<std::size_t>(c)];
                std::size_t& pos = combPos[static_cast<std::size_t>(c)];
                const float y = buf[pos];
                combLow[static_cast<std::size_t>(c)] = y * 0.6f + combLow[static_cast<std::size_t>(c)] * 0.4f;
                buf[pos] = in + combLow[static_cast<std::size_t>(c)] * 0.82f;
                pos = (pos + 1) % buf.size();
                acc += y;
            }
            for (int a = 0; a < 2; ++a) {
                std::vector<float>& buf = apBuf[static_cast<std::size_t>(a)];
                std::size_t& pos = apPos[static_cast<std::size_t>(a)];
                const float b = buf[pos];
                buf[pos] = acc + b * 0.5f;
                acc = b - acc;
                pos = (pos + 1) % buf.size();
            }
            out[2 * i + side] += static_cast<float>(acc * level);
        }
    }
}

// Ping-pong echo of a dotted eighth.
void addDelay(std::vector<float>& out, const std::vector<float>& send, const Clock& clock)
{
    const std::size_t frames = send.size() / 2;
    const std::size_t d = static_cast<std::size_t>(clock.seconds(0.75) * kSampleRate);
    std::vector<float> l(frames, 0.0f), r(frames, 0.0f);
    for (std::size_t i = 0; i < frames; ++i) {
        const float inL = send[2 * i], inR = send[2 * i + 1];
        const float fbL = i >= d ? r[i - d] : 0.0f;
        const float fbR = i >= d ? l[i - d] : 0.0f;
        l[i] = 0.5f * (inL + inR) + fbL * 0.38f;
        r[i] = fbR * 0.38f;
        out[2 * i] += (i >= d ? l[i - d] : 0.0f) * 0.45f;
        out[2 * i + 1] += (i >= d ? r[i - d] : 0.0f) * 0.45f + (i >= d ? l[i - d] : 0.0f) * 0.1f;
    }
}

// Faint record crackle under the whole song.
void addCrackle(std::vector<float>& out)
{
    Noise noise(99);
    OnePole lp;
    lp.setCutoff(3000.0);
    const std::size_t frames = out.size() / 2;
    double hiss = 0.0;
    for (std::size_t i = 0; i < frames; ++i) {
        const float r = noise.next();
        hiss = lp.lowpass(noise.next()) * 0.0025;
        double click = 0.0;
        if (r > 0.99996f)
            click = noise.next() * 0.02;
        out[2 * i] += static_cast<float>(hiss + click);
        out[2 * i + 1] += static_cast<float>(hiss + click * 0.8);
    }
}

} // namespace

std::vector<float> renderSong(const Song& song)
{
    const Clock clock{song.bpm};
    const std::size_t frames = static_cast<std::size_t>((clock.seconds(song.beats) + song.tailSeconds) * kSampleRate);
    Mix mix(frames);
    Noise noise(12345);
    for (const NoteEvent& n : song.notes) {
        switch (song.tracks[static_cast<std::size_t>(n.track)].instrument) {
        case Instrument::Piano: renderPiano(mix, clock, n, noise); break;
        case Instrument::Bass: renderBass(mix, clock, n); break;
        case Instrument::Drums:
            for (const auto& [key, sound] : song.drumKeys)
                if (key == n.key) {
                    renderDrum(mix, clock, sound, n, noise);
                    break;
                }
            break;
        case Instrument::Pad: renderPad(mix, clock, song, n, noise); break;
        case Instrument::Lead: renderLead(mix, clock, n); break;
        case Instrument::Bleeps: break;
        }
    }
    for (std::size_t t = 0; t < song.tracks.size(); ++t)
        if (song.tracks[t].instrument == Instrument::Bleeps)
            renderBleeps(mix, clock, song, static_cast<int>(t));

    std::vector<float> out = mix.dry;
    addReverb(out, mix.send, 0.9);
    addDelay(out, mix.delay, clock);
    addCrackle(out);

    // Gentle saturation, then normalise to just under full scale, and fade
    // the last half second of the tail.
    float peak = 0.0f;
    for (float& v : out) {
        v = std::tanh(v * 1.4f) / std::tanh(1.4f);
        peak = std::max(peak, std::fabs(v));
    }
    const float gain = peak > 0.0f ? 0.93f / peak : 1.0f;
    const std::size_t fade = static_cast<std::size_t>(0.5 * kSampleRate);
    for (std::size_t i = 0; i < frames; ++i) {
        float g = gain;
        if (i + fade > frames)
            g *= static_cast<float>(frames - i) / static_cast<float>(fade);
        out[2 * i] *= g;
        out[2 * i + 1] *= g;
    }
    return out;
}

} // namespace compose
