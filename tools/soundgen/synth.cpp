#include "synth.h"

#include "soundgen.h"

#include "content/content_ini.h"

#include <sndfile.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

extern char** environ;

namespace soundgen {

namespace {

using content::IniFile;
using content::IniKey;
using content::IniSection;

constexpr double kTwoPi = 6.283185307179586;

// A small deterministic generator: recipes sound the same on every build.
struct Rng {
    uint64_t s;
    explicit Rng(uint64_t seed) : s(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {}
    double next() { // [0, 1)
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return double(s >> 11) / double(1ull << 53);
    }
    double signedNext() { return next() * 2 - 1; }
};

struct Envelope {
    double attack = 0.005, decay = 0.05, sustain = 0.7, release = 0.05;

    // Level at time t of a sound held for `length` seconds (release included).
    double at(double t, double length) const {
        auto held = [&](double u) {
            if (u < attack)
                return attack > 0 ? u / attack : 1.0;
            if (u < attack + decay) {
                double x = (u - attack) / decay;
                return sustain + (1 - sustain) * (1 - x) * (1 - x);
            }
            return sustain;
        };
        double rs = std::max(0.0, length - release);
        if (t < rs)
            return held(t);
        if (t >= length)
            return 0;
        double x = release > 0 ? (t - rs) / release : 1;
        return held(rs) * (1 - x) * (1 - x);
    }
};

// A state-variable filter whose cut-off may glide.
struct Filter {
    enum Kind { None, Low, High, Band } kind = None;
    double from = 1000, to = 0, q = 0.7;
    double low = 0, band = 0;

    double run(double in, double fc, int rate) {
        if (kind == None)
            return in;
        fc = std::clamp(fc, 10.0, rate / 6.0);
        double f = 2 * std::sin(M_PI * fc / rate);
        double damp = 1 / std::max(0.5, q);
        low += f * band;
        double high = in - low - damp * band;
        band += f * high;
        return kind == Low ? low : kind == High ? high : band;
    }
};

double wave(const std::string& kind, double phase, Rng& rng) {
    double p = phase - std::floor(phase); // 0..1
    if (kind == "sine")
        return std::sin(kTwoPi * p);
    if (kind == "triangle")
        return 1 - 4 * std::fabs(p - 0.5);
    if (kind == "square")
        return p < 0.5 ? 1 : -1;
    if (kind == "saw")
        return 2 * p - 1;
    return rng.signedNext(); // noise
}

void addSample(Audio& a, size_t frame, double v, double pan) {
    if (frame >= a.frames())
        return;
    if (a.channels == 1) {
        a.samples[frame] += float(v);
        return;
    }
    double angle = (std::clamp(pan, -1.0, 1.0) + 1) * M_PI / 4; // equal power
    a.samples[frame * 2] += float(v * std::cos(angle));
    a.samples[frame * 2 + 1] += float(v * std::sin(angle));
}

// ---------------------------------------------------------------- reading

struct Reader {
    const IniFile& file;
    std::string& error;

