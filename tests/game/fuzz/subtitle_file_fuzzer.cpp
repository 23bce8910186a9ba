// Arbitrary bytes as a subtitle file: read into cues, then the track's clock
// moved forwards and backwards by steps taken from the same bytes, asking
// for the current text each time. Must never crash or hang, and the current
// cue is always one of the track's or none.

#include "game/bonus/subtitle_track.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SubtitleTrack track;
    track.Parse(reinterpret_cast<const char*>(data), size);
    const size_t steps = size < 64 ? size : 64;
    for (size_t i = 0; i < steps; ++i) {
        // -6.4 s to +6.3 s, and now and then a huge step.
        float dt = float(int(data[i]) - 128) / 20.0f;
        if (data[i] == 0xFF)
            dt = 1e30f;
        track.Update(dt);
        if (track.GetIndex() > track.GetCues().size())
            std::abort();
        const std::vector<std::u16string>* lines = track.GetCurrentText();
        if (lines &&
            (track.GetIndex() >= track.GetCues().size() || lines != &track.GetCues()[track.GetIndex()].lines))
            std::abort();
    }
    return 0;
}
