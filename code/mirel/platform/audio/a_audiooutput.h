#pragma once
// Where mixed audio goes. The mixer opens one output at init; the output pulls
// interleaved 16-bit stereo frames from the mixer, on its own thread or, for
// tests, when told to.

#include <cstdint>
#include <memory>
#include <vector>

class aAudioMixer;

class aAudioOutput {
public:
    virtual ~aAudioOutput() = default;
    // Starts pulling frames from the mixer; false when the device is not there.
    virtual bool open(aAudioMixer& mixer, int mixRate) = 0;
    // Stops pulling; no call into the mixer happens after it returns.
    virtual void close() = 0;
};

// Makes the output for an output kind of FSOUND_SetOutput; none means "no device".
using aAudioOutputFactory = std::unique_ptr<aAudioOutput> (*)(int outputType);
// Installs the factory the next FSOUND_Init uses (null: the silent output only).
void a_setAudioOutputFactory(aAudioOutputFactory factory);
aAudioOutputFactory a_getAudioOutputFactory();

// Pulls audio in real time on a thread of its own and throws it away, so that
// sounds end and games go on when there is no sound device. It paces itself
// by the system clock and never reads or moves the engine clock, which
// belongs to the game's thread.
class aNullAudioOutput : public aAudioOutput {
public:
    aNullAudioOutput();
    ~aNullAudioOutput() override;
    bool open(aAudioMixer& mixer, int mixRate) override;
    void close() override;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// Mixes only when a test asks: mix(frames) renders that many frames into a
// buffer the test reads.
class aManualAudioOutput : public aAudioOutput {
public:
    ~aManualAudioOutput() override;
    bool open(aAudioMixer& mixer, int mixRate) override;
    void close() override;

    // Renders frames and returns them, interleaved left, right.
    const std::vector<int16_t>& mix(int frames);
    const std::vector<int16_t>& buffer() const { return m_buffer; }
    int mixRate() const { return m_rate; }

    // Makes every later FSOUND_Init use a manual output.
    static void install();
    // The manual output now open, or none.
    static aManualAudioOutput* current();

private:
    aAudioMixer* m_mixer = nullptr;
    int m_rate = 0;
    std::vector<int16_t> m_buffer;
};
