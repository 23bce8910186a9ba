// Arbitrary bytes as a sound list and, after a line "#--file--", an ambient
// file over it (support/fuzz_files.h): the list's sounds (a.wav, b.wav in the
// list's folder) are loaded and played, the ambient system runs for a while
// and the mixer renders what they play. No volume or pan may leave its range.
#include "mirel/base/a_log.h"
#include "mirel/platform/audio/a_audio.h"
#include "mirel/platform/audio/a_audiooutput.h"
#include "mirel/sound/a_ambientsound.h"
#include "mirel/sound/a_sound.h"
#include "soundgen.h"
#include "support/fuzz_files.h"

#include <cstdint>
#include <string>

namespace {

struct Bench {
    Bench() : files("sounds") {
        a_setLogObserver([](const char*, void*) {}, nullptr);
        aManualAudioOutput::install();
        soundgen::Tone tone;
        tone.seconds = 0.05;
        soundgen::writeFile(tone, soundgen::Format::Wav, files.folder() + "a.wav");
        tone.seconds = 0.2;
        tone.channels = 2;
        soundgen::writeFile(tone, soundgen::Format::Wav, files.folder() + "b.wav");
    }
    FuzzFiles files;
};

void mix(int frames) {
    if (aManualAudioOutput* out = aManualAudioOutput::current())
        out->mix(frames);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Bench bench;
    const std::vector<std::string> parts = bench.files.write(data, size);
    aSoundManager sounds;
    sounds.loadList("fz:0");
    for (const char* name : {"a", "b"}) {
        if (aSound* s = sounds.hasSound(name) ? sounds.getSound(name) : nullptr) {
            s->play(false);
            if (s->getVolume() < 0.0f || s->getVolume() > 1.0f)
                __builtin_trap();
        }
    }
    mix(256);
    if (parts.size() > 1) {
        aAmbientSoundSystem ambient("fz:1", &sounds, "");
        ambient.start();
        for (int frame = 0; frame < 30; ++frame) {
            ambient.update(0.1f);
            for (const aAmbientSound& s : ambient.getSounds()) {
                const int channel = s.sound->getChannel();
                if (s.sound->getPan() < -1.0f || s.sound->getPan() > 1.0f ||
                    (channel >= 0 && FSOUND_GetVolume(channel) > 255))
                    __builtin_trap();
            }
            mix(441);
        }
    }
    sounds.stopAll();
    return 0;
}
