#pragma once
// The mixer behind the sound calls of a_audio.h. Outputs call mix(); the
// mixer takes its own lock, so mix() may run on any thread.

#include <cstdint>

class aAudioMixer {
public:
    virtual ~aAudioMixer() = default;
    // Fills frames of interleaved 16-bit stereo. While the whole output is
    // paused it writes silence and no channel moves on.
    virtual void mix(int16_t* out, int frames) = 0;
};
