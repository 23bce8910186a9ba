#pragma once
// Writes generated tones as sound files: the project's test and placeholder
// sounds are made with these, never committed.

#include <string>
#include <vector>

struct sf_private_tag; // libsndfile's SNDFILE

namespace soundgen {

enum class Format { Wav, Ogg, Flac, Mp3 };

struct Tone {
    double frequency = 440.0; // Hz; 0 gives a constant level (a DC "tone")
    double amplitude = 0.5;   // 0..1 of full scale
    double seconds = 0.25;
    int rate = 44100;
    int channels = 1; // 1 or 2; both channels carry the same tone
};

// The tone's samples, interleaved.
std::vector<float> render(const Tone& tone);

// Encodes the tone into file bytes; false when the installed libsndfile
// cannot write that format.
bool encode(const Tone& tone, Format format, std::vector<unsigned char>& out);

// Writes the tone to a file; false (and a message on stderr) on failure.
bool writeFile(const Tone& tone, Format format, const std::string& path);

// Format from a file name's extension (.wav, .ogg, .flac, .mp3); false when unknown.
bool formatFromPath(const std::string& path, Format& format);

// Writes interleaved frames to an open file in blocks, so that an encoder never
// sees one huge buffer (Vorbis analysis works on the stack per call).
bool writeFrames(::sf_private_tag* file, const float* samples, long long frames, int channels);

} // namespace soundgen
