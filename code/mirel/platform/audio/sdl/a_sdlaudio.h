#pragma once
// The desktop sound device through SDL2 audio.

#include "mirel/platform/audio/a_audiooutput.h"

class aSdlAudioOutput : public aAudioOutput {
public:
    ~aSdlAudioOutput() override;
    bool open(aAudioMixer& mixer, int mixRate) override;
    void close() override;

    // Makes FSOUND_Init use the SDL2 device for FSOUND_OUTPUT_DEVICE (the
    // silent real-time output stays the fallback when no device opens).
    static void install();

private:
    unsigned m_device = 0;
    aAudioMixer* m_mixer = nullptr;
};
