// soundgen: writes a generated tone as a sound file.
//   soundgen <out.wav|.ogg|.flac|.mp3> [frequency Hz] [seconds] [amplitude 0..1] [channels]
#include "soundgen.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(
            stderr,
            "usage: soundgen <out.wav|.ogg|.flac|.mp3> [frequency] [seconds] [amplitude] [channels]\n");
        return 2;
    }
    soundgen::Format format;
    if (!soundgen::formatFromPath(argv[1], format)) {
        std::fprintf(stderr, "soundgen: unknown file type '%s'\n", argv[1]);
        return 2;
    }
    soundgen::Tone tone;
    if (argc > 2)
        tone.frequency = std::atof(argv[2]);
    if (argc > 3)
        tone.seconds = std::atof(argv[3]);
    if (argc > 4)
        tone.amplitude = std::atof(argv[4]);
    if (argc > 5)
        tone.channels = std::atoi(argv[5]);
    if (tone.seconds <= 0 || tone.seconds > 600 || tone.amplitude < 0 || tone.amplitude > 1 ||
        tone.channels < 1 || tone.channels > 2 || tone.frequency < 0) {
        std::fprintf(stderr, "soundgen: bad tone arguments\n");
        return 2;
    }
    return soundgen::writeFile(tone, format, argv[1]) ? 0 : 1;
}
