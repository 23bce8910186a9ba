// Arbitrary bytes as a sound file, loaded as a sample and opened as a
// stream, each played and mixed for a while. A file that decodes long stays
// within the sample's bound (it then plays as a stream).
#include "mirel/base/a_log.h"
#include "mirel/platform/audio/a_audio.h"
#include "mirel/platform/audio/a_audiooutput.h"

#include <cstdint>

// libsndfile 1.2 keeps the Vorbis header structure it made for an Ogg file
// whose headers it then refuses (it returns no handle, so nothing can free
// it): a few kilobytes per refused file, inside the library. The leak
// checker leaves those alone; every other leak still fails the fuzzer.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() {
    return "leak:vorbis_info_init\n";
}

namespace {

void mix(int frames) {
    if (aManualAudioOutput* out = aManualAudioOutput::current())
        out->mix(frames);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = [] {
        a_setLogObserver([](const char*, void*) {}, nullptr);
        aManualAudioOutput::install();
        return FSOUND_Init(44100, 8, 0);
    }();
    if (!ready || size == 0)
        return 0;
    const char* bytes = reinterpret_cast<const char*>(data);
    if (FSOUND_SAMPLE* sample = FSOUND_Sample_Load(FSOUND_FREE, bytes, FSOUND_LOADMEMORY, 0, int(size))) {
        const int channel = FSOUND_PlaySoundEx(FSOUND_FREE, sample, nullptr, false);
        FSOUND_SetLoopMode(channel, (data[0] & 1) ? FSOUND_LOOP_NORMAL : FSOUND_LOOP_OFF);
        mix(8192);
        FSOUND_Sample_Free(sample);
    }
    if (FSOUND_STREAM* stream =
            FSOUND_Stream_Open(bytes, FSOUND_LOADMEMORY | FSOUND_LOOP_NORMAL, 0, int(size))) {
        FSOUND_Stream_PlayEx(FSOUND_FREE, stream, nullptr, false);
        mix(8192);
        FSOUND_Stream_Close(stream);
    }
    return 0;
}