    bool numbers(const IniSection& s, const char* key, std::vector<double>& out, size_t min, size_t max) {
        const IniKey* k = s.find(key);
        if (!k)
            return true;
        out.clear();
        for (const std::string& t : content::splitList(k->value)) {
            char* end = nullptr;
            double v = std::strtod(t.c_str(), &end);
            if (*end || !std::isfinite(v)) {
                error = file.where(k->line) + key + ": '" + t + "' is not a number";
                return false;
            }
            out.push_back(v);
        }
        if (out.size() < min || out.size() > max) {
            error = file.where(k->line) + key + " takes " + std::to_string(min) +
                    (max > min ? " to " + std::to_string(max) : "") + " numbers";
            return false;
        }
        return true;
    }
    bool number(const IniSection& s, const char* key, double& v, double lo, double hi) {
        std::vector<double> n;
        if (!numbers(s, key, n, 1, 1))
            return false;
        if (n.empty())
            return true;
        if (n[0] < lo || n[0] > hi) {
            error = file.where(s.find(key)->line) + key + " must lie from " + std::to_string(lo) + " to " +
                    std::to_string(hi);
            return false;
        }
        v = n[0];
        return true;
    }
    bool envelope(const IniSection& s, Envelope& e) {
        std::vector<double> n;
        if (!numbers(s, "Envelope", n, 4, 4))
            return false;
        if (n.empty())
            return true;
        if (n[0] < 0 || n[1] < 0 || n[2] < 0 || n[2] > 1 || n[3] < 0) {
            error = file.where(s.find("Envelope")->line) + "Envelope is attack decay sustain(0..1) release";
            return false;
        }
        e = {n[0], n[1], n[2], n[3]};
        return true;
    }
};

// The [sound], [music] or [speech] section: rate, channels, gain, reverb.
struct Output {
    int rate = 44100;
    int channels = 1;
    double gain = 0.9;
    double reverbMix = 0, reverbSize = 0.5;
    double length = 0;
};

bool readOutput(Reader& r, const IniSection& s, Output& o) {
    double rate = o.rate, channels = o.channels;
    std::vector<double> reverb;
    if (!r.number(s, "Rate", rate, 8000, 96000) || !r.number(s, "Channels", channels, 1, 2) ||
        !r.number(s, "Gain", o.gain, 0.01, 1) || !r.number(s, "Length", o.length, 0, 600) ||
        !r.numbers(s, "Reverb", reverb, 1, 2))
        return false;
    o.rate = int(rate);
    o.channels = int(channels);
    if (!reverb.empty()) {
        o.reverbMix = std::clamp(reverb[0], 0.0, 1.0);
        if (reverb.size() > 1)
            o.reverbSize = std::clamp(reverb[1], 0.0, 1.0);
    }
    return true;
}

bool finishAudio(Audio& a, const Output& o) {
    if (o.reverbMix > 0)
        addReverb(a, o.reverbMix, o.reverbSize);
    // A short fade at the very end keeps the last sample from clicking.
    size_t n = a.frames(), fade = std::min<size_t>(n, size_t(a.rate / 200));
    for (size_t i = 0; i < fade; ++i)
        for (int c = 0; c < a.channels; ++c)
            a.samples[(n - 1 - i) * size_t(a.channels) + size_t(c)] *= float(double(i) / double(fade));
    normalise(a, float(o.gain));
    return true;
}

// ---------------------------------------------------------------- effects

struct EffectVoice {
    std::string wave = "sine";
    double freq = 440, freqEnd = 0;
    double start = 0, length = 0.2;
    Envelope env;
    double gain = 1, pan = 0;
    Filter filter;
    double grainRate = 0, grainDepth = 0;
    double vibratoRate = 0, vibratoDepth = 0; // Hz, semitones
    int repeat = 1;
    double interval = 0;
    int scatter = 0;
    double scatterSpan = 0, scatterLow = 0, scatterHigh = 0;
    std::vector<double> partials{1};
    uint64_t seed = 1;
};

bool readVoice(Reader& r, const IniSection& s, EffectVoice& v) {
    static const char* const waves[] = {"sine", "triangle", "square", "saw", "noise"};
    if (const IniKey* k = s.find("Wave")) {
        if (std::find_if(std::begin(waves), std::end(waves), [&](const char* w) { return k->value == w; }) ==
            std::end(waves)) {
            r.error =
                r.file.where(k->line) + "Wave '" + k->value + "' is not sine, triangle, square, saw or noise";
            return false;
        }
        v.wave = k->value;
    }
    std::vector<double> freq, grain, repeat, scatter, vibrato;
    double seed = double(v.seed);
    if (!r.numbers(s, "Freq", freq, 1, 2) || !r.number(s, "Start", v.start, 0, 600) ||
        !r.number(s, "Length", v.length, 0.001, 600) || !r.envelope(s, v.env) ||
        !r.number(s, "Gain", v.gain, 0, 4) || !r.number(s, "Pan", v.pan, -1, 1) ||
        !r.numbers(s, "Grain", grain, 2, 2) || !r.numbers(s, "Vibrato", vibrato, 2, 2) ||
        !r.numbers(s, "Repeat", repeat, 2, 2) || !r.numbers(s, "Scatter", scatter, 4, 4) ||
        !r.numbers(s, "Partials", v.partials, 1, 16) || !r.number(s, "Seed", seed, 0, 1e9))
        return false;
    v.seed = uint64_t(seed);
    if (!freq.empty()) {
        v.freq = freq[0];
        v.freqEnd = freq.size() > 1 ? freq[1] : 0;
        if (v.freq <= 0 || (freq.size() > 1 && v.freqEnd <= 0)) {
            r.error = r.file.where(s.find("Freq")->line) + "Freq takes positive frequencies in Hz";
            return false;
        }
    }
    if (!grain.empty()) {
        v.grainRate = std::max(0.0, grain[0]);
        v.grainDepth = std::clamp(grain[1], 0.0, 1.0);
    }
    if (!vibrato.empty()) {
        v.vibratoRate = std::max(0.0, vibrato[0]);
        v.vibratoDepth = std::clamp(vibrato[1], 0.0, 12.0);
    }
    if (!repeat.empty()) {
        v.repeat = int(std::clamp(repeat[0], 1.0, 1000.0));
        v.interval = std::max(0.0, repeat[1]);
    }
    if (!scatter.empty()) {
        v.scatter = int(std::clamp(scatter[0], 0.0, 1000.0));
        v.scatterSpan = std::max(0.0, scatter[1]);
        v.scatterLow = scatter[2];
        v.scatterHigh = scatter[3];
        if (v.scatterLow <= 0 || v.scatterHigh < v.scatterLow) {
            r.error = r.file.where(s.find("Scatter")->line) + "Scatter is count span low-Hz high-Hz";
            return false;
        }
    }
    if (const IniKey* k = s.find("Filter")) {
        std::vector<std::string> t = content::splitList(k->value);
        Filter& f = v.filter;
        f.kind = t.empty()            ? Filter::None
                 : t[0] == "lowpass"  ? Filter::Low
                 : t[0] == "highpass" ? Filter::High
                 : t[0] == "bandpass" ? Filter::Band
                                      : Filter::None;
        if (f.kind == Filter::None || t.size() < 2 || t.size() > 4) {
            r.error = r.file.where(k->line) + "Filter is lowpass, highpass or bandpass, a cut-off Hz, "
                                              "an optional end cut-off and an optional Q";
            return false;
        }
        f.from = std::atof(t[1].c_str());
        f.to = t.size() > 2 ? std::atof(t[2].c_str()) : 0;
        f.q = t.size() > 3 ? std::atof(t[3].c_str()) : 0.7;
        if (f.from <= 0 || f.to < 0 || f.q <= 0) {
            r.error = r.file.where(k->line) + "Filter frequencies and Q must be positive";
            return false;
        }
    }
    return true;
}

void renderVoiceOnce(const EffectVoice& v, double start, double pitch, Audio& out, Rng& rng) {
    size_t n = size_t(v.length * out.rate);
    size_t first = size_t(start * out.rate);
    std::vector<double> phase(v.partials.size(), rng.next());
    Filter filter = v.filter;
    double grainLevel = 1, grainTarget = 1, grainClock = 0;
    for (size_t i = 0; i < n; ++i) {
        double t = double(i) / out.rate;
        double f = v.freq * pitch;
        if (v.freqEnd > 0)
            f *= std::pow(v.freqEnd / v.freq, t / v.length);
        if (v.vibratoRate > 0)
            f *= std::pow(2.0, v.vibratoDepth / 12 * std::sin(kTwoPi * v.vibratoRate * t));
        double env = v.env.at(t, v.length);
        double s = 0;
        for (size_t k = 0; k < v.partials.size(); ++k) {
            double ratio = v.partials[k];
            phase[k] += f * ratio / out.rate;
            // Higher partials fade sooner, as in a struck bar.
            double weight = 1.0 / double(k + 1) * std::pow(env, std::sqrt(std::max(1.0, ratio)) - 1);
            s += wave(v.wave, phase[k], rng) * weight;
        }
        double fc = filter.from;
        if (filter.to > 0)
            fc *= std::pow(filter.to / filter.from, t / v.length);
        s = filter.run(s, fc, out.rate);
        if (v.grainRate > 0) {
            grainClock += v.grainRate / out.rate;
            if (grainClock >= 1) {
                grainClock -= 1;
                grainTarget = 1 - v.grainDepth * rng.next();
            }
            grainLevel += (grainTarget - grainLevel) * 0.02;
            s *= grainLevel;
        }
        addSample(out, first + i, s * env * v.gain, v.pan);
    }
}

void renderVoice(const EffectVoice& v, Audio& out) {
    Rng rng(v.seed);
    for (int r = 0; r < v.repeat; ++r)
        renderVoiceOnce(v, v.start + r * v.interval, 1.0, out, rng);
    for (int k = 0; k < v.scatter; ++k) {
        double at = v.start + rng.next() * v.scatterSpan;
        double hz = v.scatterLow * std::pow(v.scatterHigh / v.scatterLow, rng.next());
        renderVoiceOnce(v, at, hz / v.freq, out, rng);
    }
}

double voiceEnd(const EffectVoice& v) {
    return v.start + std::max((v.repeat - 1) * v.interval, v.scatterSpan) + v.length;
}

// ---------------------------------------------------------------- music

struct Instrument {
    std::string voice = "pluck";
    Envelope env;
    double gain = 0.5, pan = 0;
    int transpose = 0;
};

Instrument defaults(const std::string& voice) {
    Instrument i;
    i.voice = voice;
    if (voice == "pluck")
        i.env = {0.002, 0.1, 0.8, 0.3};
    else if (voice == "pad")
        i.env = {0.35, 0.4, 0.7, 0.8};
    else if (voice == "bell")
        i.env = {0.002, 0.05, 1.0, 1.6};
    else // flute
        i.env = {0.06, 0.1, 0.85, 0.15};
    return i;
}

struct Note {
    double start = 0, length = 0, hz = 0; // seconds
    const Instrument* instrument = nullptr;
    double gain = 1;
};

void renderNote(const Note& n, Audio& out, Rng& rng) {
    const Instrument& in = *n.instrument;
    double total = n.length + in.env.release;
    size_t count = size_t(total * out.rate);
    size_t first = size_t(n.start * out.rate);
    double hz = n.hz;
    double amp = in.gain * n.gain;
    if (in.voice == "pluck") {
        // A plucked string: a burst of noise circulating in a delay line.
        size_t len = std::max<size_t>(2, size_t(out.rate / hz));
        std::vector<double> line(len);
        for (double& x : line)
            x = rng.signedNext();
        for (int pass = 0; pass < 2; ++pass)
            for (size_t i = 1; i < len; ++i)
                line[i] = 0.5 * (line[i] + line[i - 1]);
        size_t pos = 0;
        for (size_t i = 0; i < count; ++i) {
            double t = double(i) / out.rate;
            size_t next = (pos + 1) % len;
            double y = line[pos];
            line[pos] = 0.4985 * (line[pos] + line[next]);
            pos = next;
            double env = t < n.length ? 1 : in.env.at(t, total);
            addSample(out, first + i, y * env * amp, in.pan);
        }
        return;
    }
    if (in.voice == "bell") {
        static const double ratio[] = {1, 2.0, 2.76, 4.07, 5.4};
        static const double level[] = {1, 0.5, 0.6, 0.25, 0.2};
        for (size_t i = 0; i < count; ++i) {
            double t = double(i) / out.rate;
            double s = 0;
            for (int k = 0; k < 5; ++k)
                s += level[k] * std::sin(kTwoPi * hz * ratio[k] * t) * std::exp(-t * (0.8 + ratio[k] * 0.9));
            double env =
                std::min(1.0, t / std::max(1e-4, in.env.attack)) * (t < n.length ? 1 : in.env.at(t, total));
            addSample(out, first + i, s * 0.4 * env * amp, in.pan);
        }
        return;
    }
    if (in.voice == "pad") {
        Filter lp;
        lp.kind = Filter::Low;
        lp.q = 0.8;
        double ph[3] = {rng.next(), rng.next(), rng.next()};
        const double detune[3] = {0.997, 1.0, 1.003};
        for (size_t i = 0; i < count; ++i) {
            double t = double(i) / out.rate;
            double s = 0;
            for (int k = 0; k < 3; ++k) {
                ph[k] += hz * detune[k] / out.rate;
                s += wave("saw", ph[k], rng);
            }
            s = lp.run(s / 3, std::min(hz * 3.5, 2800.0), out.rate);
            addSample(out, first + i, s * in.env.at(t, total) * amp, in.pan);
        }
        return;
    }
    // flute: a soft tone with a little breath and vibrato
    Filter breath;
    breath.kind = Filter::Band;
    breath.q = 2;
    double ph = 0;
    for (size_t i = 0; i < count; ++i) {
        double t = double(i) / out.rate;
        double vib = 1 + 0.004 * std::sin(kTwoPi * 5 * t) * std::min(1.0, std::max(0.0, (t - 0.15) * 4));
        ph += hz * vib / out.rate;
        double s = std::sin(kTwoPi * ph) + 0.2 * std::sin(2 * kTwoPi * ph) + 0.05 * std::sin(3 * kTwoPi * ph);
        s += 0.3 * breath.run(rng.signedNext(), hz * 2, out.rate);
        addSample(out, first + i, s * 0.6 * in.env.at(t, total) * amp, in.pan);
    }
}

bool parseBeats(const std::string& t, double& beats) {
    size_t slash = t.find('/');
    char* end = nullptr;
    if (slash != std::string::npos) {
        std::string top = t.substr(0, slash), bottom = t.substr(slash + 1);
        double a = std::strtod(top.c_str(), &end);
        if (*end || top.empty())
            return false;
        double b = std::strtod(bottom.c_str(), &end);
        if (*end || bottom.empty() || b <= 0)
            return false;
        beats = a / b;
    } else {
        beats = std::strtod(t.c_str(), &end);
        if (*end || t.empty())
            return false;
    }
    return beats > 0 && beats <= 64;
}

bool readRecipe(const std::string& path, IniFile& file, std::string& error) {
    return content::readIni(path, file, error);
}

} // namespace

bool noteFrequency(const std::string& name, double& hz) {
    static const int steps[] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G from C
    if (name.size() < 2)
        return false;
    char letter = char(std::toupper(static_cast<unsigned char>(name[0])));
    if (letter < 'A' || letter > 'G')
        return false;
    int semitone = steps[letter - 'A'];
    size_t i = 1;
    while (i < name.size() && (name[i] == '#' || name[i] == 'b')) {
        semitone += name[i] == '#' ? 1 : -1;
        ++i;
    }
    if (i >= name.size())
        return false;
    char* end = nullptr;
    long octave = std::strtol(name.c_str() + i, &end, 10);
    if (*end || octave < 0 || octave > 9)
        return false;
    int midi = int(octave + 1) * 12 + semitone;
    hz = 440.0 * std::pow(2.0, (midi - 69) / 12.0);
    return true;
}

void normalise(Audio& a, float peak) {
    float m = 0;
    for (float v : a.samples)
        m = std::max(m, std::fabs(v));
    if (m <= 0)
        return;
    float k = peak / m;
    for (float& v : a.samples)
        v *= k;
}

void addReverb(Audio& a, double mix, double size) {
    static const int combMs[] = {29, 37, 41, 44};
    static const int allpassMs[] = {5, 2};
    double feedback = 0.7 + 0.25 * size;
    size_t tail = size_t(a.rate * (0.6 + 2.4 * size));
    size_t frames = a.frames();
    std::vector<float> out((frames + tail) * size_t(a.channels), 0.0f);
    for (int c = 0; c < a.channels; ++c) {
        std::vector<double> wet(frames + tail, 0.0);
        for (int k = 0; k < 4; ++k) {
            // The right channel's lines are a little longer: a wider room.
            size_t d = size_t(a.rate * (combMs[k] + c * 1.3) * (0.6 + 0.8 * size) / 1000.0);
            std::vector<double> line(d, 0.0);
            double damp = 0;
            for (size_t i = 0; i < wet.size(); ++i) {
                double in = i < frames ? a.samples[i * size_t(a.channels) + size_t(c)] : 0.0;
                double y = line[i % d];
                damp = y * 0.6 + damp * 0.4;
                line[i % d] = in + damp * feedback;
                wet[i] += y * 0.25;
            }
        }
        for (int k = 0; k < 2; ++k) {
            size_t d = size_t(a.rate * allpassMs[k] / 1000.0) + 1;
            std::vector<double> line(d, 0.0);
            size_t pos = 0;
            for (double& x : wet) {
                double y = line[pos];
                double v = x + y * 0.5;
                line[pos] = v;
                pos = (pos + 1) % d;
                x = y - v * 0.5;
            }
        }
        for (size_t i = 0; i < wet.size(); ++i) {
            double dry = i < frames ? a.samples[i * size_t(a.channels) + size_t(c)] : 0.0;
            out[i * size_t(a.channels) + size_t(c)] = float(dry * (1 - mix * 0.5) + wet[i] * mix);
        }
    }
    // Drop the silent end of the tail.
    size_t last = out.size();
    while (last > a.samples.size() && std::fabs(out[last - 1]) < 1e-5f)
        --last;
    last -= last % size_t(a.channels);
    out.resize(last);
    a.samples = std::move(out);
}

bool renderEffect(const std::string& recipe, Audio& out, std::string& error) {
    IniFile file;
    if (!readRecipe(recipe, file, error))
        return false;
    Reader r{file, error};
    Output o;
    std::vector<EffectVoice> voices;
    for (const IniSection& s : file.sections) {
        if (s.name == "sound") {
            if (!readOutput(r, s, o))
                return false;
        } else if (s.name == "voice") {
            EffectVoice v;
            v.seed = voices.size() + 1;
            if (!readVoice(r, s, v))
                return false;
            voices.push_back(v);
        } else {
            error = file.where(s.line) + "[" + s.name + "] is neither [sound] nor [voice]";
            return false;
        }
    }
    if (voices.empty()) {
        error = recipe + ": an effect needs at least one [voice]";
        return false;
    }
    double length = o.length;
    if (length <= 0)
        for (const EffectVoice& v : voices)
            length = std::max(length, voiceEnd(v));
    out = Audio();
    out.rate = o.rate;
    out.channels = o.channels;
    out.samples.assign(size_t(length * o.rate) * size_t(o.channels), 0.0f);
    for (const EffectVoice& v : voices)
        renderVoice(v, out);
    return finishAudio(out, o);
}

bool renderMusic(const std::string& recipe, Audio& out, std::string& error) {
    IniFile file;
    if (!readRecipe(recipe, file, error))
        return false;
    Reader r{file, error};
    Output o;
    o.channels = 2;
    double tempo = 90;
    std::vector<std::pair<std::string, Instrument>> instruments;
    std::vector<Note> notes;
    for (const IniSection& s : file.sections) {
        if (s.name == "music") {
            if (!readOutput(r, s, o) || !r.number(s, "Tempo", tempo, 20, 400))
                return false;
        } else if (s.name.rfind("instrument ", 0) == 0) {
            std::string voice = s.get("Voice", "pluck");
            if (voice != "pluck" && voice != "pad" && voice != "bell" && voice != "flute") {
                error = file.where(s.find("Voice")->line) + "Voice '" + voice +
                        "' is not pluck, pad, bell or flute";
                return false;
            }
            Instrument in = defaults(voice);
            double transpose = 0;
            if (!r.envelope(s, in.env) || !r.number(s, "Gain", in.gain, 0, 4) ||
                !r.number(s, "Pan", in.pan, -1, 1) || !r.number(s, "Transpose", transpose, -48, 48))
                return false;
            in.transpose = int(transpose);
            instruments.emplace_back(content::trim(s.name.substr(11)), in);
        } else if (s.name.rfind("part ", 0) == 0) {
            continue; // after every instrument is known
        } else {
            error =
                file.where(s.line) + "[" + s.name + "] is neither [music], [instrument NAME] nor [part NAME]";
            return false;
        }
    }
    double beat = 60.0 / tempo;
    for (const IniSection& s : file.sections) {
        if (s.name.rfind("part ", 0) != 0)
            continue;
        std::string name = s.get("Instrument");
        const Instrument* in = nullptr;
        for (const auto& i : instruments)
            if (i.first == name)
                in = &i.second;
        if (!in) {
            error = file.where(s.line) + "[" + s.name + "] plays instrument '" + name +
                    "', which no [instrument] defines";
            return false;
        }
        double startBeat = 0, repeat = 1, gain = 1;
        if (!r.number(s, "Start", startBeat, 0, 100000) || !r.number(s, "Repeat", repeat, 1, 1000) ||
            !r.number(s, "Gain", gain, 0, 4))
            return false;
        std::vector<std::pair<std::string, int>> tokens;
        for (const IniKey& k : s.keys)
            if (k.name == "Notes")
                for (const std::string& t : content::splitList(k.value))
                    if (t != "|")
                        tokens.emplace_back(t, k.line);
        double at = startBeat;
        for (int rep = 0; rep < int(repeat); ++rep)
            for (const auto& [t, line] : tokens) {
                std::string pitches = t;
                double beats = 1;
                size_t colon = t.find(':');
                if (colon != std::string::npos) {
                    pitches = t.substr(0, colon);
                    if (!parseBeats(t.substr(colon + 1), beats)) {
                        error = file.where(line) + "note '" + t +
                                "': the beats after ':' are a number or a fraction";
                        return false;
                    }
                }
                if (pitches != "r") {
                    size_t pos = 0;
                    while (pos <= pitches.size()) {
                        size_t plus = pitches.find('+', pos);
                        std::string p =
                            pitches.substr(pos, plus == std::string::npos ? std::string::npos : plus - pos);
                        double hz = 0;
                        if (!noteFrequency(p, hz)) {
                            error =
                                file.where(line) + "'" + p + "' is not a note (C4, F#3, Bb5) or a rest (r)";
                            return false;
                        }
                        Note n;
                        n.start = at * beat;
                        n.length = beats * beat;
                        n.hz = hz * std::pow(2.0, in->transpose / 12.0);
                        n.instrument = in;
                        n.gain = gain;
                        notes.push_back(n);
                        if (plus == std::string::npos)
                            break;
                        pos = plus + 1;
                    }
                }
                at += beats;
            }
    }
    if (notes.empty()) {
        error = recipe + ": the music has no notes (a [part NAME] with Notes)";
        return false;
    }
    double length = o.length;
    if (length <= 0)
        for (const Note& n : notes)
            length = std::max(length, n.start + n.length + n.instrument->env.release);
    out = Audio();
    out.rate = o.rate;
    out.channels = o.channels;
    out.samples.assign(size_t(length * o.rate) * size_t(o.channels), 0.0f);
    Rng rng(7);
    for (const Note& n : notes)
        renderNote(n, out, rng);
    return finishAudio(out, o);
}

bool renderSpeech(const std::string& recipe, const std::string& espeak, Audio& out, std::string& error) {
    IniFile file;
    if (!readRecipe(recipe, file, error))
        return false;
    const IniSection* s = file.find("speech");
    if (!s || file.sections.size() != 1) {
        error = recipe + ": a speech recipe is one [speech] section";
        return false;
    }
    Reader r{file, error};
    Output o;
    double speed = 150, pitch = 50;
    if (!readOutput(r, *s, o) || !r.number(*s, "Speed", speed, 80, 450) ||
        !r.number(*s, "Pitch", pitch, 0, 99))
        return false;
    std::string text;
    for (const IniKey& k : s->keys)
        if (k.name == "Text")
            text += (text.empty() ? "" : " ") + k.value;
    if (text.empty()) {
        error = file.where(s->line) + "[speech] needs Text";
        return false;
    }
    if (espeak.empty() || (espeak.size() >= 8 && espeak.compare(espeak.size() - 8, 8, "NOTFOUND") == 0)) {
        error = recipe + ": speech needs espeak-ng (install it: ./setup.sh)";
        return false;
    }
    static std::atomic<int> counter{0};
    namespace fs = std::filesystem;
    std::string base = (fs::temp_directory_path() /
                        ("soundgen-" + std::to_string(getpid()) + "-" + std::to_string(counter++)))
                           .string();
    std::string textFile = base + ".txt", wav = base + ".wav";
    {
        std::ofstream t(textFile);
        t << text << "\n";
    }
    std::string voice = s->get("Voice", "en-gb"), sp = std::to_string(int(speed)),
                pi = std::to_string(int(pitch));
    std::vector<std::string> args = {espeak, "-v", voice, "-s", sp, "-p", pi, "-w", wav, "-f", textFile};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    int status = 0;
    bool ran = posix_spawn(&pid, espeak.c_str(), nullptr, nullptr, argv.data(), environ) == 0 &&
               waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    std::error_code ec;
    fs::remove(textFile, ec);
    if (!ran) {
        fs::remove(wav, ec);
        error = recipe + ": " + espeak + " failed (voice '" + voice + "')";
        return false;
    }
    bool ok = readAudio(wav, out, error);
    fs::remove(wav, ec);
    if (!ok)
        return false;
    return finishAudio(out, o);
}

// ---------------------------------------------------------------- files

bool writeAudio(const Audio& a, const std::string& path, std::string& error) {
    std::string ext = path.size() > 4 ? path.substr(path.size() - 4) : "";
    SF_INFO info{};
    info.samplerate = a.rate;
    info.channels = a.channels;
    info.format = ext == ".wav"   ? SF_FORMAT_WAV | SF_FORMAT_PCM_16
                  : ext == "flac" ? SF_FORMAT_FLAC | SF_FORMAT_PCM_16
                                  : SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    if (a.samples.empty()) {
        error = path + ": no samples";
        return false;
    }
    std::filesystem::path p(path);
    std::error_code ec;
    if (p.has_parent_path())
        std::filesystem::create_directories(p.parent_path(), ec);
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!f) {
        error = "cannot write " + path + ": " + sf_strerror(nullptr);
        return false;
    }
    if ((info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_OGG) {
        double quality = 0.4;
        sf_command(f, SFC_SET_VBR_ENCODING_QUALITY, &quality, sizeof quality);
    }
    sf_count_t frames = sf_count_t(a.frames());
    bool ok = writeFrames(f, a.samples.data(), frames, info.channels);
    ok = sf_close(f) == 0 && ok;
    if (!ok)
        error = "cannot encode " + path;
    return ok;
}

bool readAudio(const std::string& path, Audio& a, std::string& error) {
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f) {
        error = "cannot read " + path;
        return false;
    }
    a = Audio();
    a.rate = info.samplerate;
    a.channels = info.channels;
    a.samples.resize(size_t(info.frames) * size_t(info.channels));
    sf_count_t got = sf_readf_float(f, a.samples.data(), info.frames);
    sf_close(f);
    a.samples.resize(size_t(std::max<sf_count_t>(got, 0)) * size_t(info.channels));
    if (a.samples.empty()) {
        error = path + ": no samples";
        return false;
    }
    return true;
}

} // namespace soundgen
