// soundgen: the project's sounds.
//   soundgen sfx <recipe.sfx> <out.ogg>        an effect from tones, noise and envelopes
//   soundgen music <recipe.music> <out.ogg>    music from note lists
//   soundgen speech <recipe.speech> <out.ogg> [espeak-ng program]
//   soundgen <out.wav|.ogg|.flac|.mp3> [frequency Hz] [seconds] [amplitude 0..1] [channels]
//                                              a plain tone (test sounds)
#include "soundgen.h"
#include "synth.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int recipe(int argc, char** argv) {
    std::string kind = argv[1];
    if (argc < 4 || (kind != "speech" && argc != 4) || argc > 5) {
        std::fprintf(stderr, "usage: soundgen %s <recipe> <out.ogg>%s\n", kind.c_str(),
                     kind == "speech" ? " [espeak-ng program]" : "");
        return 2;
    }
    soundgen::Audio audio;
    std::string error;
    bool ok = kind == "sfx" ? soundgen::renderEffect(argv[2], audio, error)
              : kind == "music"
                  ? soundgen::renderMusic(argv[2], audio, error)
                  : soundgen::renderSpeech(argv[2], argc == 5 ? argv[4] : "/usr/bin/espeak-ng", audio, error);
    if (!ok || !soundgen::writeAudio(audio, argv[3], error)) {
        std::fprintf(stderr, "error: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 &&
        (!std::strcmp(argv[1], "sfx") || !std::strcmp(argv[1], "music") || !std::strcmp(argv[1], "speech")))
        return recipe(argc, argv);
    if (argc < 2) {
        std::fprintf(
            stderr,
            "usage: soundgen sfx|music|speech <recipe> <out.ogg>\n"
            "       soundgen <out.wav|.ogg|.flac|.mp3> [frequency] [seconds] [amplitude] [channels]\n");
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
