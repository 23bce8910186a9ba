#pragma once
// The game's sounds from text recipes: effects from tones, noise and
// envelopes (".sfx"), music from note lists played by a few instruments
// (".music"), and speech through espeak-ng (".speech"). tools/content/README.md
// describes the recipe keys.

#include <cstdint>
#include <string>
#include <vector>

namespace soundgen {

// Stereo or mono samples at a rate, interleaved.
struct Audio {
    int rate = 44100;
    int channels = 1;
    std::vector<float> samples;
    size_t frames() const { return samples.size() / size_t(channels); }
};

// Each reads the recipe and renders it; false with a message naming the file
// and line on a fault.
bool renderEffect(const std::string& recipe, Audio& out, std::string& error);
bool renderMusic(const std::string& recipe, Audio& out, std::string& error);
// Speech runs espeak-ng (the program given) to speak the recipe's text.
bool renderSpeech(const std::string& recipe, const std::string& espeak, Audio& out, std::string& error);

// A music note name ("C4", "F#3", "Bb5") to its frequency in Hz (A4 = 440); false when it is none.
bool noteFrequency(const std::string& name, double& hz);

// Scales the samples so that the largest magnitude is peak.
void normalise(Audio& audio, float peak);
// Mixes a reverberated copy (a Schroeder reverb of comb and all-pass filters)
// into the audio, extending it by the tail; mix 0..1, size 0..1.
void addReverb(Audio& audio, double mix, double size);

// Encodes as Ogg Vorbis (or by the extension: .wav, .flac); false when libsndfile cannot.
bool writeAudio(const Audio& audio, const std::string& path, std::string& error);
bool readAudio(const std::string& path, Audio& audio, std::string& error);

} // namespace soundgen
