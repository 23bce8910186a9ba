#include "mirel/platform/audio/sdl/a_sdlaudio.h"

#include "mirel/base/a_log.h"
#include "mirel/platform/audio/a_audio.h"
#include "mirel/platform/audio/a_audiomixer.h"

#include <SDL.h>

namespace {

void SDLCALL fill(void* user, Uint8* stream, int len) {
    auto* mixer = static_cast<aAudioMixer*>(user);
    mixer->mix(reinterpret_cast<int16_t*>(stream), len / 4);
}

} // namespace

aSdlAudioOutput::~aSdlAudioOutput() {
    close();
}

bool aSdlAudioOutput::open(aAudioMixer& mixer, int mixRate) {
    close();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        a_log("aSdlAudioOutput::open - no audio: %s", SDL_GetError());
        return false;
    }
    SDL_AudioSpec want{};
    want.freq = mixRate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = fill;
    want.userdata = &mixer;
    SDL_AudioSpec have{};
    m_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (m_device == 0) {
        a_log("aSdlAudioOutput::open - cannot open the audio device: %s", SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    m_mixer = &mixer;
    SDL_PauseAudioDevice(m_device, 0);
    return true;
}

void aSdlAudioOutput::close() {
    if (m_device != 0) {
        SDL_CloseAudioDevice(m_device);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        m_device = 0;
        m_mixer = nullptr;
    }
}

void aSdlAudioOutput::install() {
    a_setAudioOutputFactory([](int type) -> std::unique_ptr<aAudioOutput> {
        if (type != FSOUND_OUTPUT_DEVICE) {
            return nullptr;
        }
        return std::make_unique<aSdlAudioOutput>();
    });
}
